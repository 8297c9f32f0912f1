// Windows and messages: coredll's window and display calls on the handles
// the seam carries as integers. CE delivers messages of the private range
// WM_USER to 0xBFFF sent to HWND_BROADCAST to every top-level window itself,
// so a broadcast is one SendMessageW (CE has no SendMessageTimeout under
// that name, and it would only take SMTO_NORMAL).

#include <cstdint>

#include "platform/platform.h"
#include "platform/wince/wince_api.h"

namespace vexa::platform {

namespace {

HWND ToWindow(Window window) { return reinterpret_cast<HWND>(window); }
HDC ToDc(DeviceContext dc) { return reinterpret_cast<HDC>(dc); }

}  // namespace

Window FindWindowByTitle(const char16_t* title) {
  return reinterpret_cast<Window>(::FindWindowW(nullptr, wince::Wide(title)));
}

std::intptr_t DeliverMessage(Window window, std::uint32_t message,
                             std::uintptr_t wparam, std::intptr_t lparam) {
  const LRESULT result = ::SendMessageW(ToWindow(window), message, wparam, lparam);
  // A broadcast's result is 1, whatever the windows answered.
  return window == kBroadcastWindow ? 1 : result;
}

Window NextWindow(Window window) {
  return reinterpret_cast<Window>(::GetWindow(ToWindow(window), GW_HWNDNEXT));
}

bool IsWindowVisible(Window window) {
  return ::IsWindowVisible(ToWindow(window)) != FALSE;
}

void BringToForeground(Window window) { ::SetForegroundWindow(ToWindow(window)); }

DeviceContext GetDeviceContext(Window window) {
  return reinterpret_cast<DeviceContext>(::GetDC(ToWindow(window)));
}

void ReleaseDeviceContext(Window window, DeviceContext dc) {
  ::ReleaseDC(ToWindow(window), ToDc(dc));
}

int DisplayEscape(DeviceContext dc, int code, int input_size,
                  const char* input, int output_size, char* output) {
  return ::ExtEscape(ToDc(dc), code, input_size, input, output_size, output);
}

}  // namespace vexa::platform

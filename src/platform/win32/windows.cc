// Windows and messages: user32 and gdi32 calls on the handles the seam
// carries as integers. Window 0xFFFF is HWND_BROADCAST, so a delivery to
// kBroadcastWindow reaches every top-level window through SendMessageW.

#include <cstdint>

#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace vexa::platform {

namespace {

HWND ToWindow(Window window) { return reinterpret_cast<HWND>(window); }
HDC ToDc(DeviceContext dc) { return reinterpret_cast<HDC>(dc); }

static_assert(kBroadcastWindow == 0xFFFF, "HWND_BROADCAST");

}  // namespace

Window FindWindowByTitle(const char16_t* title) {
  return reinterpret_cast<Window>(::FindWindowW(nullptr, win32::Wide(title)));
}

std::intptr_t DeliverMessage(Window window, std::uint32_t message,
                             std::uintptr_t wparam, std::intptr_t lparam) {
  return ::SendMessageW(ToWindow(window), message, wparam, lparam);
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

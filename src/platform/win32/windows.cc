// Windows and messages: user32 and gdi32 calls on the handles the seam
// carries as integers.
//
// A broadcast (kBroadcastWindow, which is HWND_BROADCAST) must reach every
// top-level window, as it does on the head unit. Desktop Windows and Wine
// do not broadcast the private message range WM_USER to 0xBFFF through
// HWND_BROADCAST, and that range holds all of the library's broadcasts, so
// a broadcast is sent to each top-level window in turn. Each send gives up
// on a hung window at once and on a busy one after 250 ms: a listener that
// does not answer must not stop the navigation program. The sends run one
// after the other on the caller's thread, so the worst case is 250 ms for
// every busy (not hung) top-level window, for each start or stop message.

#include <cstdint>

#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace vexa::platform {

namespace {

HWND ToWindow(Window window) { return reinterpret_cast<HWND>(window); }
HDC ToDc(DeviceContext dc) { return reinterpret_cast<HDC>(dc); }

static_assert(kBroadcastWindow == 0xFFFF, "HWND_BROADCAST");

// How long one window may take to answer a broadcast.
constexpr UINT kBroadcastTimeoutMs = 250;
constexpr UINT kBroadcastFlags = SMTO_ABORTIFHUNG | SMTO_NORMAL;

struct Broadcast {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};

BOOL CALLBACK SendToTopLevelWindow(HWND window, LPARAM context) {
  const Broadcast& b = *reinterpret_cast<const Broadcast*>(context);
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(window, b.message, b.wparam, b.lparam, kBroadcastFlags,
                        kBroadcastTimeoutMs, &ignored);
  return TRUE;  // a window that failed or timed out does not end the walk
}

// A broadcast's result is 1, what SendMessageW to HWND_BROADCAST returns;
// the answers of the windows are not combined.
std::intptr_t BroadcastMessage(std::uint32_t message, std::uintptr_t wparam,
                               std::intptr_t lparam) {
  // EnumWindows takes its list of windows before the first callback, so a
  // receiver that creates or destroys windows does not upset the walk.
  Broadcast b = {message, wparam, lparam};
  ::EnumWindows(SendToTopLevelWindow, reinterpret_cast<LPARAM>(&b));
  return 1;
}

}  // namespace

Window FindWindowByTitle(const char16_t* title) {
  return reinterpret_cast<Window>(::FindWindowW(nullptr, win32::Wide(title)));
}

std::intptr_t DeliverMessage(Window window, std::uint32_t message,
                             std::uintptr_t wparam, std::intptr_t lparam) {
  if (window == kBroadcastWindow) return BroadcastMessage(message, wparam, lparam);
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

// Windows, messages and the display driver on the host: the simulated
// window system of winsim.

#include "platform/host/host_internal.h"
#include "winsim.h"

namespace vexa::platform::host {

static_assert(kBroadcastWindow == winsim::kBroadcast,
              "the broadcast handle is the same on both sides");

Window HostFindWindowByTitle(const char16_t* title) {
  return winsim::Find(title);
}

std::intptr_t HostDeliverMessage(Window window, std::uint32_t message,
                                 std::uintptr_t wparam, std::intptr_t lparam) {
  return winsim::Send(window, message, wparam, lparam);
}

Window HostNextWindow(Window window) { return winsim::Next(window); }

bool HostIsWindowVisible(Window window) { return winsim::Visible(window); }

void HostBringToForeground(Window window) { winsim::SetForeground(window); }

DeviceContext HostGetDeviceContext(Window window) {
  return winsim::GetDC(window);
}

void HostReleaseDeviceContext(Window window, DeviceContext dc) {
  winsim::ReleaseDC(window, dc);
}

int HostDisplayEscape(DeviceContext dc, int code, int input_size,
                      const char* input, int output_size, char* output) {
  return winsim::Escape(dc, code, input_size, input, output_size, output);
}

}  // namespace vexa::platform::host

// Helper process for platform 10: owns a top-level window titled
// "Navi_Window" (or the title given as the first argument), reports every
// message in the application range that reaches it on stdout as
// "message <number> <wParam> <lParam>", and answers it with number + 1000,
// so the test can tell that the result came from this window. Prints
// "ready" once the window exists. Ends on WM_CLOSE, or after 60 s.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam,
                            LPARAM lparam) {
  if (message >= WM_USER && message < 0xC000) {
    std::printf("message %u %llu %lld\n", message,
                static_cast<unsigned long long>(wparam),
                static_cast<long long>(lparam));
    std::fflush(stdout);
    return message + 1000;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const wchar_t* title = argc > 1 ? argv[1] : L"Navi_Window";
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"VexaNaviWindowHelper";
  if (RegisterClassW(&window_class) == 0) return 1;
  HWND window = CreateWindowExW(0, window_class.lpszClassName, title,
                                WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                nullptr, window_class.hInstance, nullptr);
  if (window == nullptr) return 1;
  std::printf("ready\n");
  std::fflush(stdout);

  const DWORD deadline = GetTickCount() + 60000;
  MSG msg;
  for (;;) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return 0;
      DispatchMessageW(&msg);
    }
    if (static_cast<int>(deadline - GetTickCount()) <= 0) return 2;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
  }
}

// Keeps the test prefix's Wine session up for a whole test run. Wine starts
// its desktop and service processes for the first program that needs them
// and ends them when the last program has ended; started from a test, they
// would inherit that test's output pipes, and CTest would wait for them.
// This program is started first, with its output going nowhere: it creates
// a window (which brings the desktop up), writes the file named by its
// first argument once that is done, and then waits, so that the session
// stays up until the run stops the prefix (or 30 minutes have passed).

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  HWND window = CreateWindowExW(0, L"STATIC", L"vexa wine session", 0, 0, 0,
                                10, 10, nullptr, nullptr, nullptr, nullptr);
  if (window == nullptr) return 1;
  if (argc > 1) {
    HANDLE ready = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  }
  const DWORD deadline = GetTickCount() + 30 * 60 * 1000;
  MSG msg;
  while (static_cast<int>(deadline - GetTickCount()) > 0) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT);
  }
  return 0;
}

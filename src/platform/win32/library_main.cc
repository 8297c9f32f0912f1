// The DLL's entry point. The C runtime's own entry calls DllMain with every
// notification and, at process detach, runs the DLL's exit list (static
// destructors and atexit registrations) only after DllMain has returned, which
// is the teardown order the frame relies on.

#include "frame/entry.h"
#include "platform/win32/win32_api.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason,
                               LPVOID reserved) {
  static_assert(vexa::kProcessDetach == DLL_PROCESS_DETACH &&
                    vexa::kProcessAttach == DLL_PROCESS_ATTACH &&
                    vexa::kThreadAttach == DLL_THREAD_ATTACH &&
                    vexa::kThreadDetach == DLL_THREAD_DETACH,
                "the entry reasons are the loader's");
  return vexa::LibraryEntry(module, reason, reserved);
}

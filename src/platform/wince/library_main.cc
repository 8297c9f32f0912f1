// The DLL's entry point, and the start-up and teardown that a C runtime's
// own DLL entry does elsewhere: at process attach the static constructors
// run before the library entry; at process detach the library entry runs
// first and then the DLL's exit list (static destructors and atexit
// registrations, see runtime.cc), which is the teardown order the frame
// relies on. A failed attach runs the exit list too, as the loader then
// unloads the DLL without a detach.

#include "frame/entry.h"
#include "platform/wince/runtime.h"

extern "C" {

// The constructor table, laid out by the linker script.
using Constructor = void (*)();
extern const Constructor __init_array_start[];
extern const Constructor __init_array_end[];

int DllMain(void* module, unsigned long reason, void* reserved) {
  if (reason == vexa::kProcessAttach) {
    for (const Constructor* c = __init_array_start; c != __init_array_end; ++c) {
      (*c)();
    }
  }
  const int result = vexa::LibraryEntry(module, reason, reserved);
  if (reason == vexa::kProcessDetach ||
      (reason == vexa::kProcessAttach && result == 0)) {
    vexa::platform::wince::RunExitList();
  }
  return result;
}

}  // extern "C"

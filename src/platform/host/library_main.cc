// Host loader glue: the shared object's constructor and destructor stand
// for the process-attach and process-detach notifications. At dlclose (or
// exit) glibc runs this destructor first and the exit list afterwards, as
// the Windows loader runs DllMain before the DLL's exit list.

#include "frame/entry.h"

namespace {

__attribute__((constructor)) void OnLoad() {
  vexa::LibraryEntry(nullptr, vexa::kProcessAttach, nullptr);
}

__attribute__((destructor)) void OnUnload() {
  vexa::LibraryEntry(nullptr, vexa::kProcessDetach, nullptr);
}

}  // namespace

// The library entry point, called by the operating system's loader glue
// (DllMain on Windows, constructor/destructor of the shared object on
// Linux) with the process and thread notifications.

#ifndef VEXA_SRC_FRAME_ENTRY_H_
#define VEXA_SRC_FRAME_ENTRY_H_

namespace vexa {

enum EntryReason : unsigned long {
  kProcessDetach = 0,
  kProcessAttach = 1,
  kThreadAttach = 2,
  kThreadDetach = 3,
};

// Process attach creates the SoundModule and runs SoundModule::Init on the
// loading thread. Process detach does nothing here: the runtime's exit list
// tears the modules down after the entry has returned. Every other reason
// does nothing. Returns 1 for every reason. The module handle and the
// reserved pointer are not used.
int LibraryEntry(void* module, unsigned long reason, void* reserved);

}  // namespace vexa

#endif  // VEXA_SRC_FRAME_ENTRY_H_

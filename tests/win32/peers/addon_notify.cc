// Windows test peer for platform 6's add-on library, named in the registry
// value "AddonDll": exports "NavSoundNotify" taking the notification value,
// unless built with ADDON_WITHOUT_NOTIFY, and notes its load, each call and
// its unload in the peer journal under ADDON_FILE_NAME.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "peer_journal.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) vexa::test::NoteInJournal(ADDON_FILE_NAME " load");
  if (reason == DLL_PROCESS_DETACH) vexa::test::NoteInJournal(ADDON_FILE_NAME " unload");
  return TRUE;
}

#ifndef ADDON_WITHOUT_NOTIFY
extern "C" __declspec(dllexport) int NavSoundNotify(std::uint32_t value) {
  char line[64];
  std::snprintf(line, sizeof line, ADDON_FILE_NAME " NavSoundNotify %lu",
                static_cast<unsigned long>(value));
  vexa::test::NoteInJournal(line);
  return 1;
}
#endif

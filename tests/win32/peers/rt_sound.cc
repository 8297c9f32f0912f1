// Windows test peer standing in for the head unit's sound library
// "RtSound.dll" (platform 4): exports "StartPlaySound" and "StopPlaySound",
// both without arguments, and notes its load, each call and its unload in
// the peer journal.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "peer_journal.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) vexa::test::NoteInJournal("RtSound.dll load");
  if (reason == DLL_PROCESS_DETACH) vexa::test::NoteInJournal("RtSound.dll unload");
  return TRUE;
}

extern "C" __declspec(dllexport) int StartPlaySound() {
  vexa::test::NoteInJournal("RtSound.dll StartPlaySound");
  return 1;
}

extern "C" __declspec(dllexport) int StopPlaySound() {
  vexa::test::NoteInJournal("RtSound.dll StopPlaySound");
  return 1;
}

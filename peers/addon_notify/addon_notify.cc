// Test peer standing in for the add-on library that platform 6 finds under
// the registry value "AddonDll". It exports "NavSoundNotify", taking one
// 32-bit notification value (0 start, 1 stop), and notes its load, each call
// with its value and its unload in the winsim journal.
//
// Built twice: VexaAddonNotify.dll with the export, and VexaAddonSilent.dll
// without it (ADDON_WITHOUT_NOTIFY) for the missing-export case. Each notes
// under its own file name (ADDON_FILE_NAME).

#include <cstdint>
#include <cstdio>
#include <string>

#include "winsim.h"

#define ADDON_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

void NoteEvent(const std::string& event) {
  winsim::Note(std::string(ADDON_FILE_NAME) + " " + event);
}

__attribute__((constructor)) void OnLoad() { NoteEvent("load"); }

__attribute__((destructor)) void OnUnload() { NoteEvent("unload"); }

}  // namespace

#ifndef ADDON_WITHOUT_NOTIFY
ADDON_EXPORT int NavSoundNotify(std::uint32_t value) {
  // Formatted by hand: std::to_string brings a unique symbol along, and a
  // library with one can no longer be unloaded, which the tests watch.
  char text[32];
  std::snprintf(text, sizeof text, "NavSoundNotify %u", unsigned{value});
  NoteEvent(text);
  return 1;
}
#endif

// The head unit that simulate's library talks to: its top-level windows,
// its registry value for the add-on library, and a record of what reached
// it (messages to windows and broadcasts, foreground switches, display
// escapes, the sound peers' calls, platform 9's shared word).
//
// Each system has its own implementation:
// - posix/head_unit.cc: the host's simulated window system, display driver
//   and registry (libvexa_winsim.so), which records every delivery and
//   escape as the library made it.
// - windows/head_unit.cc: real top-level windows of this process, whose
//   window procedure records what each received; the registry value is set
//   in the user's own registry for the run and restored afterwards; what a
//   desktop cannot do (a display-driver escape) is said as such.
//
// Threading: the thread that runs the simulation, which is also the one
// whose windows receive the library's messages.

#ifndef VEXA_TOOLS_VEXA_SYSTEM_HEAD_UNIT_H_
#define VEXA_TOOLS_VEXA_SYSTEM_HEAD_UNIT_H_

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vexa::tool {

class HeadUnit {
 public:
  using Window = std::uintptr_t;

  // Set up before the library is loaded: with `sound_platform` 9 the
  // platform-9 objects are opened first, so that the run can show the
  // shared word and removes the objects it brought into being. Peer
  // journals and the like go to `scratch`.
  HeadUnit(int sound_platform, const std::filesystem::path& scratch);
  ~HeadUnit();
  HeadUnit(const HeadUnit&) = delete;
  HeadUnit& operator=(const HeadUnit&) = delete;

  // "host platform" or "Windows", for the transcript's first line.
  static const char* SystemName();

  // Names the add-on library of platform 6 in the registry value AddonDll
  // of HKEY_CURRENT_USER\Software\Shell\Config.
  void SetAddonLibrary(const std::u16string& file_name);

  // A new top-level window at the top of the z-order; 0 with the
  // system's reason in `*error` when none can be made (a Windows session
  // without a display, say).
  Window MakeWindow(const std::string& title, bool visible,
                    std::string* error);
  // "0x1a2b \"title\"".
  std::string Describe(Window window) const;
  // The tool's windows, top first: "<window> visible; <window> hidden".
  std::string ZOrder() const;

  // What this system cannot show for the control hand-over on `platform`;
  // empty when it shows all of it.
  std::string ControlNote(int platform) const;

  // Remembers what has arrived so far; Received lists, one line each, what
  // arrived since (each line starts "head unit: " or is a continuation).
  void Mark();
  std::vector<std::string> Received();

  // Platform 9: the shared word, and how often the event was signalled in
  // all (-1 when the system cannot tell without taking a listener's
  // signal). Without platform 9 both are 0.
  std::uint32_t SharedWord() const;
  long long EventSignals() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_SYSTEM_HEAD_UNIT_H_

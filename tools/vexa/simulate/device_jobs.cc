// Jobs 2 and 3 of vexa simulate, the control hand-over and the sound
// notification, with what the head unit received (see
// simulate_transcript.h).

#include <cstdint>
#include <initializer_list>
#include <iostream>
#include <string>

#include "system/environment.h"
#include "simulate/simulate_transcript.h"

namespace vexa::tool {

namespace {

// "event Come_From_NaviExe_Even signalled 1 time(s)", or what cannot be
// told.
std::string Signalled(long long before, long long after) {
  if (before < 0 || after < 0) {
    return "event Come_From_NaviExe_Even signalled (not counted here: only "
           "a wait tells, and it would take the signal from a listener)";
  }
  return "event Come_From_NaviExe_Even signalled " +
         std::to_string(after - before) + " time(s)";
}

struct WindowToMake {
  const char* title;
  bool visible;
};

// Makes the head unit's `windows` (bottom first; the last one's handle in
// `*top`), or says why it cannot: a run without them would only seem to
// pass.
bool MakeWindows(HeadUnit& head_unit,
                 std::initializer_list<WindowToMake> windows,
                 HeadUnit::Window* top) {
  for (const auto& [title, visible] : windows) {
    std::string error;
    *top = head_unit.MakeWindow(title, visible, &error);
    if (*top == 0) {
      Said("head unit: cannot create the window \"" + std::string(title) +
           "\": " + error + " (no display?); the job cannot run");
      std::cerr << "vexa: simulate cannot create the head unit's windows: "
                << error << '\n';
      return false;
    }
  }
  return true;
}

}  // namespace

bool RunControlJob(const VexaExports& vexa, HeadUnit& head_unit,
                   int platform) {
  std::cout << "\n2. Control hand-over (platform " << platform << ")\n";
  const std::string note = DefaultVariantNote(platform, {2, 3, 6, 13});
  if (!note.empty()) Said(note);
  SetEnvironment("VEXA_PLATFORM_CODE", std::to_string(platform));
  // Created bottom first: each new window goes to the top of the z-order.
  HeadUnit::Window navigation = 0;
  if (!MakeWindows(head_unit,
                   {{"Home screen", true},
                    {"Volume overlay", false},
                    {"Navigation", true}},
                   &navigation)) {
    return false;
  }
  Said("windows, top first: " + head_unit.ZOrder());
  head_unit.Mark();
  Call("CTL_Init(" + head_unit.Describe(navigation) + ")",
       vexa.ctl_init(static_cast<VexaWindow>(navigation)));
  Call("CTL_IsExist()", vexa.ctl_is_exist());
  Call("CTL_Switch_To_Control()", vexa.ctl_switch_to_control());
  const int events = SayReceived(head_unit);
  const std::string limit = head_unit.ControlNote(platform);
  if (!limit.empty()) {
    Said(limit);
  } else if (events == 0) {
    Said("head unit: nothing (platform " + std::to_string(platform) +
         " needs no action to hand over control)");
  }
  return true;
}

bool RunSoundJob(const VexaExports& vexa, HeadUnit& head_unit, int platform) {
  std::cout << "\n3. Sound notification (platform " << platform
            << ", chosen when the library was loaded)\n";
  const std::string note =
      DefaultVariantNote(platform, {2, 3, 4, 6, 9, 10, 13});
  if (!note.empty()) Said(note);
  HeadUnit::Window navi_window = 0;
  if (platform == 10 &&
      !MakeWindows(head_unit, {{"Navi_Window", true}}, &navi_window)) {
    return false;
  }

  // The navigation program's sound record: the library reads only the
  // 32-bit word at offset 4 (platform 9).
  const std::uint32_t record[4] = {0, 41, 0, 0};
  head_unit.Mark();
  long long before = head_unit.EventSignals();
  Call("SND_Start_Play_Sound(record, word 41 at offset 4)",
       vexa.snd_start_play_sound(record));
  int events = SayReceived(head_unit);
  if (platform == 9) {
    Said("head unit: shared word Navi_Share_Buffer = " +
         std::to_string(head_unit.SharedWord()) + "; " +
         Signalled(before, head_unit.EventSignals()));
    ++events;
  }
  if (events == 0) Said("head unit: nothing (platform " +
                        std::to_string(platform) + " is not notified)");

  head_unit.Mark();
  before = head_unit.EventSignals();
  const std::uint32_t word_before = head_unit.SharedWord();
  Call("SND_Stop_Play_Sound(0)", vexa.snd_stop_play_sound(0));
  events = SayReceived(head_unit);
  if (platform == 9) {
    const long long after = head_unit.EventSignals();
    Said("head unit: shared word " +
         std::string(head_unit.SharedWord() == word_before ? "unchanged"
                                                           : "changed") +
         (before < 0 || after < 0
              ? std::string()
              : ", event signalled " + std::to_string(after - before) +
                    " time(s)"));
    ++events;
  }
  if (events == 0) Said("head unit: nothing (platform " +
                        std::to_string(platform) + " is not notified)");
  return true;
}

}  // namespace vexa::tool

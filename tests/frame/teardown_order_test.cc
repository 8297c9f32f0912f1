// The order of teardown at unload, watched from outside: each case runs the
// teardown probe (a child program standing in for the navigation program)
// and reads back the one trace file that the NORL stand-in's mutex records,
// the probe's own marks and, in the core build, the module deletions share.
//
// Mutex ids count constructions in the child, so id 1 is always the sound
// module's (constructed at attach) and the next ids follow the order in
// which the families were first called.

#include <cstdlib>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "frame/trace_file.h"

namespace vexa {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> RunProbe(const char* probe, const std::string& args) {
  test::TraceFile trace;
  // Keep the destination family away from any real file.
  setenv("VEXA_DATA_DIR", "/nonexistent-vexa-data", 1);
  setenv("VEXA_GUIDE_FILE", "/nonexistent-vexa-data/guide.dat", 1);
  unsetenv("VEXA_PLATFORM_CODE");
  // A cross build's probe runs through the emulator (VEXA_PROBE_RUNNER).
  std::string command = std::string(VEXA_PROBE_RUNNER " ") + probe + " " + args;
  int status = std::system(command.c_str());
  EXPECT_EQ(status, 0) << command;
  return trace.LinesWithoutLocking();
}

TEST(TeardownOrder, LoadAndUnloadTouchOnlyTheSoundModule) {
  EXPECT_THAT(RunProbe(VEXA_PROBE_CORE, ""),
              ElementsAre("mutex-construct 1", "main-return",
                          "delete SoundModule", "mutex-destroy 1"));
}

TEST(TeardownOrder, SoundCallsAddNothingToTeardown) {
  EXPECT_THAT(RunProbe(VEXA_PROBE_CORE, "snd snd"),
              ElementsAre("mutex-construct 1", "call snd", "call snd",
                          "main-return", "delete SoundModule",
                          "mutex-destroy 1"));
}

TEST(TeardownOrder, SharedObjectTearsDownAtDlcloseNotAtExit) {
  EXPECT_THAT(RunProbe(VEXA_PROBE_SHARED, ""),
              ElementsAre("mutex-construct 1", "mutex-destroy 1", "unloaded",
                          "main-return"));
}

// Attach, PTT_Init, CTL_Init: control goes first, then destination, then
// sound, each module before its own mutex.
TEST(TeardownOrder, ReverseOrderOfFirstUseEachModuleBeforeItsMutex) {
  EXPECT_THAT(RunProbe(VEXA_PROBE_CORE, "ptt ctl"),
              ElementsAre("mutex-construct 1", "call ptt", "mutex-construct 2",
                          "call ctl", "mutex-construct 3", "main-return",
                          "delete ControlModule", "mutex-destroy 3",
                          "delete DestinationService", "mutex-destroy 2",
                          "delete SoundModule", "mutex-destroy 1"));
  EXPECT_THAT(RunProbe(VEXA_PROBE_CORE, "ctl ptt snd"),
              ElementsAre("mutex-construct 1", "call ctl", "mutex-construct 2",
                          "call ptt", "mutex-construct 3", "call snd",
                          "main-return", "delete DestinationService",
                          "mutex-destroy 3", "delete ControlModule",
                          "mutex-destroy 2", "delete SoundModule",
                          "mutex-destroy 1"));
}

TEST(TeardownOrder, SharedObjectKeepsTheOrderAtDlclose) {
  EXPECT_THAT(RunProbe(VEXA_PROBE_SHARED, "ptt ctl"),
              ElementsAre("mutex-construct 1", "call ptt", "mutex-construct 2",
                          "call ctl", "mutex-construct 3", "mutex-destroy 3",
                          "mutex-destroy 2", "mutex-destroy 1", "unloaded",
                          "main-return"));
}

}  // namespace
}  // namespace vexa

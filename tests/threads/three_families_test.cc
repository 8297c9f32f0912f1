// The three export families driven from three threads at once. The
// families share no state, so once each family has had its first call a
// caller may use PTT_, CTL_ and SND_ concurrently, one thread per family.
// Each round picks a sound variant (installed as process attach installs
// it), a control variant and a destination plan, makes the first call of
// every family on this thread, then runs the three threads together. Built
// under ThreadSanitizer (preset tsan), a data race between the families, in
// the library or in the host platform layer below it, fails the test.
//
// The first calls themselves may come from three threads too, one family
// each: whatever the families share below them (the platform layer's
// tables, the system code page) must be ready without a run-time
// initialisation that two first calls could race on. That test starts the
// three first calls together in a fresh process per round.

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/host/named_event.h"
#include "sound/shared_buffer_sound.h"
#include "sound/sound_module.h"
#include "vexa/vexa.h"
#include "winsim.h"

namespace vexa {
namespace {

constexpr int kCalls = 200;  // per thread and round

struct Round {
  int sound_code;
  int control_code;
  int plan;
};

// Every sound variant that calls the platform, each control variant that
// does, both plans. The control and sound variants that use windows meet
// in the simulated window system's one lock, which ThreadSanitizer counts
// as synchronisation between the two threads; the rounds with a control
// variant that calls nothing (3, 13) leave the threads unsynchronised.
constexpr Round kRounds[] = {
    {1, 6, 1}, {9, 2, 2}, {4, 6, 2}, {6, 2, 1}, {10, 6, 2}, {9, 3, 1}, {4, 13, 2},
};

const std::u16string kGuideMessage =
    u"(TNC,002,1,3954.5000,11623.2000,B1,3950.2500,11620.1000";
const std::u16string kDestinationList =
    u"(TNC,116.397128,39.916527,\u5317\u4eac,\u63a8\u8350";

std::atomic<int> g_callbacks{0};
std::atomic<int> g_ready{0};

// Lets the three threads start their calls together.
void StartTogether() {
  g_ready.fetch_add(1);
  while (g_ready.load() < 3) std::this_thread::yield();
}
std::atomic<int> g_window_messages{0};

int CountingCallback(DestinationPacket* /*packet*/) {
  g_callbacks.fetch_add(1, std::memory_order_relaxed);
  return 0;
}

std::intptr_t CountingHandler(const winsim::Message& /*message*/) {
  g_window_messages.fetch_add(1, std::memory_order_relaxed);
  return 1;
}

void SetCode(int code) {
  setenv("VEXA_PLATFORM_CODE", std::to_string(code).c_str(), 1);
}

// Calls of each family that did not give the expected result.
struct Mismatches {
  int destination = 0;
  int control = 0;
  int sound = 0;
};

class ThreeFamilies : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* prefix = std::getenv("VEXA_IPC_PREFIX");
    prefix_ = prefix != nullptr ? prefix : "vexa-test-threads-";
    setenv("VEXA_IPC_PREFIX", prefix_.c_str(), 1);
    platform::host::UnlinkNamedObjects(prefix_.c_str());
    setenv("VEXA_GUIDE_FILE", "/nonexistent/vexa/guide.dat", 1);
    setenv("VEXA_DATA_DIR", "/nonexistent/vexa", 1);
  }

  void TearDown() override {
    SharedBufferSound::TEST_CloseAll();
    platform::host::UnlinkNamedObjects(prefix_.c_str());
    winsim::Reset();
  }

  std::string prefix_;
};

TEST_F(ThreeFamilies, RunConcurrentlyAfterEachFamilysFirstCall) {
  for (const Round& round : kRounds) {
    SCOPED_TRACE("sound " + std::to_string(round.sound_code) + ", control " +
                 std::to_string(round.control_code) + ", plan " +
                 std::to_string(round.plan));
    winsim::Reset();
    winsim::Window nav = winsim::CreateWindow(u"nav", true, CountingHandler);
    winsim::Window hidden = winsim::CreateWindow(u"hidden", false, CountingHandler);
    winsim::Window home = winsim::CreateWindow(u"Navi_Window", true, CountingHandler);
    winsim::SetZOrder({nav, hidden, home});
    winsim::SetRegistryString(winsim::kCurrentUser, u"Software\\Shell\\Config",
                              u"AddonDll", u"" VEXA_ADDON_PEER);
    g_callbacks = 0;
    g_ready = 0;

    // First calls, on this thread: sound as process attach makes it.
    SetCode(round.sound_code);
    SoundModule* sound = SoundModule::Instance();
    ASSERT_NE(sound, nullptr);
    sound->Init();
    SetCode(round.control_code);
    setenv("VEXA_GUIDE_PLAN", std::to_string(round.plan).c_str(), 1);
    PTT_Set_Callback(CountingCallback);
    PTT_Init();
    ASSERT_EQ(CTL_Init(static_cast<VexaWindow>(nav)), 1);
    SND_Set_Volume(0);

    const std::u16string& text = round.plan == 1 ? kGuideMessage : kDestinationList;
    const auto* units = reinterpret_cast<const std::uint16_t*>(text.data());
    const int bytes = static_cast<int>(text.size() * 2);
    const std::uint32_t expected_points = round.plan == 1 ? 2 : 1;
    Mismatches wrong;

    std::thread destination([&] {
      StartTogether();
      for (int i = 0; i < kCalls; ++i) {
        DestinationPacket packet;
        if (PTT_Parse_Raw_Protocol(units, bytes) != 0) ++wrong.destination;
        if (PTT_Get_DataPacket(&packet) != 0 || packet.pointCount != expected_points) {
          ++wrong.destination;
        }
      }
    });
    std::thread control([&] {
      StartTogether();
      for (int i = 0; i < kCalls; ++i) {
        if (CTL_Init(static_cast<VexaWindow>(nav)) != 1) ++wrong.control;
        if (CTL_IsExist() != 1) ++wrong.control;
        if (CTL_Switch_To_Control() != 1) ++wrong.control;
      }
    });
    std::thread sounds([&] {
      std::uint32_t record[2] = {0, static_cast<std::uint32_t>(round.sound_code)};
      StartTogether();
      for (int i = 0; i < kCalls; ++i) {
        if (SND_Start_Play_Sound(record) != 1) ++wrong.sound;
        if (SND_Stop_Play_Sound(0) != 1) ++wrong.sound;
      }
    });
    destination.join();
    control.join();
    sounds.join();

    EXPECT_EQ(wrong.destination, 0);
    EXPECT_EQ(wrong.control, 0);
    EXPECT_EQ(wrong.sound, 0);
    EXPECT_EQ(g_callbacks.load(), kCalls);
    // Platform 9 keeps its objects for the life of the process; the next
    // round's attach opens them anew.
    SharedBufferSound::TEST_CloseAll();
  }
  EXPECT_GT(g_window_messages.load(), 0);
}

// One process load: the first call of each family on a thread of its own,
// all three released at once, then a few more calls. Exits 0 when every
// call gave the expected result (ThreadSanitizer exits non-zero on a race).
[[noreturn]] void FirstCallsTogether(int code, int plan) {
  winsim::Window nav = winsim::CreateWindow(u"nav", true, CountingHandler);
  winsim::Window home = winsim::CreateWindow(u"Navi_Window", true, CountingHandler);
  winsim::SetZOrder({nav, home});
  winsim::SetRegistryString(winsim::kCurrentUser, u"Software\\Shell\\Config",
                            u"AddonDll", u"" VEXA_ADDON_PEER);
  // One platform code for both families: the environment is read, never
  // written, once the threads run.
  SetCode(code);
  setenv("VEXA_GUIDE_PLAN", std::to_string(plan).c_str(), 1);
  const std::u16string& text = plan == 1 ? kGuideMessage : kDestinationList;
  const auto* units = reinterpret_cast<const std::uint16_t*>(text.data());
  const int bytes = static_cast<int>(text.size() * 2);

  std::atomic<int> wrong{0};
  std::thread destination([&] {
    StartTogether();
    if (PTT_Init() != 0) ++wrong;  // no destination file: nothing to read
    if (PTT_Parse_Raw_Protocol(units, bytes) != 0) ++wrong;
  });
  std::thread control([&] {
    StartTogether();
    if (CTL_Init(static_cast<VexaWindow>(nav)) != 1) ++wrong;
    CTL_Switch_To_Control();
  });
  std::thread sounds([&] {
    std::uint32_t record[2] = {0, static_cast<std::uint32_t>(code)};
    StartTogether();
    SoundModule::Instance()->Init();  // as process attach makes it
    if (SND_Start_Play_Sound(record) != 1) ++wrong;
    if (SND_Stop_Play_Sound(0) != 1) ++wrong;
  });
  destination.join();
  control.join();
  sounds.join();
  SharedBufferSound::TEST_CloseAll();
  std::exit(wrong.load() == 0 ? 0 : 1);
}

TEST_F(ThreeFamilies, FirstCallsStartTogetherInAFreshProcess) {
  // Re-run in a new process of this program for each round.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const struct {
    int code;
    int plan;
  } kFirstRounds[] = {{1, 1}, {2, 2}, {6, 1}, {9, 2}, {10, 1}};
  for (const auto& round : kFirstRounds) {
    SCOPED_TRACE("platform " + std::to_string(round.code) + ", plan " +
                 std::to_string(round.plan));
    EXPECT_EXIT(FirstCallsTogether(round.code, round.plan), ::testing::ExitedWithCode(0), "");
  }
}

}  // namespace
}  // namespace vexa

// Platform 9: the shared word, the named event and broadcast 1166. The
// listener's side is watched through the host's named-object access, from
// this process and from a second one; the order word, event, broadcast is
// checked at the moment of each step through the host dispatch table and a
// window's handler.

#include "sound/shared_buffer_sound.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/host/host_services.h"
#include "platform/host/named_event.h"
#include "sound/sound_test_support.h"

namespace vexa {
namespace {

using ::testing::ElementsAre;
using test::Sent;
using test::SoundTest;
namespace host = platform::host;

constexpr std::uint32_t kMessage = 1166;
constexpr std::uintptr_t kStopWParam = 65537;

// A sound record as the navigation program passes it: the library reads
// the 32-bit word at byte offset 4 and nothing else.
struct Record {
  std::uint32_t head;
  std::uint32_t word;
};

class SharedBufferSoundTest : public SoundTest {
 protected:
  void OpenListener() {
    event_ = host::OpenNamedEventForWait(SharedBufferSound::kEventName);
    word_ = static_cast<std::uint32_t*>(host::OpenNamedMappingView(
        SharedBufferSound::kMappingName, 4));
    ASSERT_NE(event_, nullptr);
    ASSERT_NE(word_, nullptr);
  }

  void TearDown() override {
    if (event_ != nullptr) platform::CloseKernelObject(event_);
    if (word_ != nullptr) platform::UnmapView(word_);
    SoundTest::TearDown();
  }

  std::uint64_t Signals() const { return host::SignalCount(event_); }

  platform::KernelObject event_ = nullptr;
  std::uint32_t* word_ = nullptr;
};

TEST_F(SharedBufferSoundTest, StartWritesWordPlusOneSignalsOnceAndBroadcasts) {
  auto module = ModuleFor(9);
  OpenListener();
  Record record{0xAAAAAAAAu, 41};
  EXPECT_EQ(module->StartPlaySound(&record), 1);
  EXPECT_EQ(*word_, 42u);
  EXPECT_EQ(Signals(), 1u);
  EXPECT_EQ(record.word, 41u);  // the caller's record is left alone

  record.word = 0xFFFFFFFFu;
  EXPECT_EQ(module->StartPlaySound(&record), 1);
  EXPECT_EQ(*word_, 0u);
  EXPECT_EQ(Signals(), 2u);
  EXPECT_THAT(winsim::Deliveries(),
              ElementsAre(Sent(winsim::kBroadcast, kMessage, 0),
                          Sent(winsim::kBroadcast, kMessage, 0)));
}

TEST_F(SharedBufferSoundTest, StopOnlyBroadcasts) {
  auto module = ModuleFor(9);
  OpenListener();
  *word_ = 1234;
  EXPECT_EQ(module->StopPlaySound(7), 1);
  EXPECT_EQ(*word_, 1234u);
  EXPECT_EQ(Signals(), 0u);
  EXPECT_THAT(winsim::Deliveries(),
              ElementsAre(Sent(winsim::kBroadcast, kMessage, kStopWParam)));
}

// What each step could see of the earlier ones.
std::uint32_t* g_watched_word = nullptr;
platform::KernelObject g_watched_event = nullptr;
std::vector<std::string> g_steps;

bool SignalAndNote(platform::KernelObject event) {
  g_steps.push_back("signal, word " + std::to_string(*g_watched_word));
  return host::DefaultServices().signal_event(event);
}

TEST_F(SharedBufferSoundTest, WordComesBeforeEventAndEventBeforeBroadcast) {
  auto module = ModuleFor(9);
  OpenListener();
  g_watched_word = word_;
  g_watched_event = event_;
  g_steps.clear();
  host::ScopedServices services;
  services.table().signal_event = SignalAndNote;
  winsim::CreateWindow(u"listener", true, [](const winsim::Message& m) {
    g_steps.push_back("message " + std::to_string(m.message) + ", signals " +
                      std::to_string(host::SignalCount(g_watched_event)));
    return std::intptr_t{0};
  });
  Record record{0, 99};
  module->StartPlaySound(&record);
  EXPECT_THAT(g_steps, ElementsAre("signal, word 100", "message 1166, signals 1"));
}

TEST_F(SharedBufferSoundTest, RecordNeedNotBeAligned) {
  auto module = ModuleFor(9);
  OpenListener();
  alignas(4) unsigned char bytes[16] = {};
  const std::uint32_t word = 0x01020304u;
  std::memcpy(bytes + 1 + 4, &word, sizeof(word));
  EXPECT_EQ(module->StartPlaySound(bytes + 1), 1);
  EXPECT_EQ(*word_, 0x01020305u);
}

TEST_F(SharedBufferSoundTest, NullRecordOnlyBroadcasts) {
  auto module = ModuleFor(9);
  OpenListener();
  *word_ = 5;
  EXPECT_EQ(module->StartPlaySound(nullptr), 1);
  EXPECT_EQ(*word_, 5u);
  EXPECT_EQ(Signals(), 0u);
  EXPECT_THAT(winsim::Deliveries(),
              ElementsAre(Sent(winsim::kBroadcast, kMessage, 0)));
}

// The host calls the variant's Init made at attach could see, counted.
struct InitCalls {
  int events = 0;
  int mappings = 0;
  int views = 0;
  std::vector<platform::KernelObject> closed;
  platform::KernelObject mapping = nullptr;
  int signals = 0;
};
InitCalls g_calls;

platform::KernelObject CountEvent(const char16_t* name, bool manual,
                                  bool signalled) {
  ++g_calls.events;
  return host::DefaultServices().create_named_event(name, manual, signalled);
}
platform::KernelObject NoEvent(const char16_t*, bool, bool) {
  ++g_calls.events;
  return nullptr;
}
platform::KernelObject CountMapping(const char16_t* name, std::uint32_t size) {
  ++g_calls.mappings;
  g_calls.mapping = host::DefaultServices().create_named_mapping(name, size);
  return g_calls.mapping;
}
platform::KernelObject NoMapping(const char16_t*, std::uint32_t) {
  ++g_calls.mappings;
  return nullptr;
}
void* NoView(platform::KernelObject) {
  ++g_calls.views;
  return nullptr;
}
void RecordClose(platform::KernelObject object) {
  g_calls.closed.push_back(object);
  host::DefaultServices().close_kernel_object(object);
}
bool CountSignal(platform::KernelObject event) {
  ++g_calls.signals;
  return host::DefaultServices().signal_event(event);
}

class SharedBufferInitTest : public SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    g_calls = InitCalls{};
    services_.table().create_named_event = CountEvent;
    services_.table().create_named_mapping = CountMapping;
    services_.table().close_kernel_object = RecordClose;
    services_.table().signal_event = CountSignal;
  }

  host::Services& table() { return services_.table(); }

 private:
  host::ScopedServices services_;
};

TEST_F(SharedBufferInitTest, MappingFailingAtAttachLeavesOnlyTheBroadcast) {
  table().create_named_mapping = NoMapping;
  auto module = ModuleFor(9);
  // The event was created and closed again.
  EXPECT_EQ(g_calls.events, 1);
  EXPECT_EQ(g_calls.mappings, 1);
  EXPECT_EQ(g_calls.closed.size(), 1u);

  // Four bytes only: reading the word at offset 4 would be out of bounds,
  // which the sanitizer build reports.
  auto short_record = std::make_unique<std::uint32_t[]>(1);
  EXPECT_EQ(module->StartPlaySound(short_record.get()), 1);
  EXPECT_EQ(g_calls.signals, 0);
  EXPECT_THAT(winsim::Deliveries(),
              ElementsAre(Sent(winsim::kBroadcast, kMessage, 0)));
}

TEST_F(SharedBufferInitTest, EventFailingStopsInitAtOnce) {
  table().create_named_event = NoEvent;
  SharedBufferSound variant;
  EXPECT_EQ(variant.Init(), 0);
  EXPECT_EQ(g_calls.mappings, 0);
  EXPECT_TRUE(g_calls.closed.empty());
  EXPECT_EQ(variant.StartPlaySound(nullptr), 1);
}

TEST_F(SharedBufferInitTest, ViewFailingClosesTheEventButKeepsTheMapping) {
  table().map_whole_view = NoView;
  SharedBufferSound variant;
  EXPECT_EQ(variant.Init(), 0);
  EXPECT_EQ(g_calls.views, 1);
  ASSERT_EQ(g_calls.closed.size(), 1u);
  EXPECT_NE(g_calls.closed[0], g_calls.mapping);
  Record record{0, 1};
  EXPECT_EQ(variant.StartPlaySound(&record), 1);
  EXPECT_EQ(g_calls.signals, 0);
}

TEST_F(SharedBufferInitTest, UninitClosesEventUnmapsViewAndKeepsMappingOpen) {
  SharedBufferSound variant;
  ASSERT_EQ(variant.Init(), 1);
  g_calls.closed.clear();
  variant.Uninit();
  ASSERT_EQ(g_calls.closed.size(), 1u);
  EXPECT_NE(g_calls.closed[0], g_calls.mapping);
  // Afterwards a start only broadcasts.
  Record record{0, 1};
  EXPECT_EQ(variant.StartPlaySound(&record), 1);
  EXPECT_EQ(g_calls.signals, 0);
  platform::CloseKernelObject(g_calls.mapping);
}

// A listener in another process, as the head unit has it: it waits on the
// event and reads the word, and reports each observation through a pipe.
TEST_F(SharedBufferSoundTest, ListenerInAnotherProcessSeesEachStartOnce) {
  auto module = ModuleFor(9);
  int to_parent[2];
  ASSERT_EQ(pipe(to_parent), 0);
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(to_parent[0]);
    close(go[1]);
    platform::KernelObject event =
        host::OpenNamedEventForWait(SharedBufferSound::kEventName);
    auto* word = static_cast<std::uint32_t*>(
        host::OpenNamedMappingView(SharedBufferSound::kMappingName, 4));
    if (event == nullptr || word == nullptr) _exit(2);
    // One wait per step the parent announces; a missing signal reports -1.
    for (std::uint32_t timeout : {5000u, 300u, 5000u}) {
      char step;
      if (read(go[0], &step, 1) != 1) _exit(3);
      std::int64_t seen = host::WaitNamedEvent(event, timeout)
                              ? std::int64_t{*word}
                              : std::int64_t{-1};
      if (write(to_parent[1], &seen, sizeof seen) != sizeof seen) _exit(4);
    }
    _exit(0);
  }
  close(to_parent[1]);
  close(go[0]);
  auto step = [&](auto action) {
    action();
    char c = 's';
    EXPECT_EQ(write(go[1], &c, 1), 1);
    std::int64_t seen = -2;
    EXPECT_EQ(read(to_parent[0], &seen, sizeof seen),
              static_cast<ssize_t>(sizeof seen));
    return seen;
  };
  Record record{0, 41};
  EXPECT_EQ(step([&] { module->StartPlaySound(&record); }), 42);
  EXPECT_EQ(step([&] { module->StopPlaySound(0); }), -1);
  record.word = 0xFFFFFFFFu;
  EXPECT_EQ(step([&] { module->StartPlaySound(&record); }), 0);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  close(to_parent[0]);
  close(go[1]);
}

}  // namespace
}  // namespace vexa

// vexa listen: waits, in its own process, for the sound start notifications
// of platform 9 — the named event "Come_From_NaviExe_Even" and the shared
// word in the mapping "Navi_Share_Buffer" — and prints each with its word
// and the time it was seen, until interrupted, after --count notifications
// or after --timeout seconds without one.
//
// The host's objects outlive the processes that use them, so an event may
// still be signalled by a run that ended before listen started (and on
// Windows by a navigation program that signalled before listen looked). That
// notification is stale: it is drained at the start and reported as such,
// never as a new one with a time it did not happen at.
//
// Threading: one thread; the interrupt handler only sets a flag, which the
// wait loop looks at between short waits.

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <memory>
#include <string>

#include "commands/commands.h"
#include "system/sound_listener.h"

namespace vexa::tool {
namespace {

constexpr std::uint32_t kPollMs = 100;

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) { g_interrupted = 1; }

struct ListenOptions {
  int count = 0;         // 0: no limit
  double timeout = 0;    // seconds; 0: no limit
};

std::string UtcNow() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(
                          now.time_since_epoch())
                          .count() %
                      1000;
  std::tm utc{};
  // gmtime is not reentrant, but this thread is the only caller.
  utc = *std::gmtime(&seconds);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
  char out[48];
  std::snprintf(out, sizeof out, "%s.%03dZ", text, static_cast<int>(millis));
  return out;
}

int RunListen(const ListenOptions& options) {
  SoundListener listener;
  std::string error;
  if (!listener.Open(&error)) {
    std::cerr << "vexa: " << error << '\n';
    return kExitFailed;
  }
  // A signal left from before the start is not a notification of this run.
  bool stale = false;
  while (listener.Wait(0)) stale = true;
  std::uint64_t signals = listener.SignalCount();
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);

  std::cout << "listening for sound start notifications (platform 9): event "
               "Come_From_NaviExe_Even, shared word Navi_Share_Buffer"
            << listener.NameNote() << std::endl;
  if (stale) {
    const std::uint32_t word = listener.Word();
    std::cout << "a notification was pending from before the start (word "
              << word << "); it is not counted" << std::endl;
  }

  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  auto last = start;
  int received = 0;
  int status = kExitOk;
  while (g_interrupted == 0 && std::cout &&
         (options.count == 0 || received < options.count)) {
    if (!listener.Wait(kPollMs)) {
      const double idle =
          std::chrono::duration<double>(Clock::now() - last).count();
      if (options.timeout > 0 && idle >= options.timeout) {
        std::cerr << "vexa: no notification within " << options.timeout
                  << " s\n";
        status = kExitFailed;
        break;
      }
      continue;
    }
    // The library writes the word before it signals the event.
    const std::uint32_t word = listener.Word();
    ++received;
    last = Clock::now();
    const double elapsed = std::chrono::duration<double>(last - start).count();
    // An auto-reset event keeps no count of its own: signals between two
    // waits show as one, and only the host's counter tells how many.
    const std::uint64_t now_signals = listener.SignalCount();
    const std::uint64_t merged = now_signals - signals;
    signals = now_signals;
    char line[200];
    std::snprintf(line, sizeof line,
                  "sound start %d: word %u (0x%08X) seen at %s (+%.3f s)",
                  received, static_cast<unsigned>(word),
                  static_cast<unsigned>(word), UtcNow().c_str(), elapsed);
    std::cout << line;
    if (merged > 1) {
      std::cout << " (" << merged << " signals since the last one; the "
                << "word is the latest)";
    }
    std::cout << std::endl;
  }
  if (g_interrupted != 0) {
    std::cout << "interrupted after " << received
              << (received == 1 ? " notification" : " notifications")
              << std::endl;
  }
  return status;
}

}  // namespace

void AddListenCommand(CLI::App& app, int* exit_code) {
  auto options = std::make_shared<ListenOptions>();
  CLI::App* command = app.add_subcommand(
      "listen",
      "Wait for platform 9's sound start notifications (the named event and "
      "the shared word) from another process and print each with its word "
      "and time.");
  command
      ->add_option("--count", options->count,
                   "Stop after this many notifications (default: until "
                   "interrupted)")
      ->check(CLI::Range(1, 1000000000).description(""));
  command
      ->add_option("--timeout", options->timeout,
                   "Give up after this many seconds without a notification")
      ->check(FiniteNumber(0.001, 1e9).description(""));
  command->footer(
      "On the host the objects are named after VEXA_IPC_PREFIX, as the "
      "library names them; run listen and the navigation program (or vexa "
      "simulate) with the same value. Objects that listen created are "
      "removed when it ends.\nExit status: 0 done or interrupted, 1 the "
      "objects cannot be opened or the timeout passed, 2 usage error.");
  command->callback([options, exit_code] { *exit_code = RunListen(*options); });
}

}  // namespace vexa::tool

// Fakes for the host platform layer: each replaces one row of the host
// dispatch table for the life of a scope and puts the previous row back at
// its end, so a suite can drive the clock, refuse file opens or watch any
// service without the modules knowing.
//
// One fake of each kind is active at a time per row; a nested one takes
// over and hands back on destruction. The fakes make no heap allocation
// when the library calls them, so they combine with AllocationCounter.
//
// Threading: create and destroy them only while no other thread is inside
// the library (the table is read without a lock).

#ifndef VEXA_TESTS_SUPPORT_FAKE_PLATFORM_H_
#define VEXA_TESTS_SUPPORT_FAKE_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <utility>

#include "platform/host/host_services.h"

namespace vexa::test {

// A settable tick count in place of the real clock:
//   ScopedFakeClock clock(1000);
//   clock.Advance(2001);
class ScopedFakeClock {
 public:
  explicit ScopedFakeClock(std::uint32_t start = 0);
  ~ScopedFakeClock();
  ScopedFakeClock(const ScopedFakeClock&) = delete;
  ScopedFakeClock& operator=(const ScopedFakeClock&) = delete;

  void Set(std::uint32_t now) { now_ = now; }
  // Wraps at 2^32 like the real tick count.
  void Advance(std::uint32_t ms) { now_ += ms; }
  // Each read moves the clock on by `ms` after returning (default 0).
  void set_step(std::uint32_t ms) { step_ = ms; }
  std::uint32_t now() const { return now_; }
  // How many times the clock was read.
  int reads() const { return reads_; }

 private:
  static std::uint32_t Read();

  std::uint32_t now_;
  std::uint32_t step_ = 0;
  int reads_ = 0;
  ScopedFakeClock* outer_;
  std::uint32_t (*previous_)();
};

// Makes file opening fail (null, errno ENOENT) while alive: every open, or
// only those whose path contains `path_part`. Other opens go on to the
// previous row.
class ScopedOpenFailure {
 public:
  explicit ScopedOpenFailure(const char* path_part = nullptr);
  ~ScopedOpenFailure();
  ScopedOpenFailure(const ScopedOpenFailure&) = delete;
  ScopedOpenFailure& operator=(const ScopedOpenFailure&) = delete;

  int attempts() const { return attempts_; }  // opens seen
  int failures() const { return failures_; }  // opens refused
  // The path and mode of the latest open seen (cut to the buffer).
  const char* last_path() const { return last_path_; }
  const char* last_mode() const { return last_mode_; }

 private:
  static std::FILE* Open(const char* path, const char* mode);

  const char* path_part_;
  int attempts_ = 0;
  int failures_ = 0;
  char last_path_[512] = {};
  char last_mode_[16] = {};
  ScopedOpenFailure* outer_;
  std::FILE* (*previous_)(const char*, const char*);
};

// Watches one row of the table: counts its calls and passes them on, or
// answers them itself after Replace().
//   ScopedServiceSpy<&platform::host::Services::delete_file_wide> deletes;
//   deletes.Replace([](const char16_t*) { return false; });
template <auto Row>
class ScopedServiceSpy;

template <class R, class... Args, R (*platform::host::Services::*Row)(Args...)>
class ScopedServiceSpy<Row> {
 public:
  ScopedServiceSpy()
      : outer_(active_), previous_(platform::host::CurrentServices().*Row) {
    active_ = this;
    platform::host::CurrentServices().*Row = &Call;
  }
  ~ScopedServiceSpy() {
    platform::host::CurrentServices().*Row = previous_;
    active_ = outer_;
  }
  ScopedServiceSpy(const ScopedServiceSpy&) = delete;
  ScopedServiceSpy& operator=(const ScopedServiceSpy&) = delete;

  int calls() const { return calls_; }
  // Answers every later call with `replacement` instead of the real service.
  void Replace(std::function<R(Args...)> replacement) {
    replacement_ = std::move(replacement);
  }
  // The row this spy replaced, to call the real service from a replacement.
  R CallPrevious(Args... args) { return previous_(args...); }

 private:
  static R Call(Args... args) {
    ScopedServiceSpy* self = active_;
    ++self->calls_;
    if (self->replacement_) return self->replacement_(args...);
    return self->previous_(args...);
  }

  static inline ScopedServiceSpy* active_ = nullptr;
  ScopedServiceSpy* outer_;
  R (*previous_)(Args...);
  std::function<R(Args...)> replacement_;
  int calls_ = 0;
};

}  // namespace vexa::test

#endif  // VEXA_TESTS_SUPPORT_FAKE_PLATFORM_H_

// Stand-in for NORL's Norl_Thread_Mutex over std::mutex, with a trace of
// every operation for teardown-order tests (see the header).

#include "norl_thread_mutex.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

namespace {

std::atomic<int> g_next_id{1};

void Trace(const char* op, int id) {
  const char* path = std::getenv("VEXA_NORL_TRACE");
  if (path == nullptr || *path == '\0') return;
  if (std::FILE* f = std::fopen(path, "a")) {
    std::fprintf(f, "mutex-%s %d\n", op, id);
    std::fclose(f);
  }
}

bool AcquireFails() {
  const char* v = std::getenv("VEXA_NORL_FAIL_ACQUIRE");
  return v != nullptr && std::strcmp(v, "1") == 0;
}

}  // namespace

Norl_Thread_Mutex::Norl_Thread_Mutex(const wchar_t* /*name*/,
                                     Norl_mutexattr_t* /*attributes*/)
    : impl_(new (std::nothrow) std::mutex), id_(g_next_id++) {
  Trace("construct", id_);
}

Norl_Thread_Mutex::~Norl_Thread_Mutex() {
  Trace("destroy", id_);
  delete static_cast<std::mutex*>(impl_);
}

int Norl_Thread_Mutex::acquire() {
  // Without its lock (its allocation failed) the mutex cannot be taken.
  if (impl_ == nullptr || AcquireFails()) {
    Trace("acquire-failed", id_);
    return -1;
  }
  static_cast<std::mutex*>(impl_)->lock();
  Trace("acquire", id_);
  return 0;
}

int Norl_Thread_Mutex::release() {
  Trace("release", id_);
  static_cast<std::mutex*>(impl_)->unlock();
  return 0;
}

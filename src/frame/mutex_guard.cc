#include "frame/mutex_guard.h"

#include "norl_thread_mutex.h"

namespace vexa {

MutexGuard::MutexGuard(Norl_Thread_Mutex* mutex)
    : mutex_(mutex), state_(mutex->acquire()) {}

MutexGuard::~MutexGuard() { Release(); }

int MutexGuard::Release() {
  if (state_ == -1) return -1;
  state_ = -1;
  return mutex_->release();
}

}  // namespace vexa

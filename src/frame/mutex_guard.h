// MutexGuard: a scoped lock over one module mutex. When `acquire` fails
// (-1) the guard holds nothing and never releases.

#ifndef VEXA_SRC_FRAME_MUTEX_GUARD_H_
#define VEXA_SRC_FRAME_MUTEX_GUARD_H_

class Norl_Thread_Mutex;

namespace vexa {

class MutexGuard {
 public:
  explicit MutexGuard(Norl_Thread_Mutex* mutex);
  ~MutexGuard();
  MutexGuard(const MutexGuard&) = delete;
  MutexGuard& operator=(const MutexGuard&) = delete;

  // Releases the mutex once. Returns the result of `release`, or -1 when
  // the guard holds nothing.
  int Release();

 private:
  Norl_Thread_Mutex* mutex_;
  int state_;  // result of acquire; -1: not held
};

}  // namespace vexa

#endif  // VEXA_SRC_FRAME_MUTEX_GUARD_H_

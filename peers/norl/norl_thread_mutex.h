// Stand-in for the maker's platform library NORL: its mutex class
// Norl_Thread_Mutex, the only part of NORL that Vexa uses.
//
// Test knobs, read from the environment at every call:
//   VEXA_NORL_TRACE      path of a file to which every construction,
//                        acquire, release and destruction is appended as a
//                        line "<op> <id>", ids counting constructions from 1.
//   VEXA_NORL_FAIL_ACQUIRE  when set to 1, acquire takes nothing and
//                        returns -1.

#ifndef VEXA_PEERS_NORL_NORL_THREAD_MUTEX_H_
#define VEXA_PEERS_NORL_NORL_THREAD_MUTEX_H_

#if defined(_WIN32)
#if defined(NORL_BUILDING)
#define NORL_API __declspec(dllexport)
#else
#define NORL_API __declspec(dllimport)
#endif
#else
#define NORL_API __attribute__((visibility("default")))
#endif

struct Norl_mutexattr_t;

class NORL_API Norl_Thread_Mutex {
 public:
  // name and attributes are optional; Vexa passes neither.
  explicit Norl_Thread_Mutex(const wchar_t* name = nullptr,
                             Norl_mutexattr_t* attributes = nullptr);
  ~Norl_Thread_Mutex();
  Norl_Thread_Mutex(const Norl_Thread_Mutex&) = delete;
  Norl_Thread_Mutex& operator=(const Norl_Thread_Mutex&) = delete;

  // Takes the mutex. Returns 0, or -1 when the mutex was not taken.
  int acquire();
  // Gives the mutex back. Returns 0.
  int release();

 private:
  void* impl_;
  int id_;
};

#endif  // VEXA_PEERS_NORL_NORL_THREAD_MUTEX_H_

// The single instance of a module (DestinationService, ControlModule,
// SoundModule), created on first use under a mutex of its own and deleted
// at unload through the runtime's exit list.
//
// Per module there are three static items: the mutex, the instance pointer
// and the InstanceDestroyer. The mutex and the destroyer are function-local
// statics, so the runtime registers their destruction in its exit list at
// the moment they are constructed: the mutex at the first Instance() call,
// the destroyer right after it at the first creation. The exit list runs in
// reverse order of registration, so each module is deleted before its own
// mutex, and the family first used last goes first.
//
// Threading: the fast path reads the instance pointer without the lock, as
// an atomic with acquire ordering. The first call into a family must not
// race another call into it (the mutex itself is constructed unguarded).

#ifndef VEXA_SRC_FRAME_MODULE_INSTANCE_H_
#define VEXA_SRC_FRAME_MODULE_INSTANCE_H_

#include <atomic>
#include <new>

#include "frame/mutex_guard.h"
#include "norl_thread_mutex.h"

namespace vexa {

// Called with a module's name just before the module is deleted at unload.
// For diagnostics and for tests that observe the teardown order.
using TeardownObserver = void (*)(const char* module_name);
void SetTeardownObserver(TeardownObserver observer);
void NotifyTeardown(const char* module_name);

// Deletes the module object at unload (with its owned strategy object).
template <class Module>
class InstanceDestroyer {
 public:
  InstanceDestroyer() = default;
  ~InstanceDestroyer() {
    if (pointer_ != nullptr) {
      NotifyTeardown(Module::kName);
      delete pointer_;
      pointer_ = nullptr;
    }
  }
  InstanceDestroyer(const InstanceDestroyer&) = delete;
  InstanceDestroyer& operator=(const InstanceDestroyer&) = delete;

  void Adopt(Module* pointer) { pointer_ = pointer; }

 private:
  Module* pointer_ = nullptr;
};

// ModuleInstance<Module>::Get() is the body of Module::Instance().
// Module must be default-constructible without throwing and name itself in
// `static constexpr const char kName[]`.
template <class Module>
class ModuleInstance {
 public:
  // The module's single object, created on first use; null when its
  // allocation failed (the next call tries again).
  static Module* Get() {
    // First call only: construct the mutex (no name, no attributes); its
    // destruction joins the exit list now.
    static Norl_Thread_Mutex mutex(nullptr, nullptr);

    Module* instance = instance_.load(std::memory_order_acquire);
    if (instance != nullptr) return instance;

    // A failed acquire leaves the guard empty; creation goes ahead anyway.
    MutexGuard guard(&mutex);
    instance = instance_.load(std::memory_order_relaxed);
    if (instance == nullptr) {
      instance = new (std::nothrow) Module();
      // The destroyer joins the exit list at the first attempt, right after
      // the mutex. It adopts the object whenever one is created, so an
      // object created after a failed first attempt is still deleted.
      static InstanceDestroyer<Module> destroyer;
      if (instance != nullptr) destroyer.Adopt(instance);
      instance_.store(instance, std::memory_order_release);
    }
    return instance;
  }

 private:
  // Never reset once set, not even at teardown.
  static std::atomic<Module*> instance_;
};

template <class Module>
std::atomic<Module*> ModuleInstance<Module>::instance_{nullptr};

}  // namespace vexa

#endif  // VEXA_SRC_FRAME_MODULE_INSTANCE_H_

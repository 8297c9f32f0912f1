#include "frame/module_instance.h"

namespace vexa {

namespace {
std::atomic<TeardownObserver> g_teardown_observer{nullptr};
}  // namespace

void SetTeardownObserver(TeardownObserver observer) {
  g_teardown_observer.store(observer);
}

void NotifyTeardown(const char* module_name) {
  if (TeardownObserver observer = g_teardown_observer.load()) {
    observer(module_name);
  }
}

}  // namespace vexa

#include "support/alloc_hooks.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> g_allocations{0};
// Fail when the allocation number (counted from 1) equals g_fail_at, and
// after it when g_fail_every_later is set. 0: no failure planned.
std::atomic<std::size_t> g_fail_at{0};
std::atomic<bool> g_fail_every_later{false};
std::atomic<std::size_t> g_failures{0};

void* Allocate(std::size_t size, bool nothrow) {
  std::size_t n = ++g_allocations;
  std::size_t at = g_fail_at.load();
  if (at != 0 && (n == at || (n > at && g_fail_every_later.load()))) {
    ++g_failures;
    if (nothrow) return nullptr;
    throw std::bad_alloc();
  }
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr && !nothrow) throw std::bad_alloc();
  return p;
}

}  // namespace

namespace vexa::test {

AllocationCounter::AllocationCounter() : start_(g_allocations.load()) {}

std::size_t AllocationCounter::count() const {
  return g_allocations.load() - start_;
}

ScopedAllocationFailure::ScopedAllocationFailure(std::size_t skip, bool every_later) {
  g_failures = 0;
  g_fail_every_later = every_later;
  g_fail_at = g_allocations.load() + skip + 1;
}

ScopedAllocationFailure::~ScopedAllocationFailure() {
  g_fail_at = 0;
  g_fail_every_later = false;
}

std::size_t ScopedAllocationFailure::failures() const { return g_failures.load(); }

}  // namespace vexa::test

void* operator new(std::size_t size) { return Allocate(size, false); }
void* operator new[](std::size_t size) { return Allocate(size, false); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size, true);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size, true);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

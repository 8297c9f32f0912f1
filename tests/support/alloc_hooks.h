// Heap-allocation hooks for tests: the test executables replace the global
// operator new and delete (every form) with versions that count calls and
// can be told to fail. A failing nothrow form returns null; a failing
// throwing form throws std::bad_alloc.
//
// Counts and failure plans are process-wide and not meant for tests that
// allocate from several threads at once.

#ifndef VEXA_TESTS_SUPPORT_ALLOC_HOOKS_H_
#define VEXA_TESTS_SUPPORT_ALLOC_HOOKS_H_

#include <cstddef>

namespace vexa::test {

// Counts operator new calls made while it is alive.
class AllocationCounter {
 public:
  AllocationCounter();
  std::size_t count() const;

 private:
  std::size_t start_;
};

// While alive, allocation number `skip` + 1 from now fails, and so does
// every later one when `every_later` is set.
class ScopedAllocationFailure {
 public:
  explicit ScopedAllocationFailure(std::size_t skip = 0, bool every_later = false);
  ~ScopedAllocationFailure();
  // How many allocations were refused so far.
  std::size_t failures() const;
};

}  // namespace vexa::test

#endif  // VEXA_TESTS_SUPPORT_ALLOC_HOOKS_H_

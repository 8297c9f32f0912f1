// The DLL's nothrow allocation functions, the only forms the library uses;
// the Windows CE build compiles this same file. The C++ runtime is linked
// into Vexa.dll statically (or, on Windows CE, not at all), so these are
// private to the DLL. The runtime's own versions call the throwing operator
// new inside a try block, which would bring the whole exception machinery
// (unwinder, terminate handler, demangler: about half the DLL) into a
// library that is built without exceptions. The library installs no
// new-handler, so the standard's behaviour comes down to: memory from
// malloc, or null. The matching operator delete forms are here too, so
// that what allocates and what frees are defined side by side: each gives
// the memory back to free.

#include <cstdlib>
#include <new>

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size == 0 ? 1 : size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size == 0 ? 1 : size);
}

void operator delete(void* pointer) noexcept { std::free(pointer); }

void operator delete[](void* pointer) noexcept { std::free(pointer); }

void operator delete(void* pointer, std::size_t) noexcept { std::free(pointer); }

void operator delete[](void* pointer, std::size_t) noexcept { std::free(pointer); }

// Called only if a constructor threw after a nothrow new, which cannot
// happen in code built without exceptions; defined for the complete pair.
void operator delete(void* pointer, const std::nothrow_t&) noexcept {
  std::free(pointer);
}

void operator delete[](void* pointer, const std::nothrow_t&) noexcept {
  std::free(pointer);
}

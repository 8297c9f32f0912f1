// The few C and C++ runtime symbols that the compiler and newlib's headers
// make the library refer to and that coredll does not export. Everything
// else of the C library is imported from coredll.
//
// The exit list belongs to the DLL, as a desktop C runtime's DLL entry keeps
// one per DLL: atexit and the compiler's destructor registrations add to it,
// and DllMain runs it at process detach. It is a fixed table: the library
// registers a handful of entries (one per static object with a destructor
// and the debug log's close), and a registration beyond it fails, which
// atexit reports to its caller.

#include "platform/wince/runtime.h"

#include <new>

namespace vexa::platform::wince {

namespace {

struct ExitEntry {
  void (*function)(void*);
  void* argument;
};

constexpr int kExitListSize = 32;
ExitEntry g_exit_list[kExitListSize];
int g_exit_count = 0;

int AddExit(void (*function)(void*), void* argument) {
  if (g_exit_count == kExitListSize) return -1;
  g_exit_list[g_exit_count++] = ExitEntry{function, argument};
  return 0;
}

void CallPlain(void* function) {
  reinterpret_cast<void (*)()>(function)();
}

// errno as newlib's headers spell it (*__errno()): coredll has none, and
// nothing in coredll sets this one; the library only saves and restores it.
int g_errno = 0;

}  // namespace

void RunExitList() {
  while (g_exit_count > 0) {
    const ExitEntry entry = g_exit_list[--g_exit_count];
    entry.function(entry.argument);
  }
}

}  // namespace vexa::platform::wince

// The tag of the nothrow allocation forms, which libstdc++ would define.
const std::nothrow_t std::nothrow{};

extern "C" {

void* __dso_handle = nullptr;

int atexit(void (*function)()) {
  return vexa::platform::wince::AddExit(
      vexa::platform::wince::CallPlain, reinterpret_cast<void*>(function));
}

int __cxa_atexit(void (*function)(void*), void* argument, void*) {
  return vexa::platform::wince::AddExit(function, argument);
}

// ARM's EABI names the registration with its arguments in another order.
int __aeabi_atexit(void* argument, void (*function)(void*), void*) {
  return vexa::platform::wince::AddExit(function, argument);
}

int* __errno() { return &vexa::platform::wince::g_errno; }

// The ARMv4/v5 cores of the head units have one core and no memory barrier
// instruction: ordering against other threads needs only the compiler not to
// move accesses across this call, which the call itself ensures.
void __sync_synchronize() {}

// A failed assertion of a header library (debug builds) stops where a
// debugger sees it: CE's runtime has no assertion handler to call.
void __assert_func(const char*, int, const char*, const char*) {
  __builtin_trap();
}

// Reached only through a broken object; stops in a way a debugger sees.
void __cxa_pure_virtual() { __builtin_trap(); }

}  // extern "C"

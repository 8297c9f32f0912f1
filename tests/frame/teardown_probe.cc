// Child program for the teardown-order tests. It stands in for the
// navigation program: it loads the library, calls the first export of each
// family named on the command line, in that order ("ptt", "ctl", "snd"),
// and ends. Everything it sees goes to the file named by VEXA_NORL_TRACE,
// the same file the NORL stand-in appends its mutex records to, so one file
// holds the whole order:
//   call <family>      before the family's first call
//   main-return        when main is done (the exit list runs after it)
//   unloaded           after dlclose returned (shared-object build)
//   delete <Module>    from the teardown observer (core build)
//
// Built twice from this file:
//  - core build: linked with the static core and the host loader glue, so
//    the constructor/destructor glue runs as it does in libvexa.so and the
//    teardown observer (hidden in the shared object) is reachable;
//  - shared-object build (VEXA_PROBE_LIBRARY, the path of libvexa.so):
//    loads libvexa.so with dlopen, calls through dlsym and unloads it
//    with dlclose, as the navigation program does.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef VEXA_PROBE_LIBRARY
#include <dlfcn.h>
#else
#include "frame/module_instance.h"
#include "vexa/vexa.h"
#endif

namespace {

void Trace(const std::string& line) {
  const char* path = std::getenv("VEXA_NORL_TRACE");
  if (path == nullptr) return;
  if (std::FILE* f = std::fopen(path, "a")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

#ifdef VEXA_PROBE_LIBRARY

using NoArgs = int (*)();
using OneArg = int (*)(std::uint32_t);
using Pointer = int (*)(const void*);

bool CallFamily(void* library, const std::string& family) {
  if (family == "ptt") {
    auto init = reinterpret_cast<NoArgs>(dlsym(library, "PTT_Init"));
    if (init == nullptr) return false;
    init();
  } else if (family == "ctl") {
    auto init = reinterpret_cast<OneArg>(dlsym(library, "CTL_Init"));
    if (init == nullptr) return false;
    init(0);
  } else if (family == "snd") {
    auto stop = reinterpret_cast<OneArg>(dlsym(library, "SND_Stop_Play_Sound"));
    if (stop == nullptr) return false;
    stop(0);
  } else {
    return false;
  }
  return true;
}

#else

void NoteDeletion(const char* module_name) {
  Trace(std::string("delete ") + module_name);
}

bool CallFamily(const std::string& family) {
  if (family == "ptt") return PTT_Init(), true;
  if (family == "ctl") return CTL_Init(0), true;
  if (family == "snd") return SND_Stop_Play_Sound(0), true;
  return false;
}

#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef VEXA_PROBE_LIBRARY
  void* library = dlopen(VEXA_PROBE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "dlopen: %s\n", dlerror());
    return 2;
  }
  for (int i = 1; i < argc; ++i) {
    Trace(std::string("call ") + argv[i]);
    if (!CallFamily(library, argv[i])) return 3;
  }
  if (dlclose(library) != 0) return 4;
  Trace("unloaded");
#else
  // Attach has already run (the loader glue's constructor) before main.
  vexa::SetTeardownObserver(NoteDeletion);
  for (int i = 1; i < argc; ++i) {
    Trace(std::string("call ") + argv[i]);
    if (!CallFamily(argv[i])) return 3;
  }
#endif
  Trace("main-return");
  return 0;
}

// The DLL's own exit list (see runtime.cc).

#ifndef VEXA_SRC_PLATFORM_WINCE_RUNTIME_H_
#define VEXA_SRC_PLATFORM_WINCE_RUNTIME_H_

namespace vexa::platform::wince {

// Runs the exit list's functions, the latest registered first, each once.
void RunExitList();

}  // namespace vexa::platform::wince

#endif  // VEXA_SRC_PLATFORM_WINCE_RUNTIME_H_

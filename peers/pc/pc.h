// Stand-in for the head unit's platform library PC: export number 12 gives
// the hardware platform code. Windows imports it by ordinal only; the name
// here is the one the import library binds to that ordinal.
//
// The stand-in reads VEXA_PLATFORM_CODE at every call (default 1).

#ifndef VEXA_PEERS_PC_PC_H_
#define VEXA_PEERS_PC_PC_H_

#if defined(_WIN32)
#if defined(PC_BUILDING)
#define PC_API __declspec(dllexport)
#else
#define PC_API __declspec(dllimport)
#endif
#else
#define PC_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

// The hardware platform code (export number 12).
PC_API int PC_GetPlatformCode(void);

#ifdef __cplusplus
}
#endif

#endif  // VEXA_PEERS_PC_PC_H_

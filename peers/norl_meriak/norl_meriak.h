// Stand-in for the navigation configuration library NORL_MERIAK: the
// configured destination plan, the plan-1 guide file path and the data
// directory. Windows imports the data-directory query by ordinal 133 only.
//
// The stand-in reads the environment at every call:
//   VEXA_GUIDE_PLAN   plan number (default 1)
//   VEXA_GUIDE_FILE   plan-1 file path (default: data directory + "\guide.dat")
//   VEXA_DATA_DIR     data directory (default ".")
// Paths are 8-bit text in the system code page, passed through unchanged.

#ifndef VEXA_PEERS_NORL_MERIAK_NORL_MERIAK_H_
#define VEXA_PEERS_NORL_MERIAK_NORL_MERIAK_H_

#if defined(_WIN32)
#if defined(NORL_MERIAK_BUILDING)
#define NORL_MERIAK_API __declspec(dllexport)
#else
#define NORL_MERIAK_API __declspec(dllimport)
#endif
#else
#define NORL_MERIAK_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

// The configured plan number.
NORL_MERIAK_API int Meriak_Config_GetOneKeyGuidePlan(void);

// The plan-1 guide message file path; never null. Valid until the next
// call; the caller copies it and never frees it.
NORL_MERIAK_API const char* Meriak_Config_GetOneKeyGuideFilePath(void);

// Export number 133: writes the data directory, NUL-terminated and without
// a trailing separator, into `buffer`. Never writes more than 256 bytes
// (terminator included); a longer setting is cut.
NORL_MERIAK_API void Meriak_Config_GetDataDirectory(char* buffer);

#ifdef __cplusplus
}
#endif

#endif  // VEXA_PEERS_NORL_MERIAK_NORL_MERIAK_H_

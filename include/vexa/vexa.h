/* Vexa: the add-on library that a navigation program loads on a head unit.
 *
 * Conventions shared by every export:
 *  - Eleven plain C functions, each returning int. No exception crosses them.
 *  - Calling convention: the C one. On 32-bit x86, where there are several,
 *    every function that crosses a library boundary is __cdecl (VEXA_CALL):
 *    the eleven exports, DestinationCallback, and the peers' functions the
 *    library calls ("StartPlaySound", "StopPlaySound", "NavSoundNotify").
 *    The caller removes the arguments from the stack; the names are not
 *    decorated (Vexa.dll exports them by the plain name, at numbers 1 to 11
 *    in alphabetical order).
 *  - PTT_ (destination hand-over): 0 on success, a negative code unique to
 *    the failing check otherwise (VEXA_E_* below).
 *  - CTL_ (control hand-over) and SND_ (sound notification): 1 when the work
 *    was done; some results come from the platform and are passed through.
 *    Without a module or a variant (allocation failed, or a CTL_ call before
 *    CTL_Init) they return 0 and do nothing.
 *  - The library is built without exceptions. A DestinationCallback must
 *    return normally, as a C function does.
 *  - All exports run on the caller's thread. Do not call into one family
 *    from several threads at the same time.
 *  - Text inside the library is 8-bit text in the system code page (GBK on
 *    code page 936). UTF-16 text is passed as 16-bit units, little-endian.
 *
 * The structures below are plain C layout; callers read them by offset.
 */
#ifndef VEXA_INCLUDE_VEXA_VEXA_H_
#define VEXA_INCLUDE_VEXA_VEXA_H_

#include <stdint.h>

#if defined(VEXA_BUILDING_LIBRARY) && defined(VEXA_USING_SHARED)
#error "VEXA_BUILDING_LIBRARY and VEXA_USING_SHARED must not both be set"
#endif

#if defined(_WIN32)
#if defined(VEXA_BUILDING_LIBRARY)
#define VEXA_API __declspec(dllexport)
#elif defined(VEXA_USING_SHARED)
#define VEXA_API __declspec(dllimport)
#else
#define VEXA_API
#endif
#else
#define VEXA_API __attribute__((visibility("default")))
#endif

/* The calling convention of every function that crosses the boundary;
 * empty where a platform has only one. */
#if defined(_WIN32) && (defined(_M_IX86) || defined(__i386__))
#define VEXA_CALL __cdecl
#elif defined(__i386__) && defined(__GNUC__)
#define VEXA_CALL __attribute__((cdecl))
#else
#define VEXA_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Destination packet ------------------------------------------------ */

/* Which parser wrote a packet. */
typedef enum PacketKind {
  GuideMessage = 0,    /* plan 1: 1 to 3 points, via points first */
  DestinationList = 1  /* plan 2: 0 to 5 named destinations */
} PacketKind;

/* Route preference of a point. */
typedef enum RouteMode {
  Recommended = 0,
  Fastest = 1,
  Shortest = 2,
  Economical = 3
} RouteMode;

/* Coordinates are signed 32-bit integers in 1/2560 arc-second: one degree is
 * 3600 * 2560 = 9,216,000 units. 0 means "no coordinate" and never appears
 * in a valid entry. */
#define VEXA_UNITS_PER_DEGREE 9216000

#define VEXA_MAX_POINTS 5
#define VEXA_NAME_SIZE 100

/* One point: 112 bytes. */
typedef struct DestinationEntry {
  int32_t longitude;          /* offset 0 */
  int32_t latitude;           /* offset 4 */
  int32_t routeMode;          /* offset 8: a RouteMode */
  char name[VEXA_NAME_SIZE];  /* offset 12: NUL-terminated, at most 99 bytes
                                 in the system code page; all zero for the
                                 points of a guide message */
} DestinationEntry;

/* The destination record: 568 bytes, little-endian, no padding. Entries 0
 * to pointCount - 1 are valid; every byte behind them is zero. */
typedef struct DestinationPacket {
  uint32_t kind;                               /* offset 0: a PacketKind */
  uint32_t pointCount;                         /* offset 4 */
  DestinationEntry entries[VEXA_MAX_POINTS];  /* offset 8 + 112 * i */
} DestinationPacket;

#define VEXA_PACKET_SIZE 568
#define VEXA_ENTRY_SIZE 112

/* Called after a successful PTT_Parse_Raw_Protocol with the address of the
 * library's current packet (the same address every time). The result is
 * ignored. */
typedef int (VEXA_CALL* DestinationCallback)(DestinationPacket* packet);

/* ---- Result codes ------------------------------------------------------ */

/* Success of the PTT_ family. */
#define VEXA_OK 0

/* Destination service. */
#define VEXA_E_NO_FILE (-2)          /* no path, or the file cannot be opened */
#define VEXA_E_NO_PLAN (-41)         /* PTT_Parse_Raw_Protocol before a plan */
#define VEXA_E_NO_TEXT (-42)         /* conversion gave no bytes; null text or
                                        negative length */
#define VEXA_E_BAD_PLAN (-43)        /* configured plan is neither 1 nor 2 */
#define VEXA_E_NULL_BUFFER (-44)     /* PTT_Get_DataPacket with a null buffer */
#define VEXA_E_NO_SERVICE (-45)      /* the service could not be allocated */

/* Plan 1, guide message file. */
#define VEXA_E_MSG_NO_LENGTH (-3)    /* the 4-byte length could not be read */
#define VEXA_E_MSG_TOO_LONG (-4)     /* length above 511 */
#define VEXA_E_MSG_SHORT_BODY (-5)   /* fewer body bytes than the length */
#define VEXA_E_MSG_FEW_FIELDS (-6)   /* fewer than 5 fields */
#define VEXA_E_MSG_NO_TNC (-7)       /* field 0 is not "(TNC" */
#define VEXA_E_MSG_NO_002 (-8)       /* field 1 is not "002" */
#define VEXA_E_MSG_BAD_ROUTE (-9)    /* field 2 does not start with '0'..'4' */
#define VEXA_E_MSG_BAD_COUNT (-10)   /* via-point count outside 0..2 */
#define VEXA_E_MSG_FEW_VIAS (-11)    /* fewer than 2 * n via fields */
#define VEXA_E_MSG_BAD_DEST (-12)    /* destination coordinate converts to 0 */
#define VEXA_E_MSG_BAD_VIA (-13)     /* via-point coordinate converts to 0 */

/* Plan 2, destination list file. */
#define VEXA_E_LIST_SEEK (-21)       /* seeking in the file failed */
#define VEXA_E_LIST_TELL (-22)       /* the file size cannot be determined */
#define VEXA_E_LIST_TOO_BIG (-23)    /* the file is larger than 511 bytes */
#define VEXA_E_LIST_SHORT_READ (-24) /* fewer bytes read than the size */
#define VEXA_E_LIST_NO_SPACES (-25)  /* no leading four spaces */
#define VEXA_E_LIST_NO_TNC (-26)     /* no field, or field 0 is not "(TNC" */
#define VEXA_E_LIST_BAD_ROUTE (-27)  /* not a route-preference word */
#define VEXA_E_LIST_BAD_COORD (-28)  /* a coordinate converts to 0 */

/* ---- Destination hand-over (PTT_) -------------------------------------- */

/* Selects the configured plan and takes over a pending destination file,
 * which is deleted once it was read and parsed. Never calls the callback.
 * 0, or VEXA_E_BAD_PLAN (previous plan kept), or VEXA_E_NO_SERVICE. */
VEXA_API int VEXA_CALL PTT_Init(void);

/* Registers the callback; null turns notification off. 0 or
 * VEXA_E_NO_SERVICE. */
VEXA_API int VEXA_CALL PTT_Set_Callback(DestinationCallback callback);

/* Copies the current packet (568 bytes) into buffer. 0, VEXA_E_NULL_BUFFER
 * or VEXA_E_NO_SERVICE. */
VEXA_API int VEXA_CALL PTT_Get_DataPacket(DestinationPacket* buffer);

/* Parses length bytes (two per unit; an odd last byte is ignored) of UTF-16
 * text by the configured plan. On success the packet replaces the current
 * one and the callback is called. 0 or a negative code. */
VEXA_API int VEXA_CALL PTT_Parse_Raw_Protocol(const uint16_t* text, int length);

/* ---- Control hand-over (CTL_) ------------------------------------------ */

/* Window handles cross the boundary as 32-bit values (the head unit's
 * handles are 32-bit; on 64-bit Windows a window handle is a sign-extended
 * 32-bit value, and the library widens it so). */
typedef uint32_t VexaWindow;

/* Chooses the control variant for the current platform code and gives it
 * the window. 1, or 0 without a module or variant. */
VEXA_API int VEXA_CALL CTL_Init(VexaWindow window);

/* Hands the screen back to the head unit's control program. */
VEXA_API int VEXA_CALL CTL_Switch_To_Control(void);

/* 1 when the platform has a control program to hand over to. */
VEXA_API int VEXA_CALL CTL_IsExist(void);

/* ---- Sound notification (SND_) ----------------------------------------- */

/* Tells the head unit that guidance sound starts. record is the caller's
 * sound record; only platform 9 reads it (the 32-bit word at offset 4). */
VEXA_API int VEXA_CALL SND_Start_Play_Sound(const void* record);

/* Tells the head unit that guidance sound stops. value is not used. */
VEXA_API int VEXA_CALL SND_Stop_Play_Sound(uint32_t value);

/* No effect on any platform; the results carry no information. */
VEXA_API int VEXA_CALL SND_Set_Volume(uint32_t value);
VEXA_API int VEXA_CALL SND_Get_Volume(uint32_t value);

#ifdef __cplusplus
}  /* extern "C" */
#endif

#endif  /* VEXA_INCLUDE_VEXA_VEXA_H_ */

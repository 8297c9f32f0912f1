// winsim: the host's simulation of the head unit's window system, display
// driver and registry, which Linux does not have. It is a shared library
// (libvexa_winsim.so) so that libvexa.so, the tests, the test peers and the
// companion tool all see one simulated system in a process.
//
// The simulation is deterministic and observable: windows live in one
// z-order list (top first); every message delivery, display escape and
// foreground request is recorded; a journal keeps, in order, the registry
// operations and whatever notes other parts of the process add (the test
// peers note their loads and calls there).
//
// Threading: all functions lock one internal mutex; message handlers run
// without it, on the caller's thread.

#ifndef VEXA_PEERS_WINSIM_WINSIM_H_
#define VEXA_PEERS_WINSIM_WINSIM_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#define WINSIM_API __attribute__((visibility("default")))

namespace winsim {

using Window = std::uintptr_t;         // 0: none
using DeviceContext = std::uintptr_t;  // 0: none
using RegistryKey = std::uintptr_t;    // 0: none
constexpr Window kBroadcast = 0xFFFF;
constexpr RegistryKey kCurrentUser = 0x80000001u;

struct Message {
  Window window;  // the receiver (a broadcast reaches each window by its own handle)
  std::uint32_t message;
  std::uintptr_t wparam;
  std::intptr_t lparam;
};

// A window's message handler; its result is the delivery's result.
using Handler = std::function<std::intptr_t(const Message&)>;

// ---- Windows --------------------------------------------------------------

// Creates a top-level window at the top of the z-order. Handles are never
// reused within a process and never equal kBroadcast.
WINSIM_API Window CreateWindow(const std::u16string& title, bool visible,
                               Handler handler = nullptr);
WINSIM_API void DestroyWindow(Window window);
WINSIM_API void SetVisible(Window window, bool visible);
// Replaces the z-order; `top_to_bottom` must hold every live window once.
WINSIM_API void SetZOrder(const std::vector<Window>& top_to_bottom);
WINSIM_API std::vector<Window> ZOrder();

WINSIM_API Window Find(const char16_t* title);  // exact title, or 0
WINSIM_API Window Next(Window window);          // below `window`, or 0
WINSIM_API bool Visible(Window window);         // false for unknown handles
WINSIM_API void SetForeground(Window window);   // recorded; only a known one comes forward
WINSIM_API Window Foreground();
WINSIM_API std::vector<Window> ForegroundRequests();

// Delivers a message. To a live window: runs its handler (0 without one).
// To kBroadcast: runs the handler of every top-level window, top first, and
// returns the broadcast result (SetBroadcastResult, default 1). To any
// other handle, 0 included: nothing runs, the result is 0. Every call is
// recorded as one Delivery.
WINSIM_API std::intptr_t Send(Window window, std::uint32_t message,
                              std::uintptr_t wparam, std::intptr_t lparam);
WINSIM_API void SetBroadcastResult(std::intptr_t result);

struct Delivery {
  Window target;  // as passed: kBroadcast, a window, or 0
  std::uint32_t message;
  std::uintptr_t wparam;
  std::intptr_t lparam;
};
WINSIM_API std::vector<Delivery> Deliveries();

// ---- Display driver -------------------------------------------------------

// A device context per window (0 for an unknown window).
WINSIM_API DeviceContext GetDC(Window window);
WINSIM_API void ReleaseDC(Window window, DeviceContext dc);

// Records the escape and returns the result set by SetEscapeResult
// (default 1).
WINSIM_API int Escape(DeviceContext dc, int code, int input_size,
                      const char* input, int output_size, char* output);
WINSIM_API void SetEscapeResult(int result);

struct EscapeRecord {
  Window window;  // the window whose device context was used (0: unknown)
  DeviceContext dc;
  int code;
  int input_size;
  bool has_input;
  int output_size;
  bool has_output;
};
WINSIM_API std::vector<EscapeRecord> Escapes();
// Device contexts handed out by GetDC and not yet given back by ReleaseDC.
WINSIM_API int OpenDCCount();

// ---- Registry -------------------------------------------------------------
// Keys are paths below a root, compared case-insensitively as Windows does;
// value names likewise. Values are raw bytes (strings are stored as UTF-16
// with their terminator).

WINSIM_API void SetRegistryString(RegistryKey root, const std::u16string& key,
                                  const std::u16string& name,
                                  const std::u16string& value);
WINSIM_API void SetRegistryBytes(RegistryKey root, const std::u16string& key,
                                 const std::u16string& name,
                                 const std::vector<std::uint8_t>& bytes);
// Loads "root\key\path|name|value" lines (root HKCU; value as UTF-8 text).
// Also done once at first registry use when VEXA_REGISTRY names a file.
WINSIM_API bool LoadRegistryFile(const std::string& path);

// Win32-like: 0 on success, non-zero (2, "not found") otherwise.
WINSIM_API long RegOpen(RegistryKey root, const char16_t* subkey,
                        RegistryKey* key);
// Copies the value into `buffer` when it fits in `*size` bytes and sets
// `*size` to its length; a larger value gives 234 ("more data").
WINSIM_API long RegQuery(RegistryKey key, const char16_t* name, void* buffer,
                         std::uint32_t* size);
WINSIM_API void RegClose(RegistryKey key);
WINSIM_API int OpenKeyCount();

// ---- Journal and reset ----------------------------------------------------

// Appends a line to the journal (the registry operations add "reg-open
// <key>", "reg-query <name>", "reg-close").
WINSIM_API void Note(const std::string& line);
WINSIM_API std::vector<std::string> Journal();

// Forgets every window, record, registry value and journal line, and
// restores the default results.
WINSIM_API void Reset();

}  // namespace winsim

#endif  // VEXA_PEERS_WINSIM_WINSIM_H_

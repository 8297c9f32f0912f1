// The host's named event and named mapping, for the companion tool's
// listener (tools/vexa/system/posix/sound_listener.cc): it waits on the
// event and reads the shared word that the library signals and writes from
// another process. On the host these are POSIX shared-memory objects named
// after VEXA_IPC_PREFIX (see platform/host/named_event.h, which the tool
// never includes). Host build only: on Windows the tool opens the real
// kernel objects itself.
//
// Threading: every function may be called from any thread.

#ifndef VEXA_SRC_TOOL_INTERFACE_NAMED_OBJECTS_H_
#define VEXA_SRC_TOOL_INTERFACE_NAMED_OBJECTS_H_

#include <cstddef>
#include <cstdint>

namespace vexa::tool_interface {

using NamedEvent = void*;  // null: none

// Opens the named auto-reset event, creating it (not signalled) when it
// does not exist yet. Null on failure. Close it with CloseNamedEvent.
NamedEvent OpenNamedEventForWait(const char16_t* name);
void CloseNamedEvent(NamedEvent event);

// Waits up to `timeout_ms` for the event; true when it was signalled (the
// wait resets it).
bool WaitNamedEvent(NamedEvent event, std::uint32_t timeout_ms);

// How many times the event has been signalled since it was built, by any
// process.
std::uint64_t SignalCount(NamedEvent event);

// Maps `size` bytes of the named mapping read/write, creating it when it
// does not exist yet. Null on failure. Unmap it with UnmapNamedView.
void* OpenNamedMappingView(const char16_t* name, std::uint32_t size);
void UnmapNamedView(void* view);

// Removes the named event or mapping (open handles and views stay usable).
// True when an object was removed.
bool RemoveNamedEvent(const char16_t* name);
bool RemoveNamedMapping(const char16_t* name);

// The host name of a named event (`event` set) or mapping into `out` of
// `capacity` bytes, NUL-terminated. False when it does not fit.
bool HostObjectName(const char16_t* name, bool event, char* out,
                    std::size_t capacity);

}  // namespace vexa::tool_interface

#endif  // VEXA_SRC_TOOL_INTERFACE_NAMED_OBJECTS_H_

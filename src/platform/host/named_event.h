// Host-only access to the named kernel objects from outside the library:
// the companion tool's listener and the tests open the named event and the
// named mapping that the library creates, from the same or another process.
//
// On the host the objects are POSIX shared-memory objects. A name is the
// UTF-16 name in UTF-8, prefixed by "/" and the value of VEXA_IPC_PREFIX (if
// set, read at every call), with '/' and '\' in the name made '_'. An event
// carries the suffix ".event" so it never meets a mapping of the same name.
// Unlike Windows objects they outlive the processes that use them, until
// they are removed: a run that finds objects left by an earlier one reuses
// them (an event keeps its signalled state and its count). Tests therefore
// run under their own VEXA_IPC_PREFIX and call UnlinkNamedObjects(prefix)
// before and after; an event left half-built by a crashed creator is
// detected (its ready mark never appears) and rebuilt.
//
// Threading: every function may be called from any thread.

#ifndef VEXA_SRC_PLATFORM_HOST_NAMED_EVENT_H_
#define VEXA_SRC_PLATFORM_HOST_NAMED_EVENT_H_

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace vexa::platform::host {

// Opens the named auto-reset event, creating it (not signalled) when it
// does not exist yet. Null on failure. Close it with CloseKernelObject.
KernelObject OpenNamedEventForWait(const char16_t* name);

// Waits up to `timeout_ms` milliseconds for the event. Returns true when it
// was signalled; an auto-reset event is reset by the wait that sees it.
// Returns false on timeout or for a handle that is not an event.
bool WaitNamedEvent(KernelObject event, std::uint32_t timeout_ms);

// How many times the event has been signalled since its object was built,
// by any process. 0 for a handle that is not an event.
std::uint64_t SignalCount(KernelObject event);

// Maps `size` bytes of the named mapping read/write, creating the mapping
// when it does not exist yet. Null on failure. Unmap it with UnmapView.
void* OpenNamedMappingView(const char16_t* name, std::uint32_t size);

// Removes the named event or mapping, so that the next creation builds a
// fresh object. Handles and views already open stay usable. Returns true
// when an object was removed.
bool RemoveNamedEvent(const char16_t* name);
bool RemoveNamedMapping(const char16_t* name);

// Removes every shared-memory object whose name (without the leading '/')
// starts with `prefix`. An empty or null prefix removes nothing. Returns the
// number of objects removed.
int UnlinkNamedObjects(const char* prefix);

// Writes the host name of a named event (`event` set) or mapping into `out`
// of `capacity` bytes, NUL-terminated. False when it does not fit.
bool HostObjectName(const char16_t* name, bool event, char* out,
                    std::size_t capacity);

}  // namespace vexa::platform::host

#endif  // VEXA_SRC_PLATFORM_HOST_NAMED_EVENT_H_

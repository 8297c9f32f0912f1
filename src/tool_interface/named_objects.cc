#include "tool_interface/named_objects.h"

#include "platform/host/named_event.h"
#include "platform/platform.h"

namespace vexa::tool_interface {

namespace host = platform::host;

NamedEvent OpenNamedEventForWait(const char16_t* name) {
  return host::OpenNamedEventForWait(name);
}

void CloseNamedEvent(NamedEvent event) { platform::CloseKernelObject(event); }

bool WaitNamedEvent(NamedEvent event, std::uint32_t timeout_ms) {
  return host::WaitNamedEvent(event, timeout_ms);
}

std::uint64_t SignalCount(NamedEvent event) { return host::SignalCount(event); }

void* OpenNamedMappingView(const char16_t* name, std::uint32_t size) {
  return host::OpenNamedMappingView(name, size);
}

void UnmapNamedView(void* view) { platform::UnmapView(view); }

bool RemoveNamedEvent(const char16_t* name) {
  return host::RemoveNamedEvent(name);
}

bool RemoveNamedMapping(const char16_t* name) {
  return host::RemoveNamedMapping(name);
}

bool HostObjectName(const char16_t* name, bool event, char* out,
                    std::size_t capacity) {
  return host::HostObjectName(name, event, out, capacity);
}

}  // namespace vexa::tool_interface

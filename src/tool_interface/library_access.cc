#include "tool_interface/library_access.h"

#include "platform/platform.h"

namespace vexa::tool_interface {

Library LoadLibraryByName(const char16_t* file_name) {
  return platform::LoadLibraryByName(file_name);
}

void* FindExport(Library library, const char* name) {
  return platform::FindExport(library, name);
}

}  // namespace vexa::tool_interface

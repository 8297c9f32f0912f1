#include "tool_interface/system_access.h"

#include "platform/platform.h"

namespace vexa::tool_interface {

unsigned AnsiCodePage() { return platform::AnsiCodePage(); }

int WideToCodePage(unsigned code_page, const char16_t* text, int units,
                   char* out, int capacity) {
  return platform::WideToCodePage(code_page, text, units, out, capacity);
}

int CodePageToWide(unsigned code_page, const char* text, char16_t* out,
                   int capacity) {
  return platform::CodePageToWide(code_page, text, out, capacity);
}

Library LoadLibraryByName(const char16_t* file_name) {
  return platform::LoadLibraryByName(file_name);
}

void* FindExport(Library library, const char* name) {
  return platform::FindExport(library, name);
}

}  // namespace vexa::tool_interface

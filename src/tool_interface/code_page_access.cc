#include "tool_interface/code_page_access.h"

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

}  // namespace vexa::tool_interface

// Code pages: the system's ANSI code page and the conversions between it and
// UTF-16, straight from coredll. These calls define the behaviour that the
// host layer imitates: no flags, the code page's default character for what
// it lacks, and all or nothing when the output buffer is too small.

#include "platform/platform.h"
#include "platform/wince/wince_api.h"

namespace vexa::platform {

unsigned AnsiCodePage() { return ::GetACP(); }

int WideToCodePage(unsigned code_page, const char16_t* text, int units,
                   char* out, int capacity) {
  // coredll reads a count of -1 as "up to the terminator" and a capacity of 0
  // as "report the size needed"; neither is a conversion, so both give 0.
  if (units <= 0 || capacity <= 0) return 0;
  return ::WideCharToMultiByte(code_page, 0, wince::Wide(text), units, out,
                               capacity, nullptr, nullptr);
}

int CodePageToWide(unsigned code_page, const char* text, char16_t* out,
                   int capacity) {
  if (capacity <= 0) return 0;
  return ::MultiByteToWideChar(code_page, 0, text, -1, wince::Wide(out),
                               capacity);
}

}  // namespace vexa::platform

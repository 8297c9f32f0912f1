// The host's code page conversions (code page 936 as Windows converts it)
// as plain C functions for the CE suite's coredll stand-in, which loads this
// library with ctypes, so that the CE DLL meets the same conversion in the
// differential as the other builds do.

#include "platform/platform.h"

extern "C" {

__attribute__((visibility("default"))) int VexaWideToCodePage(
    unsigned code_page, const char16_t* text, int units, char* out, int capacity) {
  return vexa::platform::WideToCodePage(code_page, text, units, out, capacity);
}

__attribute__((visibility("default"))) int VexaCodePageToWide(
    unsigned code_page, const char* text, char16_t* out, int capacity) {
  return vexa::platform::CodePageToWide(code_page, text, out, capacity);
}

}  // extern "C"

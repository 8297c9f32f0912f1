// Code page 936 as Windows converts it: runs of text that the difference
// table does not list go through glibc's converter, and each character the
// table lists is written from it.

#include "platform/host/cp936_conversion.h"

#include <cstddef>
#include <cstring>

#include "platform/host/code_page_range.h"
#include "platform/host/cp936_windows_table.h"
#include "platform/host/iconv_run.h"

namespace vexa::platform::host {
namespace {

static_assert(RangesAreSorted(kCp936WideToCodePage));
static_assert(RangesAreSorted(kCp936CodePageToWide));
// ASCII converts the same on both sides, so the loops below skip the table
// for it.
static_assert(kCp936WideToCodePage[0].first >= 0x80);
static_assert(kCp936CodePageToWide[0].first >= 0x80);

constexpr char kGbkDefault = '?';
constexpr RangeBlocks kGbkWideBlocks = BlocksOf(kCp936WideToCodePage);
constexpr RangeBlocks kGbkByteBlocks = BlocksOf(kCp936CodePageToWide);

bool IsGbkLead(unsigned char byte) {
  return byte >= kCp936FirstLead && byte <= kCp936LastLead;
}

// How many bytes the character at `in` takes: a lead byte takes the next
// byte unless that is the terminator. REQUIRES: in[0] is not the terminator.
std::size_t GbkSequenceBytes(const unsigned char* in) {
  return IsGbkLead(in[0]) && in[1] != 0 ? 2 : 1;
}

// Converts units that the table does not list with glibc; a unit glibc
// refuses becomes '?', as Windows writes for it. False when the result does
// not fit.
bool GbkRunFromWide(iconv_t cd, const char16_t* run, std::size_t units, char** put,
                    std::size_t* put_left) {
  return IconvWithReplacement(
      cd, reinterpret_cast<const char*>(run), units * 2, &kGbkDefault, 1,
      [](const char*, std::size_t) { return std::size_t{2}; }, put, put_left);
}

// Converts byte sequences that the table does not list with glibc; a
// sequence glibc refuses becomes '?', as Windows reads it.
bool GbkRunToWide(iconv_t cd, const unsigned char* run, std::size_t size, char** put,
                  std::size_t* put_left) {
  const char16_t question = kGbkDefault;
  // A run never ends inside a character, so a lead byte's trail is in it.
  return IconvWithReplacement(
      cd, reinterpret_cast<const char*>(run), size,
      reinterpret_cast<const char*>(&question), 2,
      [](const char* in, std::size_t) {
        return GbkSequenceBytes(reinterpret_cast<const unsigned char*>(in));
      },
      put, put_left);
}

}  // namespace

int Cp936FromWide(iconv_t cd, const char16_t* text, int units, char* out, int capacity) {
  char* put = out;
  std::size_t put_left = static_cast<std::size_t>(capacity);
  const char16_t* run = text;
  const char16_t* end = text + units;
  for (const char16_t* p = text; p < end; ++p) {
    const unsigned unit = *p;
    if (unit < 0x80) continue;
    unsigned code = kGbkDefault;  // surrogates
    if ((unit & 0xF800) != 0xD800 &&
        !(kGbkWideBlocks.Has(unit) && LookUpRange(kCp936WideToCodePage, unit, &code))) {
      continue;
    }
    if (!GbkRunFromWide(cd, run, static_cast<std::size_t>(p - run), &put, &put_left)) return 0;
    const char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code)};
    const bool fits = code > 0xFF ? PutBytes(bytes, 2, &put, &put_left)
                                  : PutBytes(bytes + 1, 1, &put, &put_left);
    if (!fits) return 0;
    run = p + 1;
  }
  if (!GbkRunFromWide(cd, run, static_cast<std::size_t>(end - run), &put, &put_left)) return 0;
  return static_cast<int>(put - out);
}

int Cp936ToWide(iconv_t cd, const char* text, char16_t* out, int capacity) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  const std::size_t size = std::strlen(text) + 1;  // the terminator too
  char* put = reinterpret_cast<char*>(out);
  std::size_t put_left = static_cast<std::size_t>(capacity) * 2;
  std::size_t run = 0;
  std::size_t i = 0;
  while (i < size) {
    if (bytes[i] < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = GbkSequenceBytes(bytes + i);
    const unsigned key = length == 2 ? (bytes[i] << 8 | bytes[i + 1]) : bytes[i];
    unsigned unit = 0;
    if (kGbkByteBlocks.Has(key) && LookUpRange(kCp936CodePageToWide, key, &unit)) {
      const char16_t wide = static_cast<char16_t>(unit);
      if (!GbkRunToWide(cd, bytes + run, i - run, &put, &put_left) ||
          !PutBytes(reinterpret_cast<const char*>(&wide), 2, &put, &put_left)) {
        return 0;
      }
      run = i + length;
    }
    i += length;
  }
  if (!GbkRunToWide(cd, bytes + run, size - run, &put, &put_left)) return 0;
  return static_cast<int>((put - reinterpret_cast<char*>(out)) / 2);
}

}  // namespace vexa::platform::host

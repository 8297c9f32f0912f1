// Code pages in the web build: code page 936 (GBK) is the system code page,
// and both conversions read the complete table of how Windows converts it
// (cp936_table.h, generated from the Win32 functions), so the module gives
// the bytes a head unit gives: surrogates, user-defined areas and best-fit
// characters included. No converter of the browser or the C library is
// involved. The single-byte pages an interchange file may be named in (874,
// 1250 to 1258) come from single_byte_code_pages.cc; other code pages are
// not available: their conversions give 0.
//
// The tables are constant data; the functions keep no state and allocate
// nothing.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/platform.h"
#include "platform/web/cp936_table.h"
#include "platform/web/single_byte_code_pages.h"

namespace vexa::platform {
namespace {

constexpr unsigned kGbk = 936;
constexpr unsigned kTrailsPerLead = 255;  // trail bytes 0x01-0xFF

// The system code page by its identifiers: ANSI, OEM and thread code page
// all mean 936 here, as on the head units.
bool IsGbk(unsigned code_page) {
  return code_page == 0 || code_page == 1 || code_page == 3 || code_page == kGbk;
}

template <std::size_t N, std::size_t M>
unsigned LookUp(const web::Cp936Segment (&segments)[N],
                const std::uint16_t (&literals)[M], unsigned index) {
  // The last segment that begins at or before `index`; the first begins at 0.
  std::size_t low = 0;
  std::size_t high = N;
  while (high - low > 1) {
    const std::size_t mid = low + (high - low) / 2;
    if (segments[mid].first <= index) {
      low = mid;
    } else {
      high = mid;
    }
  }
  const web::Cp936Segment& segment = segments[low];
  const unsigned offset = index - segment.first;
  switch (segment.kind) {
    case 0: return segment.value;
    case 1: return segment.value + offset;
    default: return literals[segment.value + offset];
  }
}

static_assert(web::kCp936WideSegments[0].first == 0 &&
              web::kCp936ByteSegments[0].first == 0);

bool IsLead(unsigned char byte) {
  return byte >= web::kCp936FirstLead && byte <= web::kCp936LastLead;
}

}  // namespace

unsigned AnsiCodePage() { return kGbk; }

int WideToCodePage(unsigned code_page, const char16_t* text, int units,
                   char* out, int capacity) {
  if (const web::SingleByteCodePage* table = web::FindSingleByte(code_page)) {
    return web::WideToSingleByte(*table, text, units, out, capacity);
  }
  if (!IsGbk(code_page) || units <= 0 || capacity <= 0) return 0;
  int written = 0;
  for (int i = 0; i < units; ++i) {
    // A surrogate pair converts as its two units do: '?' each.
    const unsigned code = LookUp(web::kCp936WideSegments,
                                 web::kCp936WideLiterals, text[i]);
    const int size = code > 0xFF ? 2 : 1;
    if (size > capacity - written) return 0;  // all or nothing
    if (size == 2) out[written++] = static_cast<char>(code >> 8);
    out[written++] = static_cast<char>(code & 0xFF);
  }
  return written;
}

int CodePageToWide(unsigned code_page, const char* text, char16_t* out,
                   int capacity) {
  if (const web::SingleByteCodePage* table = web::FindSingleByte(code_page)) {
    return web::SingleByteToWide(*table, text, out, capacity);
  }
  if (!IsGbk(code_page) || capacity <= 0) return 0;
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  const std::size_t size = std::strlen(text) + 1;  // the terminator too
  int written = 0;
  for (std::size_t i = 0; i < size;) {
    unsigned index = bytes[i];
    // A lead byte takes any byte but the terminator as its trail byte.
    if (IsLead(bytes[i]) && bytes[i + 1] != 0) {
      index = 0x100 + (bytes[i] - web::kCp936FirstLead) * kTrailsPerLead +
              bytes[i + 1] - 1;
      i += 2;
    } else {
      i += 1;
    }
    if (written == capacity) return 0;
    out[written++] = static_cast<char16_t>(
        LookUp(web::kCp936ByteSegments, web::kCp936ByteLiterals, index));
  }
  return written;
}

}  // namespace vexa::platform

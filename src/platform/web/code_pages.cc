// Code pages in the web build: code page 936 (GBK) is the system code page,
// converted as Windows converts it, so the module gives the bytes a head
// unit gives: surrogates, user-defined areas and best-fit characters
// included. No converter of the browser or the C library is involved. The
// single-byte pages an interchange file may be named in (874, 1250 to 1258)
// come from single_byte_code_pages.cc; other code pages are not available:
// their conversions give 0.
//
// cp936_table.h, generated from the Win32 functions, holds how every byte
// sequence reads. Windows writes a unit as the lowest byte sequence that
// reads as it, so the other direction is that table's inverse, built once
// on the first conversion to the code page; a unit no sequence reads as
// takes its best-fit code from the table's short list, or becomes '?'. The
// generator checks that rule for every unit.
//
// The module has one thread. The inverse lies in zero-initialised static
// storage (128 KiB, no bytes in the module file); nothing is allocated.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "platform/platform.h"
#include "platform/web/cp936_table.h"
#include "platform/web/single_byte_code_pages.h"

namespace vexa::platform {
namespace {

constexpr unsigned kGbk = 936;
constexpr unsigned kDefaultChar = 0x3F;   // '?'
constexpr unsigned kTrailsPerLead = 255;  // trail bytes 0x01-0xFF
// Every index of the byte table: the bytes alone, then each lead byte with
// each trail byte.
constexpr unsigned kSequences =
    0x100 + (web::kCp936LastLead - web::kCp936FirstLead + 1) * kTrailsPerLead;

static_assert(web::kCp936ByteSegments[0].first == 0);

constexpr bool BestFitIsSorted() {
  for (std::size_t i = 1; i < std::size(web::kCp936BestFit); ++i) {
    if (web::kCp936BestFit[i - 1].unit >= web::kCp936BestFit[i].unit) return false;
  }
  return true;
}
static_assert(BestFitIsSorted());

// Unit -> the code (byte, or lead byte << 8 | trail byte) of the lowest
// byte sequence that reads as it; 0 where none does, since only the NUL
// byte, which reads as unit 0, has code 0.
std::uint16_t g_inverse[0x10000];
bool g_inverse_built = false;

// The code of the sequence at `index`. REQUIRES: index < kSequences.
unsigned CodeOf(unsigned index) {
  if (index < 0x100) return index;
  const unsigned offset = index - 0x100;
  return (web::kCp936FirstLead + offset / kTrailsPerLead) << 8 |
         (offset % kTrailsPerLead + 1);
}

unsigned ValueAt(const web::Cp936Segment& segment, unsigned offset) {
  switch (segment.kind) {
    case 0: return segment.value;
    case 1: return segment.value + offset;
    default: return web::kCp936ByteLiterals[segment.value + offset];
  }
}

// The unit that the sequence at `index` reads as.
unsigned UnitOf(unsigned index) {
  // The last segment that begins at or before `index`; the first begins at 0.
  const auto* segment = std::upper_bound(
      std::begin(web::kCp936ByteSegments), std::end(web::kCp936ByteSegments), index,
      [](unsigned i, const web::Cp936Segment& s) { return i < s.first; });
  --segment;
  return ValueAt(*segment, index - segment->first);
}

// Walks every sequence once, from the last down, so that of the sequences
// that read as one unit ('?' is read from many) the lowest is written last
// and stays. Filled on first use without a guard: the web module is built
// without threads, so no other call can see it half-built.
void BuildInverse() {
  unsigned end = kSequences;
  for (std::size_t s = std::size(web::kCp936ByteSegments); s-- > 0;) {
    const web::Cp936Segment& segment = web::kCp936ByteSegments[s];
    for (unsigned index = end; index-- > segment.first;) {
      g_inverse[ValueAt(segment, index - segment.first)] =
          static_cast<std::uint16_t>(CodeOf(index));
    }
    end = segment.first;
  }
  g_inverse_built = true;
}

unsigned EncodeUnit(unsigned unit) {
  if (!g_inverse_built) BuildInverse();
  if (g_inverse[unit] != 0 || unit == 0) return g_inverse[unit];
  const auto* entry = std::lower_bound(
      std::begin(web::kCp936BestFit), std::end(web::kCp936BestFit), unit,
      [](const web::Cp936BestFit& e, unsigned u) { return e.unit < u; });
  if (entry != std::end(web::kCp936BestFit) && entry->unit == unit) return entry->code;
  return kDefaultChar;  // surrogates too, paired or not
}

// The system code page by its identifiers: ANSI, OEM and thread code page
// all mean 936 here, as on the head units.
bool IsGbk(unsigned code_page) {
  return code_page == 0 || code_page == 1 || code_page == 3 || code_page == kGbk;
}

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
    const unsigned code = EncodeUnit(text[i]);
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
    out[written++] = static_cast<char16_t>(UnitOf(index));
  }
  return written;
}

}  // namespace vexa::platform

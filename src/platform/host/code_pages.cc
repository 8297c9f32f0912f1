// Code pages on the host: the system code page comes from VEXA_CODEPAGE
// (default 936), and conversions run over glibc iconv with the semantics of
// the Win32 conversion functions called without flags:
//
// - All or nothing: when the result does not fit, the result is 0.
// - UTF-16 to a code page: a character the code page lacks becomes the
//   default character '?', once per character (a valid surrogate pair is
//   one character, a lone surrogate one character per unit). For UTF-8 the
//   replacement is U+FFFD, as Windows writes for a lone surrogate.
// - A code page to UTF-16: an invalid byte sequence becomes U+FFFD; in the
//   double-byte code pages (932, 949, 950) a lead byte with a valid trail
//   byte is taken as one (unknown) character, otherwise a single bad byte is
//   skipped.
//
// Code page 936, the head units' own, converts exactly as Windows converts
// it (cp936_conversion.cc). Other code pages do not imitate Windows'
// best-fit mappings (an accented A in 1252 becomes '?', not 'A').
//
// The iconv descriptors are opened once per code page and direction and
// kept for the life of the process, so after its first call a conversion
// makes no heap allocation. A descriptor may only be used by one thread at a
// time, so conversions are serialised by one mutex; they are short.

#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <atomic>
#include <cstring>
#include <mutex>

#include "platform/host/cp936_conversion.h"
#include "platform/host/host_internal.h"
#include "platform/host/iconv_run.h"

namespace vexa::platform::host {
namespace {

constexpr unsigned kDefaultAnsiCodePage = 936;
constexpr unsigned kGbk = 936;
constexpr unsigned kUtf8 = 65001;
constexpr unsigned kUtf7 = 65000;
constexpr char16_t kReplacement = 0xFFFD;

// Code pages whose iconv name is not simply "CP<number>".
struct CodePageName {
  unsigned code_page;
  const char* name;
};
constexpr CodePageName kNames[] = {
    {932, "CP932"},         // the Windows variant of Shift-JIS
    {936, "CP936"},         // GBK with 0x80 as the euro sign
    {949, "CP949"},         // Unified Hangul Code
    {950, "CP950"},         // the Windows variant of Big5
    {10000, "MACINTOSH"},   {20127, "ASCII"},
    {20866, "KOI8-R"},      {21866, "KOI8-U"},
    {20932, "EUC-JP"},      {20936, "GB2312"},
    {28591, "ISO-8859-1"},  {28592, "ISO-8859-2"},
    {28593, "ISO-8859-3"},  {28594, "ISO-8859-4"},
    {28595, "ISO-8859-5"},  {28596, "ISO-8859-6"},
    {28597, "ISO-8859-7"},  {28598, "ISO-8859-8"},
    {28599, "ISO-8859-9"},  {28603, "ISO-8859-13"},
    {28605, "ISO-8859-15"}, {51932, "EUC-JP"},
    {51936, "GB2312"},      {51949, "EUC-KR"},
    {54936, "GB18030"},     {kUtf7, "UTF-7"},
    {kUtf8, "UTF-8"},
};

enum class Direction { kToCodePage, kFromCodePage };

struct Converter {
  unsigned code_page;
  Direction direction;
  iconv_t descriptor;
};

constexpr int kMaxConverters = 32;
const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

std::mutex g_mutex;
Converter g_converters[kMaxConverters];
int g_converter_count = 0;

// Closes the kept descriptors when the library is unloaded (or the process
// exits), so that loading and unloading the library leaves nothing behind.
// A conversion after that simply opens them again.
struct ConverterCloser {
  ~ConverterCloser() {
    std::lock_guard<std::mutex> lock(g_mutex);
    for (int i = 0; i < g_converter_count; ++i) {
      iconv_close(g_converters[i].descriptor);
    }
    g_converter_count = 0;
  }
} g_converter_closer;

// The ANSI, OEM and thread code page identifiers all mean the system code
// page here (on the head units the OEM code page equals the ANSI one). The
// UTF-16 identifiers are not valid for these conversions, as on Windows.
bool ResolveCodePage(unsigned code_page, unsigned* resolved) {
  switch (code_page) {
    case 0:  // CP_ACP
    case 1:  // CP_OEMCP
    case 3:  // CP_THREAD_ACP
      *resolved = HostAnsiCodePage();
      return true;
    case 2:  // CP_MACCP
      *resolved = 10000;
      return true;
    case 1200:
    case 1201:
      return false;
    default:
      *resolved = code_page;
      return true;
  }
}

void IconvName(unsigned code_page, char* name, std::size_t capacity) {
  for (const CodePageName& entry : kNames) {
    if (entry.code_page == code_page) {
      std::snprintf(name, capacity, "%s", entry.name);
      return;
    }
  }
  std::snprintf(name, capacity, "CP%u", code_page);
}

iconv_t OpenDescriptor(unsigned code_page, Direction direction) {
  char name[32];
  IconvName(code_page, name, sizeof name);
  return direction == Direction::kToCodePage ? iconv_open(name, kWideName)
                                             : iconv_open(kWideName, name);
}

// Returns the kept descriptor for the conversion, opening it on first use.
// `*transient` is set when the table is full and the caller must close the
// descriptor after use. REQUIRES: g_mutex held.
iconv_t AcquireDescriptor(unsigned code_page, Direction direction,
                          bool* transient) {
  *transient = false;
  for (int i = 0; i < g_converter_count; ++i) {
    if (g_converters[i].code_page == code_page &&
        g_converters[i].direction == direction) {
      return g_converters[i].descriptor;
    }
  }
  iconv_t descriptor = OpenDescriptor(code_page, direction);
  // An unknown code page is remembered too, so that asking again is cheap.
  if (g_converter_count < kMaxConverters) {
    g_converters[g_converter_count++] = {code_page, direction, descriptor};
  } else {
    *transient = descriptor != kInvalid;
  }
  return descriptor;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The UTF-16 units at `in` that make up the character iconv refused.
std::size_t RefusedWideBytes(const char* in, std::size_t in_left) {
  char16_t units[2] = {0, 0};
  std::memcpy(units, in, in_left >= 4 ? 4 : 2);
  if (in_left >= 4 && IsHighSurrogate(units[0]) && IsLowSurrogate(units[1])) {
    return 4;
  }
  return 2;
}

// How many bytes of an invalid sequence at `in` are dropped for one U+FFFD.
std::size_t InvalidSequenceBytes(unsigned code_page, const unsigned char* in,
                                 std::size_t in_left) {
  if (in_left < 2) return 1;
  unsigned lead = in[0];
  unsigned trail = in[1];
  bool lead_ok = false;
  bool trail_ok = false;
  switch (code_page) {
    case 932:
      lead_ok = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
      trail_ok = trail >= 0x40 && trail <= 0xFC && trail != 0x7F;
      break;
    case 949:
    case 950:
      lead_ok = lead >= 0x81 && lead <= 0xFE;
      trail_ok = trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
      break;
    default:
      break;
  }
  return lead_ok && trail_ok ? 2 : 1;
}

unsigned ReadAnsiCodePage() {
  const char* text = std::getenv("VEXA_CODEPAGE");
  if (text == nullptr || *text == '\0') return kDefaultAnsiCodePage;
  char* end = nullptr;
  unsigned long value = std::strtoul(text, &end, 10);
  if (*end != '\0' || value == 0 || value > 0xFFFF) return kDefaultAnsiCodePage;
  return static_cast<unsigned>(value);
}

// The system code page, read from the environment at the first call. Every
// family's first call may ask for it, from threads of their own, so it is
// kept in a constant-initialised atomic (0 until read) rather than a static
// initialised at run time behind an unguarded flag. Two first readers may
// both read the environment; the first to store wins and every caller
// returns the stored value, so it never changes once returned.
std::atomic<unsigned> g_ansi_code_page{0};

}  // namespace

unsigned HostAnsiCodePage() {
  unsigned code_page = g_ansi_code_page.load(std::memory_order_acquire);
  if (code_page != 0) return code_page;
  const unsigned read = ReadAnsiCodePage();
  return g_ansi_code_page.compare_exchange_strong(code_page, read,
                                                  std::memory_order_acq_rel)
             ? read
             : code_page;
}

int HostWideToCodePage(unsigned code_page, const char16_t* text, int units,
                       char* out, int capacity) {
  if (text == nullptr || units <= 0 || out == nullptr || capacity <= 0) {
    return 0;
  }
  unsigned resolved = 0;
  if (!ResolveCodePage(code_page, &resolved)) return 0;
  const char* default_char = "?";
  std::size_t default_size = 1;
  if (resolved == kUtf8) {
    default_char = "\xEF\xBF\xBD";
    default_size = 3;
  }

  std::lock_guard<std::mutex> lock(g_mutex);
  bool transient = false;
  iconv_t cd = AcquireDescriptor(resolved, Direction::kToCodePage, &transient);
  if (cd == kInvalid) return 0;

  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (resolved == kGbk) {
    const int written = Cp936FromWide(cd, text, units, out, capacity);
    if (transient) iconv_close(cd);
    return written;
  }
  char* put = out;
  std::size_t put_left = static_cast<std::size_t>(capacity);
  // A character the code page lacks, or a lone surrogate, becomes the
  // default character.
  bool ok = IconvWithReplacement(
      cd, reinterpret_cast<const char*>(text), static_cast<std::size_t>(units) * 2,
      default_char, default_size, RefusedWideBytes, &put, &put_left);
  // Ends a stateful encoding in its initial shift state.
  if (ok && iconv(cd, nullptr, nullptr, &put, &put_left) == static_cast<std::size_t>(-1)) {
    ok = false;
  }
  if (transient) iconv_close(cd);
  return ok ? static_cast<int>(put - out) : 0;
}

int HostCodePageToWide(unsigned code_page, const char* text, char16_t* out,
                       int capacity) {
  if (text == nullptr || out == nullptr || capacity <= 0) return 0;
  unsigned resolved = 0;
  if (!ResolveCodePage(code_page, &resolved)) return 0;

  std::lock_guard<std::mutex> lock(g_mutex);
  bool transient = false;
  iconv_t cd = AcquireDescriptor(resolved, Direction::kFromCodePage, &transient);
  if (cd == kInvalid) return 0;

  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (resolved == kGbk) {
    const int written = Cp936ToWide(cd, text, out, capacity);
    if (transient) iconv_close(cd);
    return written;
  }
  char* put = reinterpret_cast<char*>(out);
  std::size_t put_left = static_cast<std::size_t>(capacity) * 2;
  const auto skip = [resolved](const char* in, std::size_t in_left) {
    return InvalidSequenceBytes(resolved, reinterpret_cast<const unsigned char*>(in),
                                in_left);
  };
  // the terminator too
  const bool ok = IconvWithReplacement(cd, text, std::strlen(text) + 1,
                                       reinterpret_cast<const char*>(&kReplacement), 2,
                                       skip, &put, &put_left);
  if (transient) iconv_close(cd);
  return ok ? static_cast<int>((put - reinterpret_cast<char*>(out)) / 2) : 0;
}

bool Utf16ToUtf8(const char16_t* text, char* out, std::size_t capacity,
                 bool backslash_to_slash) {
  if (text == nullptr || out == nullptr || capacity == 0) return false;
  std::size_t used = 0;
  auto put = [&](unsigned byte) {
    if (used + 1 >= capacity) return false;  // keep room for the terminator
    out[used++] = static_cast<char>(byte);
    return true;
  };
  for (const char16_t* p = text; *p != 0; ++p) {
    char32_t c = *p;
    if (IsHighSurrogate(*p) && IsLowSurrogate(p[1])) {
      c = 0x10000 + ((static_cast<char32_t>(*p) - 0xD800) << 10) +
          (static_cast<char32_t>(p[1]) - 0xDC00);
      ++p;
    } else if (IsHighSurrogate(*p) || IsLowSurrogate(*p)) {
      c = kReplacement;
    }
    if (backslash_to_slash && c == U'\\') c = U'/';
    bool fits = true;
    if (c < 0x80) {
      fits = put(c);
    } else if (c < 0x800) {
      fits = put(0xC0 | (c >> 6)) && put(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      fits = put(0xE0 | (c >> 12)) && put(0x80 | ((c >> 6) & 0x3F)) &&
             put(0x80 | (c & 0x3F));
    } else {
      fits = put(0xF0 | (c >> 18)) && put(0x80 | ((c >> 12) & 0x3F)) &&
             put(0x80 | ((c >> 6) & 0x3F)) && put(0x80 | (c & 0x3F));
    }
    if (!fits) return false;
  }
  out[used] = '\0';
  return true;
}

}  // namespace vexa::platform::host

// Text conversions of the companion tool (see text_codec.h).

#include "text/text_codec.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tool_interface/code_page_access.h"

namespace vexa::tool {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The head unit's code page, GBK.
constexpr unsigned kHeadUnitCodePage = 936;

// The destination code page once chosen or first asked for; 0 before.
// The tool converts on one thread.
unsigned g_chosen_code_page = 0;

enum class Setting { kUnset, kUsable, kNotANumber, kNotConverted };

// What VEXA_CODEPAGE says, read as the host library reads it (a decimal
// number); `*value` is the number when there is one.
Setting CodePageFromEnvironment(unsigned long* value) {
  const char* text = std::getenv("VEXA_CODEPAGE");
  if (text == nullptr || *text == '\0') return Setting::kUnset;
  char* end = nullptr;
  *value = std::strtoul(text, &end, 10);
  if (*end != '\0' || *value == 0 || *value > 0xFFFF) {
    return Setting::kNotANumber;
  }
  return ConvertsCodePage(*value) ? Setting::kUsable : Setting::kNotConverted;
}

void AppendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Reads one UTF-8 character at `*pos`. Returns false on malformed input.
bool NextUtf8(std::string_view text, std::size_t* pos, char32_t* c) {
  auto byte = [&](std::size_t i) {
    return static_cast<unsigned char>(text[i]);
  };
  const unsigned char lead = byte(*pos);
  int extra;
  char32_t value;
  char32_t min;
  if (lead < 0x80) {
    *c = lead;
    ++*pos;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1, value = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, value = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, value = lead & 0x07, min = 0x10000;
  } else {
    return false;
  }
  if (*pos + extra >= text.size()) return false;
  for (int i = 1; i <= extra; ++i) {
    const unsigned char b = byte(*pos + i);
    if ((b & 0xC0) != 0x80) return false;
    value = (value << 6) | (b & 0x3F);
  }
  if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return false;
  }
  *c = value;
  *pos += extra + 1;
  return true;
}

void AppendUtf16(char32_t c, std::u16string* out) {
  if (c < 0x10000) {
    out->push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

// Converts one character (one or two UTF-16 units) to the code page and
// checks that it comes back unchanged, so a character the code page lacks
// is noticed instead of silently becoming the default character.
bool CharToCodePage(const std::u16string& units, std::string* out) {
  char bytes[16];
  const int n = tool_interface::WideToCodePage(
      DestinationCodePage(), units.data(), static_cast<int>(units.size()),
      bytes, static_cast<int>(sizeof bytes));
  if (n <= 0) return false;
  std::string encoded(bytes, static_cast<std::size_t>(n));
  char16_t back[8];
  const int m = tool_interface::CodePageToWide(DestinationCodePage(),
                                               encoded.c_str(), back, 8);
  // m counts the terminator.
  if (m != static_cast<int>(units.size()) + 1) return false;
  if (std::u16string(back, units.size()) != units) return false;
  *out += encoded;
  return true;
}

// Decodes the code-page character at `pos`: its length in bytes and the
// UTF-16 units, or 0 when no character of at most four bytes starts there.
// One to four bytes are tried in turn; in the double-byte code pages no
// byte is both a character of its own and a lead byte, so the first length
// that decodes is the character's. A length counts only when its bytes
// make exactly one character that converts back to the same bytes: the
// conversion drops bytes it cannot decode and puts a default character for
// others, and neither may pass for a character. A private-use character
// (0xFF is U+F8F5 in code page 936) shows as nothing, so it does not count
// either.
std::size_t DecodeCodePageChar(unsigned code_page, std::string_view bytes,
                               std::size_t pos, std::u16string* units) {
  for (std::size_t len = 1; len <= 4 && pos + len <= bytes.size(); ++len) {
    const std::string piece(bytes.substr(pos, len));
    if (piece.find('\0') != std::string::npos) return 0;
    char16_t wide[8];
    const int n = tool_interface::CodePageToWide(code_page, piece.c_str(),
                                                 wide, 8);
    // n counts the terminator.
    if (n < 2 || n > 3) continue;
    const std::u16string decoded(wide, static_cast<std::size_t>(n - 1));
    const bool pair = decoded.size() == 2 && decoded[0] >= 0xD800 &&
                      decoded[0] <= 0xDBFF && decoded[1] >= 0xDC00 &&
                      decoded[1] <= 0xDFFF;
    if (decoded.size() == 2 && !pair) continue;
    if (decoded[0] >= 0xE000 && decoded[0] <= 0xF8FF) continue;
    char back[16];
    const int m = tool_interface::WideToCodePage(
        code_page, decoded.data(),
        static_cast<int>(decoded.size()), back,
        static_cast<int>(sizeof back));
    if (m != static_cast<int>(len) || piece.compare(0, len, back, len) != 0) {
      continue;
    }
    *units = decoded;
    return len;
  }
  return 0;
}

void AppendEscapedByte(unsigned char b, std::string* out) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "\\x%02X", b);
  *out += hex;
}

// Decodes the code-page character at `*pos` (a byte of 0x80 or more starts
// it) and appends it as UTF-8, moving `*pos` behind it. False, with
// nothing appended or moved, when the bytes there are no character.
bool AppendDecodedChar(unsigned code_page, std::string_view bytes,
                       std::size_t* pos, std::string* out) {
  std::u16string units;
  const std::size_t len = DecodeCodePageChar(code_page, bytes, *pos, &units);
  if (len == 0) return false;
  *out += Utf16ToUtf8(units);
  *pos += len;
  return true;
}

}  // namespace

bool ConvertsCodePage(unsigned long code_page) {
  if (code_page == 0 || code_page > 0xFFFF) return false;
  char bytes[8];
  return tool_interface::WideToCodePage(static_cast<unsigned>(code_page),
                                        u"A", 1, bytes, sizeof bytes) == 1;
}

void ChooseDestinationCodePage(unsigned code_page) {
  g_chosen_code_page = code_page;
}

unsigned DestinationCodePage() {
  if (g_chosen_code_page == 0) {
    unsigned long value = 0;
    g_chosen_code_page = CodePageFromEnvironment(&value) == Setting::kUsable
                             ? static_cast<unsigned>(value)
                             : kHeadUnitCodePage;
  }
  return g_chosen_code_page;
}

std::string CodePageSettingWarning() {
  unsigned long value = 0;
  switch (CodePageFromEnvironment(&value)) {
    case Setting::kUnset:
    case Setting::kUsable:
      return "";
    case Setting::kNotANumber:
      return "VEXA_CODEPAGE '" + ShownText(std::getenv("VEXA_CODEPAGE")) +
             "' is not a code page number; destination files are read and "
             "written in code page " +
             std::to_string(kHeadUnitCodePage);
    case Setting::kNotConverted:
      break;
  }
  return "VEXA_CODEPAGE " + std::to_string(value) +
         " is a code page this system cannot convert; destination files are "
         "read and written in code page " +
         std::to_string(kHeadUnitCodePage);
}

std::string ShownPath(std::string_view path) {
  std::string out;
  std::size_t start = 0;
  for (std::size_t slash = path.find('\\'); slash != std::string_view::npos;
       slash = path.find('\\', start)) {
    out += ShownText(path.substr(start, slash - start)) + '\\';
    start = slash + 1;
  }
  return out + ShownText(path.substr(start));
}

std::string ShownText(std::string_view text) {
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t start = pos;
    char32_t c;
    if (!NextUtf8(text, &pos, &c)) {
      AppendEscapedByte(static_cast<unsigned char>(text[start]), &out);
      pos = start + 1;
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n' || c == '\r' || c == '\t') {
      out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
    } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
      for (std::size_t i = start; i < pos; ++i) {
        AppendEscapedByte(static_cast<unsigned char>(text[i]), &out);
      }
    } else if (c == 0xFEFF || (c >= 0x200B && c <= 0x200F)) {
      // Invisible marks, such as a byte-order mark.
      char code[16];
      std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(c));
      out += code;
    } else {
      out.append(text.substr(start, pos - start));
    }
  }
  return out;
}

bool LooksLikeUtf8Text(std::string_view bytes) {
  bool wide = false;
  for (char c : bytes) wide = wide || static_cast<unsigned char>(c) >= 0x80;
  std::u16string ignored;
  return wide && Utf8ToUtf16(bytes, &ignored);
}

bool Utf8ToUtf16(std::string_view text, std::u16string* out) {
  out->clear();
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t c;
    if (!NextUtf8(text, &pos, &c)) return false;
    AppendUtf16(c, out);
  }
  return true;
}

std::string FirstInvalidUtf8(std::string_view text) {
  std::size_t pos = 0;
  char32_t c;
  while (pos < text.size() && NextUtf8(text, &pos, &c)) {
  }
  if (pos >= text.size()) return "";
  char what[48];
  std::snprintf(what, sizeof what, "byte 0x%02X at offset %zu",
                static_cast<unsigned char>(text[pos]), pos);
  return what;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
        text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    AppendUtf8(c, &out);
  }
  return out;
}

bool Utf16ToUtf8Strict(std::u16string_view text, std::string* out) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool high = text[i] >= 0xD800 && text[i] <= 0xDBFF;
    const bool low = text[i] >= 0xDC00 && text[i] <= 0xDFFF;
    if (low || (high && (i + 1 == text.size() || text[i + 1] < 0xDC00 ||
                         text[i + 1] > 0xDFFF))) {
      return false;
    }
    if (high) ++i;
  }
  *out = Utf16ToUtf8(text);
  return true;
}

bool Utf8ToCodePageCut(std::string_view text, std::size_t max_bytes,
                       std::string* out, bool* cut) {
  out->clear();
  *cut = false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t c;
    if (!NextUtf8(text, &pos, &c)) return false;
    std::u16string units;
    AppendUtf16(c, &units);
    std::string encoded;
    if (!CharToCodePage(units, &encoded)) return false;
    if (out->size() + encoded.size() > max_bytes) {
      *cut = true;
      // The rest must still be convertible: a name is refused for a
      // character the code page lacks even where it would be cut off, so
      // the message never depends on where the cut falls.
      while (pos < text.size()) {
        if (!NextUtf8(text, &pos, &c)) return false;
        units.clear();
        AppendUtf16(c, &units);
        std::string ignored;
        if (!CharToCodePage(units, &ignored)) return false;
      }
      return true;
    }
    *out += encoded;
  }
  return true;
}

bool Utf8ToCodePage(std::string_view text, std::string* out) {
  bool cut = false;
  return Utf8ToCodePageCut(text, std::string::npos, out, &cut);
}

std::string DisplayText(std::string_view bytes) {
  std::string out;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const unsigned char b = static_cast<unsigned char>(bytes[pos]);
    if (b < 0x20 || b == 0x7F) {
      if (b == '\n') {
        out += "\\n";
      } else if (b == '\r') {
        out += "\\r";
      } else if (b == '\t') {
        out += "\\t";
      } else {
        AppendEscapedByte(b, &out);
      }
      ++pos;
      continue;
    }
    if (b == '\\') {
      out += "\\\\";
      ++pos;
      continue;
    }
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
      ++pos;
      continue;
    }
    if (!AppendDecodedChar(DestinationCodePage(), bytes, &pos, &out)) {
      AppendEscapedByte(b, &out);
      ++pos;
    }
  }
  return out;
}

std::string CodePageToUtf8(std::string_view bytes, bool* exact) {
  return CodePageToUtf8(bytes, DestinationCodePage(), exact);
}

std::string CodePageToUtf8(std::string_view bytes, unsigned code_page,
                           bool* exact) {
  std::string out;
  *exact = true;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const unsigned char b = static_cast<unsigned char>(bytes[pos]);
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
      ++pos;
      continue;
    }
    if (!AppendDecodedChar(code_page, bytes, &pos, &out)) {
      AppendUtf8(kReplacement, &out);
      *exact = false;
      ++pos;
    }
  }
  return out;
}

}  // namespace vexa::tool

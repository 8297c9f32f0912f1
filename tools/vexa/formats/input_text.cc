// Interchange text as UTF-8 (see input_text.h).

#include "formats/input_text.h"

#include <cctype>

#include "text/text_codec.h"

namespace vexa::tool {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool Utf16ToText(std::string_view bytes, bool big_endian, std::string* utf8,
                 std::string* error) {
  if (bytes.size() % 2 != 0) {
    *error = "is UTF-16 (by its byte-order mark) but has an odd number of "
             "bytes";
    return false;
  }
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    units.push_back(static_cast<char16_t>(big_endian ? a << 8 | b : b << 8 | a));
  }
  if (!Utf16ToUtf8Strict(units, utf8)) {
    *error = "is UTF-16 (by its byte-order mark) but holds a lone surrogate";
    return false;
  }
  return true;
}

// The code page's text; a message naming the first line it does not read.
bool CodePageText(std::string_view bytes, std::string* utf8,
                  std::string* error) {
  bool exact = false;
  *utf8 = CodePageToUtf8(bytes, &exact);
  if (exact) return true;
  std::size_t start = 0;
  for (std::size_t line = 1;; ++line) {
    const std::size_t end = bytes.find('\n', start);
    const std::string_view piece = bytes.substr(start, end - start);
    CodePageToUtf8(piece, &exact);
    if (!exact || end == std::string_view::npos) {
      *error = "is neither UTF-8 nor code page " +
               std::to_string(DestinationCodePage()) + " text (line " +
               std::to_string(line) + ": '" + ShownValue(piece) + "')";
      return false;
    }
    start = end + 1;
  }
}

std::string Latin1Text(std::string_view bytes) {
  std::string utf8;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      utf8.push_back(c);
    } else {
      utf8.push_back(static_cast<char>(0xC0 | b >> 6));
      utf8.push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
  }
  return utf8;
}

// The encoding named by an XML declaration at the start of `text`, in
// lower case; empty when there is none.
std::string DeclaredEncoding(std::string_view text) {
  if (!StartsWith(text, "<?xml")) return "";
  const std::string_view declaration = text.substr(0, text.find("?>"));
  std::size_t pos = declaration.find("encoding");
  if (pos == std::string_view::npos) return "";
  pos = declaration.find_first_of("\"'", pos);
  if (pos == std::string_view::npos) return "";
  const std::size_t end = declaration.find(declaration[pos], pos + 1);
  if (end == std::string_view::npos) return "";
  std::string name;
  for (char c : declaration.substr(pos + 1, end - pos - 1)) {
    name.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  return name;
}

bool IsOneOf(const std::string& name,
             std::initializer_list<const char*> names) {
  for (const char* candidate : names) {
    if (name == candidate) return true;
  }
  return false;
}

}  // namespace

bool DecodeText(std::string_view bytes, std::string* utf8,
                std::string* encoding, std::string* error) {
  if (StartsWith(bytes, "\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
    *encoding = "UTF-16";
    return Utf16ToText(bytes.substr(2), bytes[0] == '\xFE', utf8, error);
  }
  if (FirstInvalidUtf8(bytes).empty()) {
    *encoding = "UTF-8";
    utf8->assign(bytes);
    return true;
  }
  *encoding = "code page " + std::to_string(DestinationCodePage());
  return CodePageText(bytes, utf8, error);
}

bool DecodeXml(std::string_view bytes, std::string* utf8, std::string* error) {
  if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    utf8->assign(bytes.substr(3));
    return true;
  }
  if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
    return Utf16ToText(bytes.substr(2), bytes[0] == '\xFE', utf8, error);
  }
  // UTF-16 without a mark still begins with "<" as one 16-bit unit.
  if (StartsWith(bytes, std::string_view("<\0", 2)) ||
      StartsWith(bytes, std::string_view("\0<", 2))) {
    return Utf16ToText(bytes, bytes[0] == '\0', utf8, error);
  }
  const std::string name = DeclaredEncoding(bytes);
  if (IsOneOf(name, {"", "utf-8", "utf8", "us-ascii", "ascii"})) {
    utf8->assign(bytes);
    return true;
  }
  if (IsOneOf(name, {"iso-8859-1", "iso8859-1", "iso_8859-1", "latin1",
                     "latin-1", "l1"})) {
    *utf8 = Latin1Text(bytes);
    return true;
  }
  if (IsOneOf(name, {"gb2312", "gbk", "gb18030", "cp936", "windows-936",
                     "euc-cn", "x-gbk", "csgb2312"})) {
    return CodePageText(bytes, utf8, error);
  }
  *error = "declares the encoding '" + ShownValue(name) +
           "', which the tool cannot read (it reads UTF-8, UTF-16, "
           "ISO-8859-1 and GB2312/GBK/GB18030): save it as UTF-8";
  return false;
}

std::string ShownValue(std::string_view text) {
  constexpr std::size_t kMost = 40;
  if (text.size() <= kMost) return ShownText(text);
  std::size_t cut = kMost;
  // Back to the start of a UTF-8 character.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
    --cut;
  }
  return ShownText(text.substr(0, cut)) + "...";
}

}  // namespace vexa::tool

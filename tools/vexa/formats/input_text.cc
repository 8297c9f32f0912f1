// Interchange text as UTF-8 (see input_text.h).

#include "formats/input_text.h"

#include <cctype>

#include "text/text_codec.h"

namespace vexa::tool {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// `how` says how UTF-16 was told: "by its byte-order mark", say.
bool Utf16ToText(std::string_view bytes, bool big_endian, const char* how,
                 std::string* utf8, std::string* error) {
  if (bytes.size() % 2 != 0) {
    *error = std::string("is UTF-16 (") + how +
             ") but has an odd number of bytes";
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
    *error = std::string("is UTF-16 (") + how + ") but holds a lone surrogate";
    return false;
  }
  return true;
}

// The line `*start` is on, up to its line break (CRLF, LF or a CR alone,
// as old spreadsheets end lines), moving `*start` to the next; false at
// the end.
bool NextLine(std::string_view bytes, std::size_t* start,
              std::string_view* line) {
  if (*start >= bytes.size()) return false;
  const std::size_t end = bytes.find_first_of("\r\n", *start);
  *line = bytes.substr(*start, end - *start);
  if (end == std::string_view::npos) {
    *start = bytes.size();
  } else {
    *start = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return true;
}

// "(line 3: '...')" for the first line `bad` holds for.
template <typename Bad>
std::string FirstBadLine(std::string_view bytes, Bad bad) {
  std::size_t start = 0;
  std::string_view line;
  for (std::size_t number = 1; NextLine(bytes, &start, &line); ++number) {
    if (bad(line)) {
      return "(line " + std::to_string(number) + ": '" + ShownValue(line) +
             "')";
    }
  }
  return "";
}

const char kNameIt[] =
    "; name its encoding with --input-encoding (1252 for a spreadsheet "
    "saved in Western Europe)";

// Text in code page `code_page`; a message naming the first line it does
// not read, beginning with `what` ("is neither UTF-8 nor code page 936
// text").
bool CodePageText(std::string_view bytes, unsigned code_page,
                  const std::string& what, std::string* utf8,
                  std::string* error) {
  bool exact = false;
  *utf8 = CodePageToUtf8(bytes, code_page, &exact);
  if (exact) return true;
  *error = what + " " + FirstBadLine(bytes, [code_page](std::string_view line) {
             bool line_exact = false;
             CodePageToUtf8(line, code_page, &line_exact);
             return !line_exact;
           });
  return false;
}

// Whether `line`, read in a double-byte code page, has a lead byte whose
// partner is plain ASCII: possible, but the sign of one-byte text (1252's
// "M\xFCnchen" reads in 936 as a rare ideograph and "chen").
bool HasAsciiTrail(std::string_view line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (static_cast<unsigned char>(line[i]) < 0x80) continue;
    if (i + 1 == line.size() || static_cast<unsigned char>(line[i + 1]) < 0x80) {
      return true;
    }
    ++i;
  }
  return false;
}

bool IsDoubleByte(unsigned code_page) {
  return code_page == 936 || code_page == 949 || code_page == 950;
}

// Multi-byte UTF-8 characters and bytes that start none, counted alike in
// text that is not UTF-8 as a whole.
struct Utf8Census {
  std::size_t characters = 0;
  std::size_t strays = 0;
};

Utf8Census CountUtf8(std::string_view bytes) {
  Utf8Census census;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const std::size_t length =
        lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 1) {
      ++i;
    } else if (length > 0 && FirstInvalidUtf8(bytes.substr(i, length)).empty()) {
      ++census.characters;
      i += length;
    } else {
      ++census.strays;
      ++i;
    }
  }
  return census;
}

// UTF-16 without a mark: text of mostly ASCII characters has a zero in one
// byte of most units, always the same one. 0 when not, else 1 for little-
// and 2 for big-endian.
int BareUtf16Order(std::string_view bytes) {
  if (bytes.size() < 2 || bytes.size() % 2 != 0) return 0;
  std::size_t even = 0;
  std::size_t odd = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\0') ++(i % 2 == 0 ? even : odd);
  }
  const std::size_t units = bytes.size() / 2;
  if (odd * 4 >= units && even * 8 <= odd) return 1;
  if (even * 4 >= units && odd * 8 <= even) return 2;
  return 0;
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

bool InputEncodingFromName(std::string_view name, InputEncoding* encoding) {
  std::string lower;
  for (char c : name) {
    lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  InputEncoding named = *encoding;
  named.code_page = 0;
  if (IsOneOf(lower, {"utf-8", "utf8"})) {
    named.kind = InputEncoding::Kind::kUtf8;
  } else if (IsOneOf(lower, {"utf-16", "utf16"})) {
    named.kind = InputEncoding::Kind::kUtf16;
  } else if (IsOneOf(lower, {"iso-8859-1", "iso8859-1", "latin1", "latin-1"})) {
    named.kind = InputEncoding::Kind::kLatin1;
  } else {
    std::string_view number = lower;
    if (lower == "gbk") number = "936";
    for (std::string_view prefix : {"windows-", "cp"}) {
      if (StartsWith(number, prefix)) number.remove_prefix(prefix.size());
    }
    if (number.empty() || number.size() > 4 ||
        number.find_first_not_of("0123456789") != std::string_view::npos) {
      return false;
    }
    const unsigned code_page = static_cast<unsigned>(std::stoul(std::string(number)));
    if (code_page != 874 && code_page != 936 &&
        (code_page < 1250 || code_page > 1258)) {
      return false;
    }
    named.kind = InputEncoding::Kind::kCodePage;
    named.code_page = code_page;
  }
  *encoding = named;
  return true;
}

namespace {

// The bytes (after any byte-order mark) in the encoding the user named.
bool DecodeNamed(std::string_view bytes, const InputEncoding& named,
                 std::string* utf8, std::string* encoding,
                 std::string* error) {
  switch (named.kind) {
    case InputEncoding::Kind::kUtf16:
      *encoding = "UTF-16";
      return Utf16ToText(bytes, BareUtf16Order(bytes) == 2, "as named", utf8,
                         error);
    case InputEncoding::Kind::kLatin1:
      *encoding = "ISO-8859-1";
      *utf8 = Latin1Text(bytes);
      return true;
    case InputEncoding::Kind::kCodePage:
      *encoding = "code page " + std::to_string(named.code_page);
      return CodePageText(bytes, named.code_page, "is not " + *encoding + " text",
                          utf8, error);
    case InputEncoding::Kind::kUtf8:
    case InputEncoding::Kind::kDetect:
      break;
  }
  *encoding = "UTF-8";
  if (!FirstInvalidUtf8(bytes).empty()) {
    *error = "is not UTF-8 " + FirstBadLine(bytes, [](std::string_view line) {
               return !FirstInvalidUtf8(line).empty();
             });
    return false;
  }
  utf8->assign(bytes);
  return true;
}

}  // namespace

bool DecodeText(std::string_view bytes, std::string* utf8,
                std::string* encoding, std::string* error) {
  bool guessed = false;
  return DecodeText(bytes, InputEncoding{}, utf8, encoding, &guessed, error);
}

bool DecodeText(std::string_view bytes, const InputEncoding& named,
                std::string* utf8, std::string* encoding, bool* guessed,
                std::string* error) {
  *guessed = false;
  if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
    *encoding = "UTF-16";
    return Utf16ToText(bytes.substr(2), bytes[0] == '\xFE',
                       "by its byte-order mark", utf8, error);
  }
  if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    bytes.remove_prefix(3);
    return DecodeNamed(bytes, InputEncoding{}, utf8, encoding, error);
  }
  if (named.kind != InputEncoding::Kind::kDetect) {
    return DecodeNamed(bytes, named, utf8, encoding, error);
  }
  if (const int order = BareUtf16Order(bytes); order != 0) {
    *encoding = "UTF-16";
    return Utf16ToText(bytes, order == 2, "by its zero bytes", utf8, error);
  }
  if (FirstInvalidUtf8(bytes).empty()) {
    *encoding = "UTF-8";
    utf8->assign(bytes);
    return true;
  }
  // UTF-8 but for a few bytes (one pasted from a 1252 file, say): reading
  // it all in the code page would garble every other character.
  const Utf8Census census = CountUtf8(bytes);
  if (census.characters > 0 && census.characters >= census.strays) {
    *encoding = "UTF-8";
    *error = "is UTF-8 except for " + std::to_string(census.strays) +
             (census.strays == 1 ? " byte " : " bytes ") +
             FirstBadLine(bytes, [](std::string_view line) {
               return !FirstInvalidUtf8(line).empty();
             }) +
             "; mend that, or name the encoding with --input-encoding";
    return false;
  }
  const unsigned code_page = DestinationCodePage();
  *encoding = "code page " + std::to_string(code_page);
  const std::string what = "is neither UTF-8 nor code page " +
                           std::to_string(code_page) + " text";
  if (!CodePageText(bytes, code_page, what, utf8, error)) {
    *error += kNameIt;
    return false;
  }
  if (IsDoubleByte(code_page) && HasAsciiTrail(bytes)) {
    *error = "is neither UTF-8 nor plausible code page " +
             std::to_string(code_page) + " text " +
             FirstBadLine(bytes, HasAsciiTrail) + kNameIt;
    return false;
  }
  *guessed = true;
  return true;
}

bool DecodeTextOf(std::string_view bytes, const std::string& source,
                  const InputEncoding& named, std::string* utf8,
                  std::vector<std::string>* notes, std::string* error) {
  std::string encoding;
  std::string why;
  bool guessed = false;
  if (!DecodeText(bytes, named, utf8, &encoding, &guessed, &why)) {
    *error = source + " " + why;
    return false;
  }
  if (!guessed) return true;
  const std::string what = source + " is not UTF-8; read as " + encoding +
                           " text, a guess";
  if (named.refuse_guess) {
    *error = what + " that --strict refuses: name its encoding with "
                    "--input-encoding";
    return false;
  }
  notes->push_back(what + " (--input-encoding names another)");
  return true;
}

bool DecodeXml(std::string_view bytes, std::string* utf8, std::string* error,
               const InputEncoding& named) {
  if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    utf8->assign(bytes.substr(3));
    return true;
  }
  if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
    return Utf16ToText(bytes.substr(2), bytes[0] == '\xFE',
                       "by its byte-order mark", utf8, error);
  }
  std::string encoding;
  if (named.kind != InputEncoding::Kind::kDetect) {
    return DecodeNamed(bytes, named, utf8, &encoding, error);
  }
  // UTF-16 without a mark still begins with "<" as one 16-bit unit.
  if (StartsWith(bytes, std::string_view("<\0", 2)) ||
      StartsWith(bytes, std::string_view("\0<", 2))) {
    return Utf16ToText(bytes, bytes[0] == '\0', "by its zero bytes", utf8,
                       error);
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
    return CodePageText(bytes, DestinationCodePage(),
                        "is neither UTF-8 nor code page " +
                            std::to_string(DestinationCodePage()) + " text",
                        utf8, error);
  }
  // windows-1252 and its kin, as Western programs declare them.
  InputEncoding declared;
  if (StartsWith(name, "windows-") && InputEncodingFromName(name, &declared) &&
      ConvertsCodePage(declared.code_page)) {
    return DecodeNamed(bytes, declared, utf8, &encoding, error);
  }
  *error = "declares the encoding '" + ShownValue(name) +
           "', which the tool cannot read (it reads UTF-8, UTF-16, "
           "ISO-8859-1, windows-1250 to 1258 and GB2312/GBK/GB18030): save "
           "it as UTF-8";
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

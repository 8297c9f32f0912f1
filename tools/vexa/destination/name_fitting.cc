// Names adapted to a destination list (see name_fitting.h).

#include "destination/name_fitting.h"

#include <string_view>
#include <utility>

#include "text/text_codec.h"

namespace vexa::tool {
namespace {

// The code point of the UTF-8 character at `pos` and its length in bytes
// (the whole name is valid UTF-8 when this is called).
char32_t CharAt(const std::string& text, std::size_t pos,
                std::size_t* length) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  *length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  char32_t c = *length == 1 ? lead : lead & (0x7F >> *length);
  for (std::size_t i = 1; i < *length; ++i) {
    c = c << 6 | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
  }
  return c;
}

// What belongs to the character before it: combining marks, variation
// selectors, skin tones, the keycap, and a zero-width joiner with the
// character it joins. A character and these are one thing to a reader.
bool JoinsPrevious(char32_t c) {
  return (c >= 0x300 && c <= 0x36F) || (c >= 0xFE00 && c <= 0xFE0F) ||
         (c >= 0x1F3FB && c <= 0x1F3FF) || (c >= 0xE0100 && c <= 0xE01EF) ||
         c == 0x20E3 || c == 0x200D;
}

// Latin letters spelled without their marks, for U+00C0 to U+017F; '?'
// where a letter is spelled otherwise (kSpellings) or is no letter.
constexpr char kLatin1Letters[] =
    "AAAAAAACEEEEIIIIDNOOOOOxOUUUUYTsaaaaaaaceeeeiiiidnooooo?ouuuuyty";
constexpr char kLatinExtendedA[] =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi??JjKkkLlLlLlLlLlNnNnNn"
    "nNnOoOoOo??RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
static_assert(sizeof kLatin1Letters == 64 + 1, "U+00C0 to U+00FF");
static_assert(sizeof kLatinExtendedA == 128 + 1, "U+0100 to U+017F");

// The well-known spellings of letters and signs in other letters.
struct Spelling {
  char32_t c;
  const char* text;
};
constexpr Spelling kSpellings[] = {
    {0xC4, "Ae"}, {0xD6, "Oe"}, {0xDC, "Ue"}, {0xE4, "ae"}, {0xF6, "oe"},
    {0xFC, "ue"}, {0xDF, "ss"}, {0x1E9E, "SS"}, {0xC6, "AE"}, {0xE6, "ae"},
    {0x152, "OE"}, {0x153, "oe"}, {0x132, "IJ"}, {0x133, "ij"},
    {0xDE, "Th"}, {0xFE, "th"}, {0xA0, " "}, {0x2018, "'"}, {0x2019, "'"},
    {0x201A, "'"}, {0x201C, "\""}, {0x201D, "\""}, {0x201E, "\""},
    {0x2013, "-"}, {0x2014, "-"}, {0x2026, "..."}, {0x20AC, "EUR"},
};

// `c` in other letters, or empty when there is no well-known spelling.
std::string Spelled(char32_t c) {
  for (const Spelling& spelling : kSpellings) {
    if (spelling.c == c) return spelling.text;
  }
  char letter = '?';
  if (c >= 0xC0 && c <= 0xFF) letter = kLatin1Letters[c - 0xC0];
  if (c >= 0x100 && c <= 0x17F) letter = kLatinExtendedA[c - 0x100];
  return letter == '?' ? "" : std::string(1, letter);
}

// A character with what joins it (`marks`, the code points after the
// first) spelled in other letters: a diaeresis over a, o or u as the e
// German writes for it, other marks dropped. Empty when there is none.
std::string SpelledCluster(char32_t base, const std::u32string& marks) {
  if (!marks.empty() && marks.front() == 0x308 && base < 0x80 &&
      std::string_view("aouAOU").find(static_cast<char>(base)) !=
          std::string_view::npos) {
    return std::string(1, static_cast<char>(base)) + "e";
  }
  for (char32_t mark : marks) {
    if (mark < 0x300 || mark > 0x36F) return "";  // an emoji sequence
  }
  return base < 0x80 ? std::string(1, static_cast<char>(base)) : Spelled(base);
}

std::string Counted(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string FitName(const std::string& name, std::string* fitted,
                    bool transliterate) {
  *fitted = name;
  if (!FirstInvalidUtf8(name).empty()) return "";
  std::string ignored;
  const std::string comma =
      Utf8ToCodePage("\xEF\xBC\x8C", &ignored) ? "\xEF\xBC\x8C" : ";";
  std::string out;
  int commas = 0;
  int unmappable = 0;
  int spelled = 0;
  for (std::size_t pos = 0; pos < name.size();) {
    // One character with all that joins it, so a replacement never leaves
    // half of it behind.
    const std::size_t start = pos;
    std::size_t length = 0;
    const char32_t base = CharAt(name, pos, &length);
    pos += length;
    std::u32string marks;
    while (pos < name.size()) {
      const char32_t next = CharAt(name, pos, &length);
      if (!JoinsPrevious(next)) break;
      marks.push_back(next);
      pos += length;
      if (next == 0x200D && pos < name.size()) {
        marks.push_back(CharAt(name, pos, &length));
        pos += length;
      }
    }
    const std::string character = name.substr(start, pos - start);
    if (character == ",") {
      out += comma;
      ++commas;
    } else if (!Utf8ToCodePage(character, &ignored)) {
      ++unmappable;
      const std::string other =
          transliterate ? SpelledCluster(base, marks) : std::string();
      if (!other.empty() && Utf8ToCodePage(other, &ignored)) {
        out += other;
        ++spelled;
      } else {
        out += '?';
      }
    } else {
      out += character;
    }
  }
  if (commas == 0 && unmappable == 0) return "";
  *fitted = out;
  std::string what;
  if (unmappable > 0) {
    what = Counted(unmappable, "character", "characters") + " code page " +
           std::to_string(DestinationCodePage()) + " lacks";
    if (transliterate) {
      what += ", " + std::to_string(spelled) + " of them spelled in other "
              "letters";
    }
  }
  if (commas > 0) {
    what += (what.empty() ? "" : ", ") + Counted(commas, "comma", "commas");
  }
  return what;
}

bool FoldLineBreaks(const std::string& name, std::string* folded) {
  *folded = name;
  if (name.find_first_of("\r\n\t") == std::string::npos) return false;
  std::string out;
  for (std::size_t pos = 0; pos < name.size();) {
    const std::size_t end = name.find_first_not_of(" \r\n\t", pos);
    const std::size_t stop = end == std::string::npos ? name.size() : end;
    const std::string_view blanks(name.data() + pos, stop - pos);
    if (blanks.empty()) {
      out += name[pos++];
      continue;
    }
    if (blanks.find_first_of("\r\n\t") == std::string_view::npos) {
      out += blanks;
    } else if (!out.empty() && stop < name.size()) {
      out += ' ';
    }
    pos = stop;
  }
  *folded = out;
  return true;
}

std::string FoldNameWithWarning(const std::string& origin, std::string* name) {
  std::string folded;
  if (!FoldLineBreaks(*name, &folded)) return "";
  std::string warning = origin + ": the name '" + ShownText(*name) +
                        "' holds a line break or tab, which a head unit "
                        "shows on one line; written as '" +
                        ShownText(folded) + "'";
  *name = std::move(folded);
  return warning;
}

}  // namespace vexa::tool

#include "generated_inputs.h"

#include <cstdio>
#include <string>
#include <vector>

#include "platform/host/cp936_windows_table.h"

namespace vexa::differential {

namespace {

// splitmix64: small, fast and the same everywhere.
class Random {
 public:
  explicit Random(std::uint64_t state) : state_(state) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform enough in [0, n) for n far below 2^32.
  unsigned Below(unsigned n) { return static_cast<unsigned>((Next() >> 32) % n); }
  bool OneIn(unsigned n) { return Below(n) == 0; }

 private:
  std::uint64_t state_;
};

// Text under construction: UTF-16 units for raw messages; for files the
// same units hold single bytes (0x00 to 0xFF).
class Text {
 public:
  explicit Text(bool narrow) : narrow_(narrow) {}
  bool narrow() const { return narrow_; }
  void Add(char16_t unit) { units_.push_back(unit); }
  void Add(const char* ascii) {
    while (*ascii != '\0') units_.push_back(static_cast<unsigned char>(*ascii++));
  }
  void Add(const std::u16string& units) { units_ += units; }
  const std::u16string& units() const { return units_; }

 private:
  bool narrow_;
  std::u16string units_;
};

constexpr char kSpaces[] = " \t\n\v\f\r";

// The four route-preference words as UTF-16 and as GBK bytes.
const char16_t* const kWordsWide[] = {u"\u63A8\u8350", u"\u6700\u5FEB", u"\u6700\u77ED",
                                      u"\u7ECF\u6D4E"};
const char* const kWordsGbk[] = {"\xCD\xC6\xBC\xF6", "\xD7\xEE\xBF\xEC", "\xD7\xEE\xB6\xCC",
                                 "\xBE\xAD\xBC\xC3"};

void AddDigits(Random& r, Text& t, unsigned count) {
  for (unsigned i = 0; i < count; ++i) t.Add(static_cast<char16_t>('0' + r.Below(10)));
}

// One character of a name or of noise: across the whole Basic Multilingual
// Plane, with extra weight on what code page 936 converts specially.
void AddCharacter(Random& r, Text& t) {
  if (t.narrow()) {
    // Bytes: mostly ASCII, else any byte (GBK pairs arise by chance).
    t.Add(static_cast<char16_t>(r.OneIn(3) ? 0x80 + r.Below(0x80) : 0x20 + r.Below(0x5F)));
    return;
  }
  switch (r.Below(12)) {
    case 0:
    case 1: t.Add(static_cast<char16_t>(0x20 + r.Below(0x5F))); break;
    case 2: t.Add(static_cast<char16_t>(0x4E00 + r.Below(0x51A6))); break;  // CJK
    case 3: t.Add(static_cast<char16_t>(r.Below(0x10000))); break;          // anything
    case 4: t.Add(static_cast<char16_t>(0xE000 + r.Below(0x900))); break;   // user-defined
    case 5: t.Add(static_cast<char16_t>(0x00A0 + r.Below(0x1E0))); break;   // Latin
    case 6: t.Add(static_cast<char16_t>(0xFF00 + r.Below(0x100))); break;   // full width
    case 7: t.Add(static_cast<char16_t>(0x2000 + r.Below(0x1400))); break;  // symbols, kana
    case 8:  // a surrogate pair
      t.Add(static_cast<char16_t>(0xD800 + r.Below(0x400)));
      t.Add(static_cast<char16_t>(0xDC00 + r.Below(0x400)));
      break;
    case 9:  // a lone surrogate, high or low
      t.Add(static_cast<char16_t>(0xD800 + r.Below(0x800)));
      break;
    default: {  // a unit that Windows converts unlike glibc
      const auto& table = platform::host::kCp936WideToCodePage;
      const auto& range = table[r.Below(sizeof table / sizeof table[0])];
      t.Add(static_cast<char16_t>(range.first + r.Below(range.last - range.first + 1u)));
      break;
    }
  }
}

void AddNoise(Random& r, Text& t, unsigned max_count) {
  const unsigned count = r.Below(max_count + 1);
  for (unsigned i = 0; i < count; ++i) AddCharacter(r, t);
}

// A decimal number as it may appear in a field: white space, signs, long
// digit runs, every exponent letter in both cases (the 'd' forms are no
// exponent), incomplete exponents, and what follows a number.
void AddNumber(Random& r, Text& t, unsigned integer_digits, unsigned plain_in = 2) {
  if (r.Below(plain_in) != 1) {
    // A plain number, sometimes with an exponent of any letter.
    t.Add(static_cast<char16_t>('1' + r.Below(integer_digits > 2 ? 1 : 9)));
    AddDigits(r, t, integer_digits > 0 ? integer_digits - 1 : 0);
    t.Add(u'.');
    AddDigits(r, t, 1 + r.Below(7));
    if (r.OneIn(5)) {
      static const char kLetters[] = "eEdD";
      t.Add(static_cast<char16_t>(kLetters[r.Below(4)]));
      t.Add(static_cast<char16_t>('0' + r.Below(2)));
    }
    return;
  }
  if (r.OneIn(25)) {
    static const char* const kOdd[] = {"inf", "-Infinity", "nan", "NAN(1)", "0x1A", "-0X1p4",
                                       "", ".", "+.", "-", "e5", "1e", "1e+", "0"};
    t.Add(kOdd[r.Below(sizeof kOdd / sizeof kOdd[0])]);
    return;
  }
  if (r.OneIn(8)) {
    for (unsigned n = 1 + r.Below(3); n > 0; --n) t.Add(static_cast<char16_t>(kSpaces[r.Below(6)]));
  }
  if (r.OneIn(4)) t.Add(r.OneIn(2) ? u'-' : u'+');
  if (r.OneIn(10)) AddDigits(r, t, 1 + r.Below(40));            // long run
  else if (r.OneIn(8)) for (unsigned n = r.Below(5); n > 0; --n) t.Add(u'0');
  if (!r.OneIn(12)) {
    // The integer part's first digit kept low, so most values stay in range.
    if (integer_digits > 0) t.Add(static_cast<char16_t>('0' + r.Below(2)));
    AddDigits(r, t, integer_digits > 0 ? integer_digits - 1 : 0);
  }
  if (!r.OneIn(6)) {
    t.Add(u'.');
    AddDigits(r, t, r.OneIn(10) ? r.Below(60) : r.Below(9));
  }
  if (r.OneIn(4)) {
    static const char kLetters[] = "eEdD";
    t.Add(static_cast<char16_t>(kLetters[r.Below(4)]));
    if (r.OneIn(2)) t.Add(r.OneIn(2) ? u'-' : u'+');
    AddDigits(r, t, r.OneIn(20) ? 3 + r.Below(20) : r.Below(3));
  }
  if (r.OneIn(8)) {
    static const char* const kTails[] = {"x", "d5", ".5", " ", "e", "E+", "D-1", ",", "\t1"};
    t.Add(kTails[r.Below(sizeof kTails / sizeof kTails[0])]);
  }
  if (r.OneIn(30)) AddNoise(r, t, 3);
}

// Degrees and minutes: `width` degree digits, then minutes as a number.
void AddDegreesMinutes(Random& r, Text& t, unsigned width) {
  if (r.OneIn(10)) {
    t.Add(static_cast<char16_t>(kSpaces[r.Below(6)]));
  }
  if (r.OneIn(15)) t.Add(r.OneIn(2) ? u'-' : u'+');
  if (r.OneIn(10)) {
    AddDigits(r, t, r.Below(width + 1));
  } else if (!r.OneIn(20)) {
    // Three degree digits above 233 leave the coordinate range.
    t.Add(static_cast<char16_t>('0' + r.Below(width == 3 ? 2 : 10)));
    AddDigits(r, t, width - 1);
  }
  AddNumber(r, t, 2, 4);
}

// Coordinates exactly on a rounding boundary: their units are an odd
// number of halves, so that adding 0.5 lands on an integer and any step
// computed with more than double precision (the x87 unit of 32-bit x86)
// moves them across the cut. They come from a stream of their own, so that
// an input without them is the same as before they were added: one input
// in five has them, in most of its coordinate fields.
class Boundaries {
 public:
  explicit Boundaries(std::uint64_t state) : r_(state), on_(r_.OneIn(5)) {}
  bool Next() { return on_ && !r_.OneIn(4); }
  Random& random() { return r_; }

 private:
  Random r_;
  bool on_;
};

// `value` in exactly `digits` decimal digits.
void AddFixed(Text& t, std::uint64_t value, unsigned digits) {
  std::u16string out(digits, u'0');
  for (unsigned i = digits; i-- > 0; value /= 10) out[i] = static_cast<char16_t>('0' + value % 10);
  t.Add(out);
}

// Decimal degrees j / 2048000 with j odd: 14 decimals, some beyond 233
// degrees, where the units leave 32 bits.
void AddBoundaryDegrees(Random& r, Text& t) {
  const std::uint64_t j = 2 * r.Below(240 * 1024000u) + 1;
  if (r.OneIn(2)) t.Add(u'-');
  t.Add(std::to_string(j / 2048000).c_str());
  t.Add(u'.');
  AddFixed(t, j % 2048000 * 48828125, 14);
}

// Degrees ("12", "-5", "-12" for width 3) and minutes j / 102400 with j
// odd (12 decimals), each with or without a sign.
void AddBoundaryDegreesMinutes(Random& r, Text& t, unsigned width) {
  if (r.OneIn(3)) {
    t.Add(u'-');
    AddFixed(t, r.Below(width == 2 ? 10 : 100), width - 1);
  } else {
    AddFixed(t, r.Below(width == 2 ? 100 : 240), width);
  }
  if (r.OneIn(4)) t.Add(u'-');
  const std::uint64_t j = 2 * r.Below(60 * 51200) + 1;
  AddFixed(t, j / 102400, 2);
  t.Add(u'.');
  AddFixed(t, j % 102400 * 9765625, 12);
}

// A coordinate field: the generator's usual one or, in its place, one on a
// rounding boundary. The usual one is drawn either way, so that the rest
// of the input stays as it was.
void AddCoordinate(Random& r, Boundaries& b, Text& t, unsigned width, bool minutes) {
  Text usual(t.narrow());
  if (minutes) {
    AddDegreesMinutes(r, usual, width);
  } else {
    AddNumber(r, usual, width);
  }
  if (!b.Next()) {
    t.Add(usual.units());
  } else if (minutes) {
    AddBoundaryDegreesMinutes(b.random(), t, width);
  } else {
    AddBoundaryDegrees(b.random(), t);
  }
}

void AddWord(Random& r, Text& t) {
  if (r.OneIn(10)) {
    AddNoise(r, t, 4);
    return;
  }
  const unsigned word = r.Below(4);
  if (t.narrow()) {
    t.Add(kWordsGbk[word]);
  } else {
    t.Add(kWordsWide[word]);
  }
  if (r.OneIn(20)) t.Add(r.OneIn(2) ? u' ' : u'\n');
}

void AddName(Random& r, Text& t) {
  // Sometimes long, so that lists reach the 511-byte limit and names the
  // 99-byte cut.
  const unsigned count = r.OneIn(5) ? 40 + r.Below(90) : r.Below(20);
  for (unsigned i = 0; i < count; ++i) {
    AddCharacter(r, t);
    // A comma splits the name; keep most names whole.
    if (t.units().back() == u',' && !r.OneIn(4)) t.Add(u'x');
  }
}

std::u16string GuideMessage(Random& r, Boundaries& b, bool narrow) {
  Text t(narrow);
  t.Add(r.OneIn(30) ? "(TNc" : "(TNC");
  t.Add(u',');
  t.Add(r.OneIn(30) ? "02" : "002");
  t.Add(u',');
  t.Add(static_cast<char16_t>(r.OneIn(10) ? '0' + r.Below(10) : '0' + r.Below(5)));
  if (r.OneIn(10)) AddNoise(r, t, 2);
  t.Add(u',');
  AddCoordinate(r, b, t, 2, true);
  t.Add(u',');
  AddCoordinate(r, b, t, 3, true);
  if (!r.OneIn(4)) {
    t.Add(u',');
    t.Add(r.OneIn(15) ? u'b' : u'B');
    static const char* const kCounts[] = {"0", "1", "2", "2", "1", "3", "-1", " 1", "1x", ""};
    t.Add(kCounts[r.Below(sizeof kCounts / sizeof kCounts[0])]);
    for (unsigned i = r.Below(6); i > 0; --i) {
      t.Add(u',');
      AddCoordinate(r, b, t, i % 2 == 0 ? 2 : 3, true);
    }
  }
  if (r.OneIn(8)) {
    t.Add(u',');
    AddNoise(r, t, 8);
  }
  if (r.OneIn(15)) t.Add(u',');
  return t.units();
}

std::u16string DestinationList(Random& r, Boundaries& b, bool narrow) {
  Text t(narrow);
  t.Add(r.OneIn(40) ? "(TN" : "(TNC");
  const unsigned groups = r.OneIn(8) ? r.Below(8) : 1 + r.Below(5);
  for (unsigned g = 0; g < groups; ++g) {
    t.Add(u',');
    AddCoordinate(r, b, t, 3, false);
    t.Add(u',');
    AddCoordinate(r, b, t, 2, false);
    t.Add(u',');
    AddName(r, t);
    t.Add(u',');
    AddWord(r, t);
  }
  if (r.OneIn(6)) {
    for (unsigned i = 1 + r.Below(3); i > 0; --i) {
      t.Add(u',');
      AddNoise(r, t, 5);
    }
  }
  if (r.OneIn(15)) t.Add(u',');
  return t.units();
}

std::string Narrow(const std::u16string& units) {
  std::string bytes;
  for (char16_t unit : units) bytes.push_back(static_cast<char>(unit & 0xFF));
  return bytes;
}

std::string GuideFile(Random& r, Boundaries& b) {
  const std::string body = Narrow(GuideMessage(r, b, true));
  std::uint32_t length = static_cast<std::uint32_t>(body.size());
  if (r.OneIn(8)) {
    static const std::uint32_t kLengths[] = {0, 3, 511, 512, 0xFFFFFFFFu};
    length = r.OneIn(2) ? kLengths[r.Below(5)] : length + r.Below(9) - 4;
  }
  std::string file;
  for (int i = 0; i < 4; ++i) file.push_back(static_cast<char>(length >> (8 * i)));
  file += body;
  if (r.OneIn(10)) file += Narrow(GuideMessage(r, b, true));  // bytes behind the body
  if (r.OneIn(40)) file.resize(r.Below(4));
  return file;
}

std::string ListFile(Random& r, Boundaries& b) {
  std::string file = "    " + Narrow(DestinationList(r, b, true));
  if (r.OneIn(15)) file[r.Below(4)] = r.OneIn(2) ? '\t' : 'x';
  if (r.OneIn(20)) file.resize(r.OneIn(2) ? r.Below(5) : 505 + r.Below(12), '1');
  return file;
}

}  // namespace

int PlanOf(InputKind kind) {
  return kind == InputKind::kRawGuide || kind == InputKind::kFileGuide ? 1 : 2;
}

bool IsFile(InputKind kind) {
  return kind == InputKind::kFileGuide || kind == InputKind::kFileList;
}

Input GenerateInput(std::uint64_t seed, std::uint64_t index) {
  const std::uint64_t state = seed * 0x100000001B3ull ^ (index + 1) * 0x9E3779B97F4A7C15ull;
  Random r(state);
  r.Next();
  Boundaries b(state ^ 0xD1B54A32D192ED03ull);
  Input input;
  // The plan changes every 100 inputs (each change costs a PTT_Init that
  // looks for a file). Raw messages carry the conversion; files come less
  // often, as each costs a write, a read and a deletion.
  const bool list = (index / 100) % 2 == 1;
  const bool file = r.OneIn(8);
  input.kind = list ? (file ? InputKind::kFileList : InputKind::kRawList)
                    : (file ? InputKind::kFileGuide : InputKind::kRawGuide);
  switch (input.kind) {
    case InputKind::kRawGuide: input.text = GuideMessage(r, b, false); break;
    case InputKind::kRawList: input.text = DestinationList(r, b, false); break;
    case InputKind::kFileGuide: input.file = GuideFile(r, b); break;
    case InputKind::kFileList: input.file = ListFile(r, b); break;
  }
  if (!IsFile(input.kind)) {
    const int bytes = static_cast<int>(input.text.size() * 2);
    input.length_bytes = bytes;
    if (r.OneIn(10)) input.length_bytes = bytes + 1;             // an odd byte
    if (r.OneIn(25)) input.length_bytes = static_cast<int>(r.Below(static_cast<unsigned>(bytes) + 1));
    if (r.OneIn(100)) input.length_bytes = static_cast<int>(r.Below(2));
  }
  return input;
}

std::string DescribeInput(const Input& input) {
  static const char* const kNames[] = {"raw guide message (plan 1)", "raw destination list (plan 2)",
                                       "guide message file (plan 1)",
                                       "destination list file (plan 2)"};
  std::string out = kNames[static_cast<int>(input.kind)];
  char piece[32];
  if (IsFile(input.kind)) {
    std::snprintf(piece, sizeof piece, ", %u bytes: ", static_cast<unsigned>(input.file.size()));
    out += piece;
    for (char c : input.file) {
      const unsigned byte = static_cast<unsigned char>(c);
      if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
        out.push_back(c);
      } else {
        std::snprintf(piece, sizeof piece, "\\x%02X", byte);
        out += piece;
      }
    }
    return out;
  }
  std::snprintf(piece, sizeof piece, ", %u units, length %d bytes: ",
                static_cast<unsigned>(input.text.size()), input.length_bytes);
  out += piece;
  for (char16_t unit : input.text) {
    if (unit >= 0x20 && unit < 0x7F && unit != u'\\') {
      out.push_back(static_cast<char>(unit));
    } else {
      std::snprintf(piece, sizeof piece, "\\u%04X", static_cast<unsigned>(unit));
      out += piece;
    }
  }
  return out;
}

}  // namespace vexa::differential

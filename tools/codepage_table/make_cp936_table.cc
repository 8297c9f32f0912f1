// Reads what win32_dump.exe printed under Wine (how Win32 converts code page
// 936), compares it with glibc's CP936 converter, checks the assumptions the
// host layer builds on, and writes the differences as a C++ header of
// ranges that src/platform/host/code_pages.cc applies on top of glibc. With
// a third argument it also writes the table of the web build
// (src/platform/web/cp936_table.h), which has no converter underneath:
// every byte sequence, and the best-fit units that the inverse of that
// lacks.
//
//   make_cp936_table DUMP OUTPUT [WEB_OUTPUT]
//
// Exits 1, writing nothing, when an assumption does not hold.

#include <errno.h>
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// What both directions write for a character the other side lacks.
constexpr unsigned kDefaultChar = 0x3F;

[[noreturn]] void Fail(const std::string& why) {
  std::cerr << "make_cp936_table: " << why << "\n";
  std::exit(1);
}

std::vector<unsigned> Groups(const std::string& text, std::size_t digits) {
  std::vector<unsigned> out;
  if (text == "-") return out;
  for (std::size_t i = 0; i + digits <= text.size(); i += digits) {
    out.push_back(static_cast<unsigned>(std::stoul(text.substr(i, digits), nullptr, 16)));
  }
  return out;
}

// glibc's conversion of exactly one unit, or of exactly one byte sequence
// to exactly one unit; false when glibc refuses it or reads it otherwise.
class Glibc {
 public:
  Glibc() : to_(iconv_open("CP936", "UTF-16LE")), from_(iconv_open("UTF-16LE", "CP936")) {
    if (to_ == reinterpret_cast<iconv_t>(-1) || from_ == reinterpret_cast<iconv_t>(-1)) {
      Fail("glibc has no CP936 converter");
    }
  }
  bool Encode(unsigned unit, std::vector<unsigned>* bytes) {
    unsigned char in_bytes[2] = {static_cast<unsigned char>(unit), static_cast<unsigned char>(unit >> 8)};
    char out[8];
    char* in = reinterpret_cast<char*>(in_bytes);
    char* put = out;
    std::size_t in_left = 2, put_left = sizeof out;
    iconv(to_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(to_, &in, &in_left, &put, &put_left) == static_cast<std::size_t>(-1)) return false;
    bytes->clear();
    for (char* p = out; p < put; ++p) bytes->push_back(static_cast<unsigned char>(*p));
    return true;
  }
  bool Decode(const std::vector<unsigned>& seq, unsigned* unit) {
    char in_bytes[2];
    for (std::size_t i = 0; i < seq.size(); ++i) in_bytes[i] = static_cast<char>(seq[i]);
    unsigned char out[8];
    char* in = in_bytes;
    char* put = reinterpret_cast<char*>(out);
    std::size_t in_left = seq.size(), put_left = sizeof out;
    iconv(from_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(from_, &in, &in_left, &put, &put_left) == static_cast<std::size_t>(-1)) return false;
    if (put - reinterpret_cast<char*>(out) != 2) return false;
    *unit = out[0] | (out[1] << 8);
    return true;
  }

 private:
  iconv_t to_;
  iconv_t from_;
};

struct Range {
  unsigned first, last, value, step;
};

// Merges key -> value pairs (sorted by key) into runs of consecutive keys
// whose values stay equal (step 0) or rise by one (step 1).
std::vector<Range> Ranges(const std::map<unsigned, unsigned>& entries) {
  std::vector<Range> out;
  for (const auto& [key, value] : entries) {
    if (!out.empty() && out.back().last + 1 == key) {
      Range& r = out.back();
      const unsigned length = key - r.first;
      if (r.first == r.last && (value == r.value || value == r.value + 1)) {
        r.step = value - r.value;
        r.last = key;
        continue;
      }
      if (r.value + r.step * length == value) {
        r.last = key;
        continue;
      }
    }
    out.push_back({key, key, value, 0});
  }
  return out;
}

std::string Hex(unsigned v, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, v);
  return text;
}

// A complete mapping as segments over consecutive indexes: a run of one
// value (kind 0), a run rising by one (kind 1), or a stretch of literal
// values (kind 2: `value` is the stretch's first position in the literals).
// Runs shorter than this are cheaper as literals.
constexpr std::size_t kMinRun = 4;

struct Segment {
  unsigned first, value, kind;
};

void Segments(const std::vector<unsigned>& values, std::vector<Segment>* segments,
              std::vector<unsigned>* literals) {
  std::size_t i = 0;
  while (i < values.size()) {
    std::size_t best = 1;
    unsigned best_kind = 0;
    for (unsigned kind = 0; kind < 2; ++kind) {
      std::size_t j = i;
      while (j + 1 < values.size() && values[j + 1] == values[j] + kind) ++j;
      if (j - i + 1 > best) {
        best = j - i + 1;
        best_kind = kind;
      }
    }
    if (best >= kMinRun) {
      segments->push_back({static_cast<unsigned>(i), values[i], best_kind});
      i += best;
      continue;
    }
    if (segments->empty() || segments->back().kind != 2) {
      segments->push_back({static_cast<unsigned>(i), static_cast<unsigned>(literals->size()), 2});
    }
    literals->push_back(values[i]);
    ++i;
  }
}

// The value at `index`, read back from the segments as the web layer does.
unsigned Expand(const std::vector<Segment>& segments, const std::vector<unsigned>& literals,
                unsigned index) {
  std::size_t s = segments.size() - 1;
  while (segments[s].first > index) --s;
  const Segment& segment = segments[s];
  const unsigned offset = index - segment.first;
  if (segment.kind == 0) return segment.value;
  if (segment.kind == 1) return segment.value + offset;
  return literals[segment.value + offset];
}

// The index of each byte sequence in the web table: a byte alone, then each
// lead byte with its trail bytes 0x01-0xFF.
unsigned SequenceCode(unsigned index, unsigned first_lead) {
  if (index < 0x100) return index;
  const unsigned offset = index - 0x100;
  return (first_lead + offset / 255) << 8 | (offset % 255 + 1);
}

// The web table holds only the byte direction; the web layer encodes a unit
// as the lowest byte sequence that reads as it, else from the best-fit list,
// else as '?'. Checks that this gives what Windows gives for every unit and
// returns the best-fit list (unit -> code, sorted by unit).
std::map<unsigned, unsigned> BestFit(const std::vector<unsigned>& to_code_page,
                                     const std::vector<unsigned>& to_wide,
                                     unsigned first_lead) {
  // The web layer marks a unit no sequence reads as with code 0, which only
  // the NUL byte has; so NUL must read as unit 0.
  if (to_wide[0] != 0) Fail("the NUL byte does not read as unit 0");
  std::vector<unsigned> lowest(0x10000, 0);
  std::vector<bool> read(0x10000, false);
  for (unsigned index = 0; index < to_wide.size(); ++index) {
    const unsigned unit = to_wide[index];
    if (read[unit]) continue;
    read[unit] = true;
    lowest[unit] = SequenceCode(index, first_lead);
  }
  std::map<unsigned, unsigned> best_fit;
  for (unsigned unit = 0; unit < 0x10000; ++unit) {
    const unsigned windows = to_code_page[unit];
    if (read[unit]) {
      if (windows != lowest[unit]) {
        Fail("Windows does not write " + Hex(unit, 4) + " as the lowest sequence that reads as it");
      }
    } else if (windows != kDefaultChar) {
      best_fit[unit] = windows;
    }
  }
  return best_fit;
}

std::string WebTable(const std::vector<unsigned>& to_code_page,
                     const std::vector<unsigned>& to_wide, unsigned first_lead,
                     unsigned last_lead) {
  const std::map<unsigned, unsigned> best_fit = BestFit(to_code_page, to_wide, first_lead);
  std::ostringstream out;
  out << "// Generated by scripts/make-cp936-table.sh from the Win32 conversion (under\n"
         "// Wine); do not edit. Code page 936 as Windows converts it with no flags\n"
         "// and the default character, for the web build, which has no converter\n"
         "// underneath. Every byte sequence as a list of segments over consecutive\n"
         "// indexes (see Cp936Segment) and the literal values they use. The other\n"
         "// direction is the inverse: Windows writes a unit as the lowest byte\n"
         "// sequence that reads as it; a unit none reads as becomes its best-fit\n"
         "// code below, or '?' (surrogates, paired or not, included). The generator\n"
         "// checks that for every unit.\n\n"
         "#ifndef VEXA_SRC_PLATFORM_WEB_CP936_TABLE_H_\n"
         "#define VEXA_SRC_PLATFORM_WEB_CP936_TABLE_H_\n\n"
         "#include <cstdint>\n\n"
         "namespace vexa::platform::web {\n\n"
         "// Lead bytes: with any byte but NUL after them, two bytes are one character.\n"
      << "inline constexpr unsigned kCp936FirstLead = " << Hex(first_lead, 2) << ";\n"
      << "inline constexpr unsigned kCp936LastLead = " << Hex(last_lead, 2) << ";\n\n"
      << "// From `first` up to the next segment's first index: `value` for each\n"
         "// (kind 0), `value` + 0, 1, 2 ... (kind 1), or the literals from position\n"
         "// `value` on (kind 2).\n"
         "struct Cp936Segment {\n"
         "  std::uint16_t first;\n"
         "  std::uint16_t value;\n"
         "  std::uint16_t kind;\n"
         "};\n\n";
  auto emit = [&out](const char* name, const char* what, const std::vector<unsigned>& values) {
    std::vector<Segment> segments;
    std::vector<unsigned> literals;
    Segments(values, &segments, &literals);
    for (unsigned i = 0; i < values.size(); ++i) {
      if (Expand(segments, literals, i) != values[i]) Fail("a segment does not read back");
    }
    if (literals.size() > 0xFFFF) Fail("too many literals for 16-bit positions");
    out << "// " << what << "\n"
        << "inline constexpr Cp936Segment k" << name << "Segments[] = {\n";
    for (const Segment& s : segments) {
      out << "    {" << Hex(s.first, 4) << ", " << Hex(s.value, 4) << ", " << s.kind << "},\n";
    }
    out << "};\n\ninline constexpr std::uint16_t k" << name << "Literals[] = {";
    for (std::size_t i = 0; i < literals.size(); ++i) {
      out << (i % 10 == 0 ? "\n    " : " ") << Hex(literals[i], 4) << ",";
    }
    out << "\n};\n\n";
  };
  emit("Cp936Byte",
       "Byte sequence -> UTF-16 unit. Index: a byte alone (0x00-0xFF), or\n"
       "// 0x100 + (lead - kCp936FirstLead) * 255 + trail - 1 for a lead byte\n"
       "// followed by a trail byte 0x01-0xFF.",
       to_wide);
  out << "// A unit that no byte sequence reads as, but that Windows writes as a\n"
         "// similar character rather than '?'. Sorted by unit.\n"
         "struct Cp936BestFit {\n"
         "  std::uint16_t unit;\n"
         "  std::uint16_t code;  // byte, or lead byte << 8 | trail byte\n"
         "};\n\n"
         "inline constexpr Cp936BestFit kCp936BestFit[] = {";
  std::size_t i = 0;
  for (const auto& [unit, code] : best_fit) {
    out << (i++ % 4 == 0 ? "\n    " : " ") << "{" << Hex(unit, 4) << ", " << Hex(code, 4) << "},";
  }
  out << "\n};\n\n"
         "}  // namespace vexa::platform::web\n\n"
         "#endif  // VEXA_SRC_PLATFORM_WEB_CP936_TABLE_H_\n";
  return out.str();
}

void WriteFile(const char* path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (!file) Fail(std::string("cannot write ") + path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) Fail("usage: make_cp936_table DUMP OUTPUT [WEB_OUTPUT]");
  std::ifstream dump(argv[1]);
  if (!dump) Fail(std::string("cannot read ") + argv[1]);

  std::map<unsigned, std::vector<unsigned>> encode;   // unit -> bytes
  std::map<unsigned, std::vector<unsigned>> decode;   // 1 or 2 bytes (key) -> units
  std::map<unsigned, std::vector<unsigned>> terminated;
  unsigned pairs = 0;
  std::string line;
  while (std::getline(dump, line)) {
    std::istringstream fields(line);
    std::string kind, a, b;
    fields >> kind >> a >> b;
    if (kind == "W") {
      encode[std::stoul(a, nullptr, 16)] = Groups(b, 2);
    } else if (kind == "M") {
      decode[(a.size() == 2 ? 0 : 0x10000) | std::stoul(a, nullptr, 16)] = Groups(b, 4);
    } else if (kind == "T") {
      terminated[std::stoul(a, nullptr, 16)] = Groups(b, 4);
    } else if (kind == "S") {
      pairs = static_cast<unsigned>(std::stoul(a, nullptr, 16));
    } else if (kind == "P") {
      Fail("a surrogate pair did not give two default characters: " + line);
    } else {
      Fail("unexpected line: " + line);
    }
  }
  if (encode.size() != 0x10000 || decode.size() != 0x10100 || terminated.size() != 0x100 ||
      pairs != 0x100000) {
    Fail("the dump is incomplete");
  }

  // Each surrogate unit, paired or not, is one default character; the host
  // layer does that by rule, so the units must all give '?'.
  for (unsigned u = 0xD800; u <= 0xDFFF; ++u) {
    if (encode[u] != std::vector<unsigned>{0x3F}) Fail("a surrogate unit is not '?'");
  }

  // Lead bytes: a lead byte and any byte but NUL are one character; a lead
  // byte before NUL or at the end is one character by itself.
  std::vector<bool> lead(256, false);
  for (unsigned b = 0; b < 256; ++b) lead[b] = decode[0x10000 | (b << 8) | 0x41].size() == 1;
  for (unsigned first = 0; first < 256; ++first) {
    for (unsigned second = 0; second < 256; ++second) {
      const std::vector<unsigned>& two = decode[0x10000 | (first << 8) | second];
      std::vector<unsigned> split = decode[first];
      if (!lead[first] || second == 0) {
        const std::vector<unsigned>& rest = decode[second];
        split.insert(split.end(), rest.begin(), rest.end());
        if (two != split) Fail("a non-lead byte does not stand alone: " + Hex(first, 2));
      } else if (two.size() != 1) {
        Fail("a lead byte does not take its trail byte: " + Hex(first, 2));
      }
    }
    if (decode[first].size() != 1) Fail("a single byte is not one unit");
    if (first == 0) continue;  // the terminator itself
    std::vector<unsigned> with_nul = decode[first];
    with_nul.push_back(0);
    if (terminated[first] != with_nul) Fail("the terminator is not kept after " + Hex(first, 2));
  }

  Glibc glibc;
  std::map<unsigned, unsigned> to_code_page;  // unit -> code (byte, or lead << 8 | trail)
  for (const auto& [unit, bytes] : encode) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;
    std::vector<unsigned> mine;
    if (!glibc.Encode(unit, &mine)) mine = {kDefaultChar};
    if (mine == bytes) continue;
    if (unit < 0x80) Fail("an ASCII unit differs");
    if (bytes.size() == 1) {
      to_code_page[unit] = bytes[0];
    } else if (bytes.size() == 2 && lead[bytes[0]]) {
      to_code_page[unit] = bytes[0] << 8 | bytes[1];
    } else {
      Fail("unexpected Windows bytes for " + Hex(unit, 4));
    }
  }
  std::map<unsigned, unsigned> to_wide;  // key (byte, or lead << 8 | trail) -> unit
  for (unsigned first = 0; first < 256; ++first) {
    std::vector<unsigned> keys = {first};
    if (lead[first]) {
      for (unsigned second = 1; second < 256; ++second) keys.push_back(first << 8 | second);
    }
    for (unsigned key : keys) {
      const unsigned windows = decode[key > 0xFF ? 0x10000 | key : key][0];
      std::vector<unsigned> seq = key > 0xFF ? std::vector<unsigned>{key >> 8, key & 0xFF}
                                             : std::vector<unsigned>{key};
      unsigned mine = 0;
      if (!glibc.Decode(seq, &mine)) mine = kDefaultChar;
      if (mine == windows) continue;
      to_wide[key] = windows;
    }
  }

  const std::vector<Range> encode_ranges = Ranges(to_code_page);
  const std::vector<Range> decode_ranges = Ranges(to_wide);
  std::ostringstream out;
  out << "// Generated by scripts/make-cp936-table.sh from the Win32 conversion (under\n"
         "// Wine) and glibc's CP936 converter; do not edit. Where Windows converts\n"
         "// code page 936 differently from glibc, with no flags and the default\n"
         "// character: " << to_code_page.size() << " UTF-16 units and " << to_wide.size()
      << " byte sequences.\n"
         "// Surrogate units are not listed: each becomes one '?'.\n\n"
         "#ifndef VEXA_SRC_PLATFORM_HOST_CP936_WINDOWS_TABLE_H_\n"
         "#define VEXA_SRC_PLATFORM_HOST_CP936_WINDOWS_TABLE_H_\n\n"
         "#include \"platform/host/code_page_range.h\"\n\n"
         "namespace vexa::platform::host {\n\n"
         "// Lead bytes: with any byte but NUL after them, two bytes are one character.\n";
  unsigned first_lead = 256, last_lead = 0;
  for (unsigned b = 0; b < 256; ++b) {
    if (lead[b]) {
      if (first_lead == 256) first_lead = b;
      last_lead = b;
    }
  }
  for (unsigned b = first_lead; b <= last_lead; ++b) {
    if (!lead[b]) Fail("the lead bytes are not one range");
  }
  out << "inline constexpr unsigned kCp936FirstLead = " << Hex(first_lead, 2) << ";\n"
      << "inline constexpr unsigned kCp936LastLead = " << Hex(last_lead, 2) << ";\n\n";
  auto emit = [&out](const char* name, const char* what, const std::vector<Range>& ranges) {
    out << "// " << what << "\n"
        << "inline constexpr CodePageRange " << name << "[] = {\n";
    for (const Range& r : ranges) {
      out << "    {" << Hex(r.first, 4) << ", " << Hex(r.last, 4) << ", " << Hex(r.value, 4)
          << ", " << r.step << "},\n";
    }
    out << "};\n\n";
  };
  emit("kCp936WideToCodePage",
       "UTF-16 unit -> byte, or lead byte << 8 | trail byte.", encode_ranges);
  emit("kCp936CodePageToWide",
       "Byte, or lead byte << 8 | trail byte -> UTF-16 unit.", decode_ranges);
  out << "}  // namespace vexa::platform::host\n\n"
         "#endif  // VEXA_SRC_PLATFORM_HOST_CP936_WINDOWS_TABLE_H_\n";

  // The web table: every byte sequence straight from the dump (a lead byte
  // before NUL is the byte alone, as checked above), and what the encoding
  // of every unit needs beyond the inverse.
  std::string web;
  if (argc == 4) {
    std::vector<unsigned> all_to_code_page;
    for (const auto& [unit, bytes] : encode) {
      if (bytes.size() == 1) {
        all_to_code_page.push_back(bytes[0]);
      } else if (bytes.size() == 2 && lead[bytes[0]]) {
        all_to_code_page.push_back(bytes[0] << 8 | bytes[1]);
      } else {
        Fail("unexpected Windows bytes for " + Hex(unit, 4));
      }
    }
    std::vector<unsigned> all_to_wide;
    for (unsigned b = 0; b < 256; ++b) all_to_wide.push_back(decode[b][0]);
    for (unsigned l = first_lead; l <= last_lead; ++l) {
      for (unsigned t = 1; t < 256; ++t) all_to_wide.push_back(decode[0x10000 | l << 8 | t][0]);
    }
    web = WebTable(all_to_code_page, all_to_wide, first_lead, last_lead);
  }

  WriteFile(argv[2], out.str());
  if (argc == 4) WriteFile(argv[3], web);
  std::cout << "code page 936: " << to_code_page.size() << " units (" << encode_ranges.size()
            << " ranges) and " << to_wide.size() << " byte sequences (" << decode_ranges.size()
            << " ranges) differ from glibc\n";
  return 0;
}

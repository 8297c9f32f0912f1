// Fuzzes one of encode's interchange readers (the format is VEXA_FUZZ_FORMAT
// at build time: kCsv, kGpx, kKml or kGeoJson) with the input as the whole
// file. Besides crashes, hangs and the sanitizers' findings it checks what
// the reader promises: a refusal always says why, a reader that succeeds
// gives points only where it gives no refusal, and every message is UTF-8
// that shows the file's bytes escaped, so a hostile file cannot put control
// characters on the user's terminal.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/interchange_reader.h"
#include "packet_checks.h"
#include "text/text_codec.h"

#ifndef VEXA_FUZZ_FORMAT
#error "VEXA_FUZZ_FORMAT must name an InputFormat"
#endif

namespace {

using vexa::fuzz::Check;
using namespace vexa::tool;

// No control character but the line break of a multi-line note.
bool PrintableUtf8(const std::string& text) {
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if ((b < 0x20 && b != '\n') || b == 0x7F) return false;
  }
  return FirstInvalidUtf8(text).empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 1 << 16) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (int plan : {1, 2}) {
    ImportChoice choice;
    choice.format = InputFormat::VEXA_FUZZ_FORMAT;
    choice.plan = plan;
    std::vector<EncodePoint> points;
    std::vector<std::string> notes;
    std::string error;
    const bool read =
        ReadInterchange(bytes, "'input'", choice, &points, &notes, &error);
    Check(read == error.empty(), "a refusal says why, a success says nothing");
    Check(PrintableUtf8(error), "the refusal is printable UTF-8");
    for (const std::string& note : notes) {
      Check(PrintableUtf8(note), "a note is printable UTF-8");
    }
    if (!read) continue;
    for (const EncodePoint& point : points) {
      Check(!point.origin.empty(), "every point says where it came from");
      Check(point.route >= -1 && point.route <= 3, "a route mode or none");
    }
  }
  return 0;
}

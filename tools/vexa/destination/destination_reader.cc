// Reading destination files with the library's plans (see
// destination_reader.h).

#include "destination/destination_reader.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>

#include "destination/failure_explain.h"
#include "system/input_file.h"
#include "destination/strict_check.h"
#include "formats/interchange_kind.h"
#include "system/system.h"
#include "text/text_codec.h"
#include "tool_interface/destination_access.h"

namespace vexa::tool {
namespace {

// The tool reads at most this much of a file for its own analysis; every
// valid destination file is far smaller.
constexpr std::size_t kAnalysisBytes = 64 * 1024;

// Tells the plans apart by their first bytes: a destination list begins
// with four spaces, which as a guide message's length (0x20202020) would be
// far above 511; a guide message begins with a small length. Files that
// are neither get the plan their name or their text suggests, so the
// explanation speaks of the format the author meant.
int DetectPlan(const std::string& path, std::string_view bytes,
               std::string* reason) {
  if (bytes.size() >= 4 && bytes.substr(0, 4) == "    ") {
    *reason = "read as plan 2: begins with four spaces";
    return 2;
  }
  if (bytes.size() >= 4) {
    const std::uint32_t length =
        static_cast<unsigned char>(bytes[0]) |
        static_cast<unsigned char>(bytes[1]) << 8 |
        static_cast<unsigned char>(bytes[2]) << 16 |
        static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[3])) << 24;
    if (length <= 511) {
      *reason = "read as plan 1: begins with a body length";
      return 1;
    }
  }
  if (std::filesystem::u8path(path).extension() == ".cld") {
    *reason = "read as plan 2: named *.cld";
    return 2;
  }
  const std::string_view rest = bytes.size() > 4 ? bytes.substr(4) : "";
  if (rest.substr(0, 5) == "(TNC," && rest.substr(0, 9) != "(TNC,002,") {
    *reason = "read as plan 2: holds a destination list";
    return 2;
  }
  *reason = "read as plan 1: no leading spaces";
  return 1;
}

// `path` as one word of a command line to paste: quoted when it holds
// anything but letters, digits and the usual path characters.
std::string CommandWord(const std::string& path) {
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80 && !std::isalnum(byte) &&
        std::string_view("._-/\\:+=@%,").find(c) == std::string_view::npos) {
      return "\"" + ShownPath(path) + "\"";
    }
  }
  return ShownPath(path);
}

}  // namespace

int ReadWithPlan(std::FILE* file, int plan, DestinationPacket* packet) {
  return tool_interface::ReadDestinationFile(plan, file, packet);
}

int ReadFileWithPlan(const std::string& path, int plan,
                     DestinationPacket* packet) {
  std::FILE* file = OpenForReading(path);
  if (file == nullptr) return VEXA_E_NO_FILE;
  const int result = ReadWithPlan(file, plan, packet);
  std::fclose(file);
  return result;
}

int ReadBytesWithPlan(std::string_view bytes, int plan,
                      DestinationPacket* packet) {
  std::FILE* file = OpenMemoryStream(bytes);
  if (file == nullptr) return VEXA_E_NO_FILE;
  const int result = ReadWithPlan(file, plan, packet);
  std::fclose(file);
  return result;
}

Outcome DecodeFile(const std::string& path, int plan) {
  Outcome outcome;
  outcome.source = path == "-" ? "(standard input)" : path;
  outcome.plan = plan;
  InputFile input;
  std::string error;
  if (!input.Open(path, &error)) {
    outcome.result = VEXA_E_NO_FILE;
    outcome.explanation = error;
    if (input.too_long()) {
      // The library never saw it: not a missing file but too much input.
      outcome.tool_error = "InputTooLong";
      outcome.explanation += "; a destination file is at most 515 bytes";
    }
    return outcome;
  }
  const std::string bytes = input.Head(kAnalysisBytes);
  std::string reason;
  outcome.plan = plan != 0 ? plan : DetectPlan(path, bytes, &reason);
  outcome.plan_reason = reason;
  outcome.result = ReadWithPlan(input.stream(), outcome.plan, &outcome.packet);
  FailureInput failure;
  failure.plan = outcome.plan;
  failure.is_file = true;
  failure.file_bytes = bytes;
  failure.file_size = input.size();
  std::string text;
  const bool has_text = TextOfFile(outcome.plan, bytes, &text);
  if (outcome.result != 0) {
    outcome.packet = DestinationPacket{};
    // Points for a map, not for a head unit: say what they are and how to
    // make a destination list of them, rather than why they are none.
    if (const InterchangeKind kind = KindOfInterchangeFile(bytes);
        !kind.name.empty()) {
      outcome.tool_error = "NotADestinationFile";
      outcome.explanation =
          "this is a " + kind.name +
          " file, not a destination file; to make a destination list of "
          "its points: vexa encode --plan 2 " + kind.option + " " +
          CommandWord(path) + " -o dest.cld";
      return outcome;
    }
    outcome.explanation = ExplainFailure(outcome.result, failure);
  } else if (has_text) {
    outcome.warnings = StrictWarnings(outcome.plan, text);
  }
  // Text in the code page, route words included, is almost never valid
  // UTF-8; a file that is was saved in the wrong encoding.
  if (LooksLikeUtf8Text(has_text ? std::string_view(text)
                                 : std::string_view(bytes))) {
    const std::string hint =
        "the file's text is UTF-8, but a head unit reads it in code page " +
        std::to_string(DestinationCodePage()) +
        (DestinationCodePage() == 936 ? " (GBK)" : "") +
        ", where its names and words are garbled: save it in that code page";
    if (outcome.result != 0) {
      outcome.explanation += "; " + hint;
    } else {
      outcome.warnings.push_back(hint);
    }
  }
  return outcome;
}

}  // namespace vexa::tool

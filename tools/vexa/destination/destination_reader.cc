// Reading destination files with the library's plans (see
// destination_reader.h).

#include "destination/destination_reader.h"

#include <cctype>
#include <cstdio>
#include <string_view>

#include "destination/explain_outcome.h"
#include "formats/interchange_kind.h"
#include "system/input_file.h"
#include "system/system.h"
#include "text/text_codec.h"
#include "tool_interface/destination_access.h"

namespace vexa::tool {
namespace {

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

Outcome DecodeFile(const std::string& path, int plan, const std::string& list) {
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
  // Points for a map, not for a head unit: say what they are and how to
  // make a destination list of them, rather than why they are none.
  if (outcome.result != 0) {
    if (const InterchangeKind kind = KindOfInterchangeFile(bytes);
        !kind.name.empty()) {
      outcome.packet = DestinationPacket{};
      outcome.tool_error = "NotADestinationFile";
      if (kind.option.empty()) {
        outcome.explanation =
            "this is a " + kind.name +
            " file, not a destination file; unzip it and give the KML "
            "inside (most often doc.kml) to vexa encode --plan 2 --kml";
        return outcome;
      }
      const std::string target = list.empty() ? "dest.cld" : list;
      outcome.explanation =
          "this is a " + kind.name +
          " file, not a destination file; to make a destination list of "
          "its points: vexa encode --plan 2 " + kind.option + " " +
          CommandWord(path) + " -o " + CommandWord(target);
      return outcome;
    }
  }
  ExplainFileOutcome(bytes, input.size(), &outcome);
  // A picture, a README or a folder's hidden file: no tag, no body length
  // a guide message could have, no spaces of a list. The library's reading
  // of its first bytes as a length says nothing useful then.
  const auto byte = [&bytes](std::size_t i) {
    return static_cast<unsigned long>(static_cast<unsigned char>(bytes[i]));
  };
  if (outcome.result != 0 && bytes.size() >= 8 && bytes[0] != ' ' &&
      (byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24) > 511 &&
      bytes.substr(0, 16).find("(TNC") == std::string::npos) {
    outcome.explanation =
        "this is not a destination file: a guide message begins with its "
        "body length and (TNC, a destination list with four spaces and "
        "(TNC, and this begins '" + ShownText(bytes.substr(0, 12)) + "'";
  }
  RefuseWithoutDestination(&outcome);
  return outcome;
}

}  // namespace vexa::tool

// Reading destination files with the library's plans (see
// destination_reader.h).

#include "destination/destination_reader.h"

#include <cstdio>
#include <string_view>

#include "destination/explain_outcome.h"
#include "system/input_file.h"
#include "system/system.h"
#include "text/text_codec.h"
#include "tool_interface/destination_access.h"

namespace vexa::tool {
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
  ExplainDecodedFile(bytes, input.size(), path, list, &outcome);
  return outcome;
}

}  // namespace vexa::tool

#include "web_api.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "destination/destination_encoder.h"
#include "destination/destination_list_plan.h"
#include "destination/explain_outcome.h"
#include "destination/message_file_plan.h"
#include "destination/raw_message.h"
#include "platform/platform.h"
#include "tool_interface/result_names.h"

namespace {

using vexa::destination::DestinationListPlan;
using vexa::destination::GuidePlan;
using vexa::destination::MessageFilePlan;

// Runs `work` with the plan object of number `plan` (they hold no data, so
// each call makes its own); VEXA_E_BAD_PLAN for any other number.
template <typename Work>
int WithPlan(int plan, Work work) {
  MessageFilePlan guide;
  DestinationListPlan list;
  switch (plan) {
    case 1: return work(static_cast<GuidePlan&>(guide));
    case 2: return work(static_cast<GuidePlan&>(list));
    default: return VEXA_E_BAD_PLAN;
  }
}

// Reads a file from memory with plan `plan`, as the library reads it at
// PTT_Init. The plans read an open stream; a stream over the caller's bytes
// gives them the file as the head unit's file system would.
int ReadFromMemory(GuidePlan& reader, const unsigned char* bytes, int size,
                   DestinationPacket* packet) {
  static unsigned char empty[1];
  std::FILE* file = fmemopen(size > 0 ? const_cast<unsigned char*>(bytes) : empty,
                             static_cast<std::size_t>(size), "rb");
  if (file == nullptr) return VEXA_E_NO_FILE;
  const int result = reader.ReadPacket(file, packet);
  std::fclose(file);
  return result;
}

void CopyMessage(const std::string& text, char* message, int capacity) {
  if (message == nullptr || capacity <= 0) return;
  const std::size_t size =
      text.size() < static_cast<std::size_t>(capacity) ? text.size() : capacity - 1;
  std::memcpy(message, text.data(), size);
  message[size] = '\0';
}

// The explanation of a refusal, or the warnings one per line.
std::string WhatTheToolSays(const vexa::tool::Outcome& outcome) {
  if (outcome.result != 0) return outcome.explanation;
  std::string lines;
  for (const std::string& warning : outcome.warnings) {
    lines += (lines.empty() ? "" : "\n") + warning;
  }
  return lines;
}

}  // namespace

extern "C" {

int vexa_web_detect_plan(const unsigned char* bytes, int size) {
  return bytes != nullptr && size >= 4 && std::memcmp(bytes, "    ", 4) == 0 ? 2 : 1;
}

int vexa_web_read_file(int plan, const unsigned char* bytes, int size,
                       DestinationPacket* packet) {
  if (bytes == nullptr || size < 0) return VEXA_E_NO_FILE;
  return WithPlan(plan, [&](GuidePlan& reader) {
    DestinationPacket working;
    const int result = ReadFromMemory(reader, bytes, size, &working);
    if (result == 0) *packet = working;
    return result;
  });
}

int vexa_web_parse_raw(int plan, const uint16_t* text, int length,
                       DestinationPacket* packet) {
  return WithPlan(plan, [&](GuidePlan& parser) {
    DestinationPacket working;
    const int result = vexa::destination::ParseRawMessage(parser, text, length, &working);
    if (result == 0) *packet = working;
    return result;
  });
}

int vexa_web_analysis_bytes(void) {
  return static_cast<int>(vexa::tool::kAnalysisBytes);
}

int vexa_web_decode_file(const char* name, const unsigned char* head,
                         int head_size, double file_size, int plan,
                         int* plan_used, DestinationPacket* packet,
                         char* message, int message_capacity) {
  if (head == nullptr || head_size < 0 || plan < 0 || plan > 2) {
    CopyMessage("", message, message_capacity);
    return VEXA_E_NO_FILE;
  }
  const std::size_t size = static_cast<std::size_t>(head_size);
  const std::string_view bytes(reinterpret_cast<const char*>(head),
                               size < vexa::tool::kAnalysisBytes
                                   ? size : vexa::tool::kAnalysisBytes);
  vexa::tool::Outcome outcome;
  std::string reason;
  outcome.plan = plan != 0 ? plan
                           : vexa::tool::DetectPlan(name != nullptr ? name : "",
                                                    bytes, &reason);
  outcome.result = vexa_web_read_file(outcome.plan, head, head_size, &outcome.packet);
  // A size the page cannot know exactly (never above its 10 MB) is at
  // least what it handed over.
  const long long whole = file_size >= head_size && file_size < 9e15
                              ? static_cast<long long>(file_size) : head_size;
  vexa::tool::ExplainFileOutcome(bytes, whole, &outcome);
  if (plan_used != nullptr) *plan_used = outcome.plan;
  if (outcome.result == 0) *packet = outcome.packet;
  CopyMessage(WhatTheToolSays(outcome), message, message_capacity);
  return outcome.result;
}

int vexa_web_parse_text(int plan, const uint16_t* text, int length,
                        DestinationPacket* packet, char* message,
                        int message_capacity) {
  vexa::tool::Outcome outcome;
  outcome.plan = plan;
  outcome.result = vexa_web_parse_raw(plan, text, length, &outcome.packet);
  // The tool explains the text the library was given: length / 2 units.
  const std::size_t units =
      text != nullptr && length > 0 ? static_cast<std::size_t>(length) / 2 : 0;
  vexa::tool::ExplainTextOutcome(
      std::u16string_view(reinterpret_cast<const char16_t*>(text), units), &outcome);
  if (outcome.result == 0) *packet = outcome.packet;
  CopyMessage(WhatTheToolSays(outcome), message, message_capacity);
  return outcome.result;
}

const char* vexa_web_result_name(int code) {
  return vexa::tool_interface::ResultName(code);
}

int vexa_web_text_to_utf16(const char* text, uint16_t* out, int capacity) {
  if (text == nullptr || out == nullptr) return 0;
  return vexa::platform::CodePageToWide(vexa::platform::AnsiCodePage(), text,
                                        reinterpret_cast<char16_t*>(out), capacity);
}

int vexa_web_encode(int plan, int count, const double* coordinates,
                    const int* routes, const char* names, unsigned char* out,
                    int capacity, char* message, int message_capacity) {
  using vexa::tool::EncodeRequest;
  EncodeRequest request;
  request.plan = plan;
  for (int i = 0; i < count; ++i) {
    vexa::tool::EncodePoint point;
    point.latitude = coordinates[2 * i];
    point.longitude = coordinates[2 * i + 1];
    point.origin = "point " + std::to_string(i + 1);
    if (names != nullptr) {
      point.name = names;
      names += point.name.size() + 1;
    }
    request.points.push_back(point);
    request.routes.push_back(routes[i]);
  }
  vexa::tool::EncodedFile file;
  std::string error;
  if (!vexa::tool::BuildDestinationFile(request, &file, &error)) {
    CopyMessage(error, message, message_capacity);
    return -1;
  }
  DestinationPacket packet;
  const int result = WithPlan(plan, [&](GuidePlan& reader) {
    return ReadFromMemory(reader, reinterpret_cast<const unsigned char*>(file.bytes.data()),
                          static_cast<int>(file.bytes.size()), &packet);
  });
  if (!vexa::tool::CheckDecoded(request, file, result, packet, &error)) {
    CopyMessage(error, message, message_capacity);
    return -2;
  }
  if (file.bytes.size() > static_cast<std::size_t>(capacity)) {
    CopyMessage("the file does not fit the buffer", message, message_capacity);
    return -3;
  }
  std::memcpy(out, file.bytes.data(), file.bytes.size());
  std::string notes;
  for (const std::string& note : file.notes) notes += (notes.empty() ? "" : "\n") + note;
  CopyMessage(notes, message, message_capacity);
  return static_cast<int>(file.bytes.size());
}

}  // extern "C"

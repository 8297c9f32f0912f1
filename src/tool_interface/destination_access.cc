#include "tool_interface/destination_access.h"

#include "destination/destination_list_plan.h"
#include "destination/file_framing.h"
#include "destination/guide_plan.h"
#include "destination/message_file_plan.h"
#include "destination/protocol_fields.h"
#include "destination/raw_message.h"

namespace vexa::tool_interface {

static_assert(kMaxFields == destination::kMaxFields);
static_assert(kMaxTextLength == destination::kMaxTextLength);

int ReadDestinationFile(int plan, std::FILE* file, DestinationPacket* packet) {
  destination::MessageFilePlan guide;
  destination::DestinationListPlan list;
  destination::GuidePlan& reader =
      plan == 1 ? static_cast<destination::GuidePlan&>(guide) : list;
  return reader.ReadPacket(file, packet);
}

int ParseRawText(int plan, unsigned code_page, const std::uint16_t* text,
                 int length, DestinationPacket* packet) {
  destination::MessageFilePlan guide;
  destination::DestinationListPlan list;
  destination::GuidePlan& parser =
      plan == 1 ? static_cast<destination::GuidePlan&>(guide) : list;
  return destination::ParseRawMessageInCodePage(parser, code_page, text,
                                                length, packet);
}

int SplitFields(char* text, int length, const char* fields[kMaxFields]) {
  return destination::SplitFields(text, length, fields);
}

int FramedText(int plan, const char* bytes, std::size_t size,
               std::size_t* offset, std::size_t* length) {
  return destination::FramedText(plan, bytes, size, offset, length);
}

std::uint32_t BodyLength(const unsigned char bytes[4]) {
  static_assert(destination::kBodyLengthSize == 4);
  return destination::BodyLength(bytes);
}

std::int32_t DecimalDegreesToUnits(const char* field) {
  return destination::DecimalDegreesToUnits(field);
}

std::int32_t DegreesMinutesToUnits(const char* field, int width) {
  return destination::DegreesMinutesToUnits(field, width);
}

int RouteModeFromWord(const char* field) {
  return destination::RouteModeFromWord(field);
}

int ReadIntSaturated(const char* text) {
  return destination::ReadIntSaturated(text);
}

}  // namespace vexa::tool_interface

#include "web_api.h"

#include <cstdio>
#include <cstring>

#include "destination/destination_list_plan.h"
#include "destination/message_file_plan.h"
#include "destination/raw_message.h"
#include "platform/platform.h"

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

}  // namespace

extern "C" {

int vexa_web_detect_plan(const unsigned char* bytes, int size) {
  return bytes != nullptr && size >= 4 && std::memcmp(bytes, "    ", 4) == 0 ? 2 : 1;
}

int vexa_web_read_file(int plan, const unsigned char* bytes, int size,
                       DestinationPacket* packet) {
  if (bytes == nullptr || size < 0) return VEXA_E_NO_FILE;
  return WithPlan(plan, [&](GuidePlan& reader) {
    // The plans read an open stream; a stream over the caller's bytes gives
    // them the file as the head unit's file system would.
    static unsigned char empty[1];
    std::FILE* file = fmemopen(size > 0 ? const_cast<unsigned char*>(bytes) : empty,
                               static_cast<std::size_t>(size), "rb");
    if (file == nullptr) return VEXA_E_NO_FILE;
    DestinationPacket working;
    const int result = reader.ReadPacket(file, &working);
    std::fclose(file);
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

int vexa_web_text_to_utf16(const char* text, uint16_t* out, int capacity) {
  if (text == nullptr || out == nullptr) return 0;
  return vexa::platform::CodePageToWide(vexa::platform::AnsiCodePage(), text,
                                        reinterpret_cast<char16_t*>(out), capacity);
}

}  // extern "C"

#include "destination/raw_message.h"

#include "platform/platform.h"

namespace vexa::destination {

int ParseRawMessage(GuidePlan& plan, const std::uint16_t* text, int length,
                    DestinationPacket* packet) {
  return ParseRawMessageInCodePage(plan, platform::AnsiCodePage(), text,
                                   length, packet);
}

int ParseRawMessageInCodePage(GuidePlan& plan, unsigned code_page,
                              const std::uint16_t* text, int length,
                              DestinationPacket* packet) {
  if (text == nullptr || length < 0) return VEXA_E_NO_TEXT;

  // Two bytes per unit; an odd last byte is ignored.
  const int units = length / 2;
  char converted[kMaxTextLength + 1];
  int bytes = 0;
  if (units > 0) {
    // uint16_t and char16_t have the same size and representation; the
    // units are only read by the conversion.
    bytes = platform::WideToCodePage(code_page,
                                     reinterpret_cast<const char16_t*>(text),
                                     units, converted, kMaxTextLength);
  }
  if (bytes <= 0 || bytes > kMaxTextLength) return VEXA_E_NO_TEXT;
  converted[bytes] = '\0';
  return plan.ParseText(converted, bytes, packet);
}

}  // namespace vexa::destination

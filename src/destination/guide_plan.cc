#include "destination/guide_plan.h"

#include <cstring>

namespace vexa::destination {

int SplitFields(char* text, int length, const char* fields[kMaxFields]) {
  int count = 0;
  int start = 0;
  for (int j = 0; j < length; ++j) {
    // Once the list is full, the remaining commas are left in the text.
    if (text[j] == ',' && count < kMaxFields) {
      fields[count++] = text + start;
      text[j] = '\0';
      start = j + 1;
    }
  }
  // The last field counts only when the last byte is text: a trailing comma
  // was just overwritten with NUL, and a counted NUL ends the text as well.
  if (length > 0 && text[length - 1] != '\0' && count < kMaxFields) {
    fields[count++] = text + start;
  }
  return count;
}

int GuidePlan::ParseText(char* text, int length, DestinationPacket* packet) {
  const char* fields[kMaxFields];
  const int count = SplitFields(text, length, fields);
  std::memset(packet, 0, sizeof *packet);
  return ParseFields(fields, count, packet);
}

}  // namespace vexa::destination

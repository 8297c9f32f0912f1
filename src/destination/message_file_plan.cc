#include "destination/message_file_plan.h"

#include <cstdint>
#include <cstring>

#include "destination/file_framing.h"
#include "destination/protocol_fields.h"

namespace vexa::destination {

namespace {

constexpr int kMaxViaPoints = 2;
// Field positions of the guide message.
constexpr int kFieldRoute = 2;
constexpr int kFieldLatitude = 3;
constexpr int kFieldLongitude = 4;
constexpr int kFieldViaHeader = 5;
constexpr int kFieldFirstVia = 6;

void WritePoint(DestinationEntry* entry, std::int32_t latitude,
                std::int32_t longitude, int mode) {
  entry->longitude = longitude;
  entry->latitude = latitude;
  entry->routeMode = mode;  // the name stays as zero-filled: empty
}

}  // namespace

int MessageFilePlan::ReadPacket(std::FILE* file, DestinationPacket* packet) {
  unsigned char length_bytes[kBodyLengthSize] = {0, 0, 0, 0};
  if (std::fread(length_bytes, sizeof length_bytes, 1, file) != 1) {
    return VEXA_E_MSG_NO_LENGTH;
  }
  const std::uint32_t length = BodyLength(length_bytes);
  if (const int code = CheckBodyLength(length)) return code;
  char body[kMaxTextLength + 1];
  if (std::fread(body, 1, length, file) < length) return VEXA_E_MSG_SHORT_BODY;
  body[length] = '\0';
  return ParseText(body, static_cast<int>(length), packet);
}

int MessageFilePlan::ParseFields(const char* const* fields, int count,
                                 DestinationPacket* packet) {
  if (count < 5) return VEXA_E_MSG_FEW_FIELDS;
  if (std::strcmp(fields[0], "(TNC") != 0) return VEXA_E_MSG_NO_TNC;
  if (std::strcmp(fields[1], "002") != 0) return VEXA_E_MSG_NO_002;

  // Only the first character counts; "1x" reads as '1'.
  const int mode = RouteModeFromDigit(fields[kFieldRoute][0]);
  if (mode == -1) return VEXA_E_MSG_BAD_ROUTE;

  const std::int32_t latitude = DegreesMinutesToUnits(fields[kFieldLatitude], 2);
  const std::int32_t longitude = DegreesMinutesToUnits(fields[kFieldLongitude], 3);
  if (latitude == 0 || longitude == 0) return VEXA_E_MSG_BAD_DEST;

  int vias = 0;
  if (count > kFieldViaHeader && fields[kFieldViaHeader][0] == 'B') {
    // Saturating, so a count with more digits than an int holds is out of
    // range rather than wrapped into it.
    vias = ReadIntSaturated(fields[kFieldViaHeader] + 1);
    if (vias < 0 || vias > kMaxViaPoints) return VEXA_E_MSG_BAD_COUNT;
    if (count - kFieldFirstVia < 2 * vias) return VEXA_E_MSG_FEW_VIAS;
    for (int i = 0; i < vias; ++i) {
      const std::int32_t via_latitude =
          DegreesMinutesToUnits(fields[kFieldFirstVia + 2 * i], 2);
      const std::int32_t via_longitude =
          DegreesMinutesToUnits(fields[kFieldFirstVia + 2 * i + 1], 3);
      if (via_latitude == 0 || via_longitude == 0) return VEXA_E_MSG_BAD_VIA;
      WritePoint(&packet->entries[i], via_latitude, via_longitude, mode);
    }
  }
  // Fields behind the last via point, or behind a field 5 that is no via
  // header, are ignored.
  WritePoint(&packet->entries[vias], latitude, longitude, mode);
  packet->kind = GuideMessage;
  packet->pointCount = static_cast<std::uint32_t>(vias + 1);
  return 0;
}

}  // namespace vexa::destination

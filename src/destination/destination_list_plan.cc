#include "destination/destination_list_plan.h"

#include <cstdint>
#include <cstring>

#include "destination/file_framing.h"
#include "destination/protocol_fields.h"

namespace vexa::destination {

namespace {

constexpr int kFieldsPerGroup = 4;

}  // namespace

int DestinationListPlan::ReadPacket(std::FILE* file, DestinationPacket* packet) {
  // There is no length field: the file's size delimits the list.
  if (std::fseek(file, 0, SEEK_END) != 0) return VEXA_E_LIST_SEEK;
  const long size = std::ftell(file);
  // ftell reports failure as -1; no other negative size can be trusted
  // either, and it must never reach fread as a count.
  if (size < 0) return VEXA_E_LIST_TELL;
  if (std::fseek(file, 0, SEEK_SET) != 0) return VEXA_E_LIST_SEEK;
  const std::size_t wanted = static_cast<std::size_t>(size);
  if (const int code = CheckListSize(wanted)) return code;

  char text[kMaxTextLength + 1];
  if (std::fread(text, 1, wanted, file) < wanted) return VEXA_E_LIST_SHORT_READ;
  if (const int code = CheckListLeader(text, wanted)) return code;
  text[wanted] = '\0';
  return ParseText(text + kListLeaderSize,
                   static_cast<int>(wanted - kListLeaderSize), packet);
}

int DestinationListPlan::ParseFields(const char* const* fields, int count,
                                     DestinationPacket* packet) {
  if (count < 1 || std::strcmp(fields[0], "(TNC") != 0) {
    return VEXA_E_LIST_NO_TNC;
  }
  int remaining = count - 1;
  int written = 0;
  const char* const* group = fields + 1;
  while (remaining >= kFieldsPerGroup && written < VEXA_MAX_POINTS) {
    const int mode = RouteModeFromWord(group[3]);
    if (mode == -1) return VEXA_E_LIST_BAD_ROUTE;
    const std::int32_t longitude = DecimalDegreesToUnits(group[0]);
    const std::int32_t latitude = DecimalDegreesToUnits(group[1]);
    if (longitude == 0 || latitude == 0) return VEXA_E_LIST_BAD_COORD;

    DestinationEntry& entry = packet->entries[written];
    entry.longitude = longitude;
    entry.latitude = latitude;
    entry.routeMode = mode;
    // The packet is zero-filled, so the byte behind the copied text already
    // terminates the name; a long name is cut, even inside a GBK character.
    std::strncpy(entry.name, group[2], kNameTextMax);

    remaining -= kFieldsPerGroup;
    ++written;
    group += kFieldsPerGroup;
  }
  packet->kind = DestinationList;
  packet->pointCount = static_cast<std::uint32_t>(written);
  return 0;
}

}  // namespace vexa::destination

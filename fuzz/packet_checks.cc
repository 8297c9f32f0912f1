#include "packet_checks.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vexa::fuzz {

namespace {

bool AllZero(const void* bytes, std::size_t size) {
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  for (std::size_t i = 0; i < size; ++i) {
    if (p[i] != 0) return false;
  }
  return true;
}

}  // namespace

void Fail(const char* what) {
  std::fprintf(stderr, "invariant violated: %s\n", what);
  std::fflush(stderr);
  std::abort();
}

void CheckFilledPacket(const DestinationPacket& packet, PacketKind kind) {
  Check(packet.kind == static_cast<uint32_t>(kind), "packet kind");
  if (kind == GuideMessage) {
    Check(packet.pointCount >= 1 && packet.pointCount <= 3,
          "guide message point count outside 1..3");
  } else {
    Check(packet.pointCount <= VEXA_MAX_POINTS,
          "destination list point count outside 0..5");
  }
  for (uint32_t i = 0; i < VEXA_MAX_POINTS; ++i) {
    const DestinationEntry& entry = packet.entries[i];
    if (i >= packet.pointCount) {
      Check(AllZero(&entry, sizeof entry), "non-zero byte behind the valid entries");
      continue;
    }
    Check(entry.longitude != 0 && entry.latitude != 0, "valid entry without a coordinate");
    Check(entry.routeMode >= Recommended && entry.routeMode <= Economical,
          "route mode outside 0..3");
    const void* end = std::memchr(entry.name, '\0', sizeof entry.name);
    Check(end != nullptr, "name without a terminator");
    const std::size_t length =
        static_cast<std::size_t>(static_cast<const char*>(end) - entry.name);
    Check(AllZero(entry.name + length, sizeof entry.name - length),
          "non-zero byte behind a name's terminator");
    if (kind == GuideMessage) {
      Check(length == 0, "guide message point with a name");
      Check(entry.routeMode == packet.entries[0].routeMode,
            "guide message points with different route modes");
    }
  }
}

bool IsParseResult(int result, PacketKind kind) {
  if (result == 0) return true;
  if (kind == GuideMessage) {
    return result <= VEXA_E_MSG_FEW_FIELDS && result >= VEXA_E_MSG_BAD_VIA;
  }
  return result <= VEXA_E_LIST_NO_TNC && result >= VEXA_E_LIST_BAD_COORD;
}

}  // namespace vexa::fuzz

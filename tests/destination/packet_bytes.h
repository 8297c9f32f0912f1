// Helpers shared by the destination tests: packets as bytes, GBK route
// words, UTF-16 text and the worked guide message.

#ifndef VEXA_TESTS_DESTINATION_PACKET_BYTES_H_
#define VEXA_TESTS_DESTINATION_PACKET_BYTES_H_

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "vexa/vexa.h"

namespace vexa::test {

inline const std::string kRecommendedGbk = "\xCD\xC6\xBC\xF6";
inline const std::string kFastestGbk = "\xD7\xEE\xBF\xEC";

inline std::vector<std::uint8_t> Bytes(const DestinationPacket& packet,
                                       std::size_t count = sizeof(DestinationPacket)) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&packet);
  return std::vector<std::uint8_t>(p, p + count);
}

inline bool AllZero(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    if (p[i] != 0) return false;
  }
  return true;
}

// True when every byte of entries `from` to 4 is zero.
inline bool EntriesZeroFrom(const DestinationPacket& packet, std::uint32_t from) {
  return AllZero(&packet.entries[from],
                 sizeof(DestinationEntry) * (VEXA_MAX_POINTS - from));
}

inline DestinationPacket FilledPacket(unsigned char byte) {
  DestinationPacket packet;
  std::memset(&packet, byte, sizeof packet);
  return packet;
}

inline std::u16string Utf16(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

inline const std::string kGuideMessage =
    "(TNC,002,1,3954.5000,11623.2000,B1,3950.2500,11620.1000";

// Every field of the worked guide message's packet.
inline bool IsWorkedGuidePacket(const DestinationPacket& p) {
  const std::vector<std::uint8_t> head = {
      0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x9C,
      0xE7, 0x3F, 0x00, 0x26, 0xE2, 0x15, 0x01, 0x00, 0x00, 0x00};
  const DestinationEntry& via = p.entries[0];
  const DestinationEntry& dest = p.entries[1];
  return Bytes(p, 20) == head && p.kind == GuideMessage && p.pointCount == 2 &&
         via.longitude == 1072143360 && via.latitude == 367142400 &&
         via.routeMode == Fastest && AllZero(via.name, VEXA_NAME_SIZE) &&
         dest.longitude == 1072619520 && dest.latitude == 367795200 &&
         dest.routeMode == Fastest && AllZero(dest.name, VEXA_NAME_SIZE) &&
         EntriesZeroFrom(p, 2);
}

}  // namespace vexa::test

#endif  // VEXA_TESTS_DESTINATION_PACKET_BYTES_H_

// The destination packet as the library's binary interface: the types are
// declared in the public header; this file pins their layout. C callers
// read the packet by offset, so any change of size or offset must fail to
// compile rather than reach a head unit.

#ifndef VEXA_SRC_DESTINATION_DESTINATION_PACKET_H_
#define VEXA_SRC_DESTINATION_DESTINATION_PACKET_H_

#include <cstddef>
#include <type_traits>

#include "vexa/vexa.h"

namespace vexa::destination {

static_assert(std::is_standard_layout_v<DestinationEntry> &&
                  std::is_trivially_copyable_v<DestinationEntry>,
              "DestinationEntry must be plain C layout");
static_assert(std::is_standard_layout_v<DestinationPacket> &&
                  std::is_trivially_copyable_v<DestinationPacket>,
              "DestinationPacket must be plain C layout");

static_assert(sizeof(DestinationEntry) == VEXA_ENTRY_SIZE);
static_assert(sizeof(DestinationEntry) == 112);
static_assert(offsetof(DestinationEntry, longitude) == 0);
static_assert(offsetof(DestinationEntry, latitude) == 4);
static_assert(offsetof(DestinationEntry, routeMode) == 8);
static_assert(offsetof(DestinationEntry, name) == 12);
static_assert(sizeof(DestinationEntry::name) == 100);
static_assert(sizeof(DestinationEntry::longitude) == 4 &&
              sizeof(DestinationEntry::latitude) == 4 &&
              sizeof(DestinationEntry::routeMode) == 4);

static_assert(sizeof(DestinationPacket) == VEXA_PACKET_SIZE);
static_assert(sizeof(DestinationPacket) == 568);
static_assert(alignof(DestinationPacket) == 4);
static_assert(offsetof(DestinationPacket, kind) == 0);
static_assert(offsetof(DestinationPacket, pointCount) == 4);
static_assert(offsetof(DestinationPacket, entries) == 8);
static_assert(sizeof(DestinationPacket::kind) == 4 &&
              sizeof(DestinationPacket::pointCount) == 4);
static_assert(sizeof(DestinationPacket::entries) == 5 * 112);
// Entry i starts at 8 + 112 * i: 8, 120, 232, 344, 456.
static_assert(offsetof(DestinationPacket, entries) +
                  4 * sizeof(DestinationEntry) == 456);
static_assert(offsetof(DestinationPacket, entries) +
                  offsetof(DestinationEntry, name) == 20);

static_assert(GuideMessage == 0 && DestinationList == 1);
static_assert(Recommended == 0 && Fastest == 1 && Shortest == 2 &&
              Economical == 3);

// Most text a name holds; the byte behind it is always the terminator.
constexpr std::size_t kNameTextMax = VEXA_NAME_SIZE - 1;

}  // namespace vexa::destination

#endif  // VEXA_SRC_DESTINATION_DESTINATION_PACKET_H_

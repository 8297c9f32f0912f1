// A readable view of a DestinationPacket: the valid points in packet order
// with their role, coordinates in degrees and in packet units, the route
// preference by name and the name decoded from the code page. Every output
// format of the tool is built from this view, so they cannot disagree.

#ifndef VEXA_TOOLS_VEXA_DESTINATION_PACKET_VIEW_H_
#define VEXA_TOOLS_VEXA_DESTINATION_PACKET_VIEW_H_

#include <cstdint>
#include <string>
#include <vector>

#include "vexa/vexa.h"

namespace vexa::tool {

struct PointView {
  int order = 0;               // 1-based position in the packet
  std::string role;            // "via" or "destination"
  std::int32_t latitude_units = 0;
  std::int32_t longitude_units = 0;
  double latitude = 0;         // degrees, rounded to 7 decimals (one unit
  double longitude = 0;        // is about 1.1e-7 degrees)
  int route_mode = 0;
  std::string route;           // "recommended", "fastest", ...
  std::string name_bytes;      // as stored, in the code page
};

// The valid entries of `packet`. A guide message's entries are via points
// followed by the destination; a destination list holds destinations only.
// A pointCount above 5 (never written by the library) is clamped.
std::vector<PointView> ViewPoints(const DestinationPacket& packet);

// "recommended", "fastest", "shortest", "economical", or "mode N".
std::string RouteName(int mode);

// "guide message" or "destination list" (or "kind N").
std::string KindName(std::uint32_t kind);

// "GuideMessage" or "DestinationList" (or "kind N"), as in the header.
std::string KindIdentifier(std::uint32_t kind);

// Units to degrees, rounded to 7 decimals.
double UnitsToDegrees(std::int32_t units);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_DESTINATION_PACKET_VIEW_H_

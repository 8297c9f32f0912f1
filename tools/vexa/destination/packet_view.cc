// Readable view of a destination packet (see packet_view.h).

#include "destination/packet_view.h"

#include <cmath>
#include <cstring>

namespace vexa::tool {

double UnitsToDegrees(std::int32_t units) {
  const double degrees = static_cast<double>(units) / VEXA_UNITS_PER_DEGREE;
  return std::round(degrees * 1e7) / 1e7;
}

std::string RouteName(int mode) {
  switch (mode) {
    case Recommended: return "recommended";
    case Fastest: return "fastest";
    case Shortest: return "shortest";
    case Economical: return "economical";
    default: return "mode " + std::to_string(mode);
  }
}

std::string KindName(std::uint32_t kind) {
  if (kind == GuideMessage) return "guide message";
  if (kind == DestinationList) return "destination list";
  return "kind " + std::to_string(kind);
}

std::string KindIdentifier(std::uint32_t kind) {
  if (kind == GuideMessage) return "GuideMessage";
  if (kind == DestinationList) return "DestinationList";
  return "kind " + std::to_string(kind);
}

std::vector<PointView> ViewPoints(const DestinationPacket& packet) {
  std::vector<PointView> points;
  const std::uint32_t count =
      packet.pointCount > VEXA_MAX_POINTS ? VEXA_MAX_POINTS : packet.pointCount;
  for (std::uint32_t i = 0; i < count; ++i) {
    const DestinationEntry& entry = packet.entries[i];
    PointView point;
    point.order = static_cast<int>(i) + 1;
    const bool last = i + 1 == count;
    point.role = (packet.kind == GuideMessage && !last) ? "via" : "destination";
    point.latitude_units = entry.latitude;
    point.longitude_units = entry.longitude;
    point.latitude = UnitsToDegrees(entry.latitude);
    point.longitude = UnitsToDegrees(entry.longitude);
    point.route_mode = entry.routeMode;
    point.route = RouteName(entry.routeMode);
    point.name_bytes.assign(entry.name,
                            strnlen(entry.name, sizeof entry.name));
    points.push_back(point);
  }
  return points;
}

}  // namespace vexa::tool

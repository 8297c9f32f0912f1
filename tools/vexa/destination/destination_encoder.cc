// Building destination files (see destination_encoder.h).

#include "destination/destination_encoder.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "destination/packet_view.h"
#include "text/text_codec.h"
#include "tool_interface/destination_access.h"

namespace vexa::tool {
namespace {

namespace dst = vexa::tool_interface;

// The longest name the packet stores (its 100-byte field keeps a NUL).
constexpr std::size_t kMaxNameBytes = VEXA_NAME_SIZE - 1;

// The route words of a destination list, by RouteMode.
const char* const kRouteWords[] = {"推荐", "最快", "最短", "经济"};

// The guide message's preference digit for each RouteMode. The digits do
// not follow the mode numbers: '2' is economical and '4' shortest.
const char kRouteDigits[] = {'0', '1', '4', '2'};

std::int32_t ToUnits(double degrees) {
  return static_cast<std::int32_t>(
      std::llround(degrees * VEXA_UNITS_PER_DEGREE));
}

// The middle of the field values that the library converts to `units`, in
// units: it adds one half and truncates toward zero, so a positive value u
// comes from [u - 0.5, u + 0.5) and a negative one from (u - 1.5, u - 0.5].
double MiddleOf(std::int32_t units) {
  return units >= 0 ? units : units - 1.0;
}

// The shortest field `prefix` + a number of p decimals (p = 0, 1, ...) that
// `convert`, the library's own conversion, turns into `units`. The numbers
// tried lie next to `middle` (in the number's own scale) and must be below
// `below`. `width` pads the number with zeros to that many characters
// before its decimals. Seven decimals of a degree are finer than a unit, so
// the search ends long before its last round.
template <class Convert>
std::string ShortestField(const std::string& prefix, double middle,
                          double below, int width, std::int32_t units,
                          Convert convert) {
  std::string field;
  for (int decimals = 0; decimals <= 12; ++decimals) {
    const double scale = std::pow(10.0, decimals);
    for (double step : {std::nearbyint(middle * scale),
                        std::floor(middle * scale),
                        std::ceil(middle * scale)}) {
      const double number = step / scale;
      if (number >= below) continue;
      char text[48];
      std::snprintf(text, sizeof text, "%0*.*f",
                    width + (decimals > 0 ? decimals + 1 : 0), decimals,
                    number);
      field = prefix + text;
      if (convert(field.c_str()) == units) return field;
    }
  }
  return field;  // CheckDecoded reports the difference
}

// Degrees and minutes with `width` degree digits and a minute's decimals
// ("3954.5"). A negative value keeps zero degrees and puts the sign on the
// minutes ("00-2394.5"): the library scans the degrees with a width that
// would take the sign as one of the digits, but reads the minutes as a
// signed number, so this is the form it converts correctly.
std::string DegreesMinutes(double value, int width) {
  const std::int32_t units = ToUnits(value);
  auto convert = [width](const char* field) {
    return dst::DegreesMinutesToUnits(field, width);
  };
  constexpr double kUnitsPerMinute = VEXA_UNITS_PER_DEGREE / 60.0;
  if (units < 0) {
    return ShortestField(std::string(static_cast<std::size_t>(width), '0'),
                         MiddleOf(units) / kUnitsPerMinute, 0, 0, units,
                         convert);
  }
  const std::int32_t degrees = units / VEXA_UNITS_PER_DEGREE;
  char prefix[8];
  std::snprintf(prefix, sizeof prefix, "%0*d", width, degrees);
  return ShortestField(prefix,
                       MiddleOf(units) / kUnitsPerMinute - degrees * 60.0,
                       60, 2, units, convert);
}

// Decimal degrees, as few decimals as the library needs for the units.
std::string DecimalDegrees(double value) {
  const std::int32_t units = ToUnits(value);
  return ShortestField("", MiddleOf(units) / VEXA_UNITS_PER_DEGREE, 1e9, 0,
                       units, dst::DecimalDegreesToUnits);
}

std::string Describe(double value) {
  char text[48];
  std::snprintf(text, sizeof text, "%.7g", value);
  return text;
}

bool CheckRange(const EncodePoint& point, std::string* error) {
  if (!std::isfinite(point.latitude) || !std::isfinite(point.longitude)) {
    *error = point.origin + ": " + Describe(point.latitude) + "," +
             Describe(point.longitude) + " is not a finite coordinate";
    return false;
  }
  if (point.latitude < -90 ||
      point.latitude > 90) {
    *error = point.origin + ": latitude " + Describe(point.latitude) +
             " is outside -90 to 90";
    return false;
  }
  if (point.longitude < -180 ||
      point.longitude > 180) {
    *error = point.origin + ": longitude " + Describe(point.longitude) +
             " is outside -180 to 180";
    return false;
  }
  return true;
}

// The library reads a coordinate of 0 units as "no coordinate" and rejects
// the whole text, so a point on the equator or the prime meridian (closer
// than the written notation can tell) cannot be sent. Converting the
// written field with the library's own function catches exactly those.
bool CheckNotZero(const EncodePoint& point, const char* what,
                  const std::string& field, std::int32_t units,
                  std::string* error) {
  if (units != 0) return true;
  *error = point.origin + ": " + what + " is written as '" + field +
           "', which the library reads as 'no coordinate' (a point on the "
           "equator or the prime meridian cannot be sent)";
  return false;
}

bool BuildGuideMessage(const EncodeRequest& request, EncodedFile* file,
                       std::string* error) {
  const int mode = request.routes.front();
  for (int other : request.routes) {
    if (other != mode) {
      *error = "a guide message carries one route preference for all its "
               "points; " + RouteName(other) + " and " + RouteName(mode) +
               " were given";
      return false;
    }
  }
  const auto& points = request.points;
  const std::size_t vias = points.size() - 1;
  const EncodePoint& destination = points.back();
  std::string text = "(TNC,002,";
  text += kRouteDigits[mode];
  auto add_point = [&](const EncodePoint& point) {
    const std::string lat = DegreesMinutes(point.latitude, 2);
    const std::string lon = DegreesMinutes(point.longitude, 3);
    const std::int32_t lat_units = dst::DegreesMinutesToUnits(lat.c_str(), 2);
    const std::int32_t lon_units = dst::DegreesMinutesToUnits(lon.c_str(), 3);
    if (!CheckNotZero(point, "the latitude", lat, lat_units, error) ||
        !CheckNotZero(point, "the longitude", lon, lon_units, error)) {
      return false;
    }
    text += "," + lat + "," + lon;
    return true;
  };
  if (!add_point(destination)) return false;
  if (vias > 0) {
    text += ",B" + std::to_string(vias);
    for (std::size_t i = 0; i < vias; ++i) {
      if (!add_point(points[i])) return false;
    }
  }
  if (text.size() > static_cast<std::size_t>(dst::kMaxTextLength)) {
    *error = "the guide message needs " + std::to_string(text.size()) +
             " bytes; at most 511 fit";
    return false;
  }
  const auto length = static_cast<std::uint32_t>(text.size());
  for (int i = 0; i < 4; ++i) {
    file->bytes.push_back(static_cast<char>((length >> (8 * i)) & 0xFF));
  }
  file->bytes += text;
  // The packet holds the via points first and the destination last: the
  // same order as the request.
  for (const EncodePoint& point : points) {
    file->expected.push_back(
        {ToUnits(point.latitude), ToUnits(point.longitude), mode, ""});
  }
  return true;
}

bool BuildDestinationList(const EncodeRequest& request, EncodedFile* file,
                          std::string* error) {
  std::string text = "(TNC";
  for (std::size_t i = 0; i < request.points.size(); ++i) {
    const EncodePoint& point = request.points[i];
    const int mode = request.routes[i];
    if (point.name.find(',') != std::string::npos) {
      *error = point.origin + ": the name '" + ShownText(point.name) +
               "' contains a comma, which would split the destination list "
               "(--replace-unmappable writes a full-width comma instead)";
      return false;
    }
    if (const std::string bad = FirstInvalidUtf8(point.name); !bad.empty()) {
      *error = point.origin + ": the name is not valid UTF-8 (" + bad + ")";
      return false;
    }
    std::string name;
    bool cut = false;
    if (!Utf8ToCodePageCut(point.name, kMaxNameBytes, &name, &cut)) {
      *error = point.origin + ": the name '" + ShownText(point.name) +
               "' holds a character that code page " +
               std::to_string(DestinationCodePage()) +
               " cannot represent (--replace-unmappable writes '?' "
               "instead, --replace-unmappable=transliterate ae for \xC3\xA4 "
               "and the like)";
      return false;
    }
    if (cut) {
      file->notes.push_back(point.origin + ": name cut to " +
                            std::to_string(name.size()) + " bytes ('" +
                            DisplayText(name) + "')");
    }
    std::string word;
    if (!Utf8ToCodePage(kRouteWords[mode], &word) ||
        dst::RouteModeFromWord(word.c_str()) != mode) {
      *error = "the route word " + std::string(kRouteWords[mode]) +
               " in code page " + std::to_string(DestinationCodePage()) +
               " is not the word the library compares (GBK, code page 936)";
      return false;
    }
    const std::string lon = DecimalDegrees(point.longitude);
    const std::string lat = DecimalDegrees(point.latitude);
    if (!CheckNotZero(point, "the longitude", lon,
                      dst::DecimalDegreesToUnits(lon.c_str()), error) ||
        !CheckNotZero(point, "the latitude", lat,
                      dst::DecimalDegreesToUnits(lat.c_str()), error)) {
      return false;
    }
    text += "," + lon + "," + lat + "," + name + "," + word;
    file->expected.push_back(
        {ToUnits(point.latitude), ToUnits(point.longitude), mode, name});
  }
  // The whole file, four spaces included, must fit the library's buffer.
  const std::size_t size = 4 + text.size();
  if (size > static_cast<std::size_t>(dst::kMaxTextLength)) {
    *error = "the destination list file needs " + std::to_string(size) +
             " bytes; at most 511 fit (use fewer points or shorter names)";
    return false;
  }
  file->bytes = "    " + text;
  return true;
}

}  // namespace

int RouteModeFromName(const std::string& name) {
  std::string lower;
  for (char c : name) {
    lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  static const char* const kNames[] = {"recommended", "fastest", "shortest",
                                       "economical"};
  for (int mode = 0; mode < 4; ++mode) {
    if (lower == kNames[mode] || name == kRouteWords[mode]) return mode;
  }
  return -1;
}

int MaxPoints(int plan) { return plan == 1 ? 3 : VEXA_MAX_POINTS; }

bool BuildDestinationFile(const EncodeRequest& request, EncodedFile* file,
                          std::string* error) {
  *file = EncodedFile();
  if (request.plan != 1 && request.plan != 2) {
    *error = "the plan must be 1 or 2";
    return false;
  }
  const int count = static_cast<int>(request.points.size());
  if (count > MaxPoints(request.plan)) {
    *error =
        std::to_string(count) + " points given; " +
        (request.plan == 1
             ? std::string("a guide message (plan 1) carries at most 3: "
                           "two via points and the destination")
             : std::string("a destination list (plan 2) carries at most 5"));
    return false;
  }
  if (count == 0) {
    *error = request.plan == 1
                 ? "a guide message (plan 1) needs a destination: give at "
                   "least one point"
                 : "a destination list (plan 2) needs at least one "
                   "destination: give at least one point";
    return false;
  }
  if (request.routes.size() != request.points.size()) {
    *error = "one route preference per point is needed";
    return false;
  }
  for (const EncodePoint& point : request.points) {
    if (!CheckRange(point, error)) return false;
  }
  return request.plan == 1 ? BuildGuideMessage(request, file, error)
                           : BuildDestinationList(request, file, error);
}

bool CheckDecoded(const EncodeRequest& request, const EncodedFile& file,
                  int result, const DestinationPacket& packet,
                  std::string* error) {
  if (result != 0) {
    *error = "the library does not read the file back (result " +
             std::to_string(result) + ")";
    return false;
  }
  const std::uint32_t kind = request.plan == 1 ? GuideMessage : DestinationList;
  if (packet.kind != kind || packet.pointCount != file.expected.size()) {
    *error = "the library reads back kind " + std::to_string(packet.kind) +
             " with " + std::to_string(packet.pointCount) + " points";
    return false;
  }
  for (std::size_t i = 0; i < file.expected.size(); ++i) {
    const auto& want = file.expected[i];
    const DestinationEntry& got = packet.entries[i];
    const std::string where = request.points[i].origin;
    if (got.latitude != want.latitude_units ||
        got.longitude != want.longitude_units) {
      *error = where + ": the library reads back " +
               std::to_string(got.latitude) + ", " +
               std::to_string(got.longitude) + " units instead of " +
               std::to_string(want.latitude_units) + ", " +
               std::to_string(want.longitude_units);
      return false;
    }
    if (got.routeMode != want.route_mode) {
      *error = where + ": the library reads back route mode " +
               std::to_string(got.routeMode);
      return false;
    }
    const std::string name(got.name, strnlen(got.name, sizeof got.name));
    if (name != want.name_bytes) {
      *error = where + ": the library reads back the name '" +
               DisplayText(name) + "'";
      return false;
    }
  }
  return true;
}

}  // namespace vexa::tool

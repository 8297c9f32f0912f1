// Fuzzes encode as a whole, from an interchange file of any format (told by
// its content) to the bytes of a destination file, and checks that the
// library reads every file the encoder accepts as the points meant. The
// first input byte chooses as the user would: bit 0 the plan (1 or 2), bit
// 1 --gpx-waypoints, bit 2 --replace-unmappable; more points than the plan
// carries are cut as --first does.
//
// The points meant are checked against the packet the library fills,
// independently of the encoder's own comparison: each coordinate within
// half a unit of the degrees read, each name the start of the name read
// (cut on a character boundary) or the whole of it.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "destination/destination_encoder.h"
#include "destination/name_fitting.h"
#include "formats/interchange_reader.h"
#include "packet_checks.h"
#include "support/faulty_stream.h"
#include "text/text_codec.h"
#include "tool_interface/destination_access.h"

namespace {

using vexa::fuzz::Check;
using namespace vexa::tool;

void CheckNear(std::int32_t units, double degrees, const char* what) {
  Check(std::fabs(units - degrees * VEXA_UNITS_PER_DEGREE) <= 0.5 + 1e-6, what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 1 << 16) return 0;
  const std::uint8_t control = data[0];
  const int plan = (control & 1) != 0 ? 1 : 2;
  ImportChoice choice;
  choice.plan = plan;
  choice.gpx.waypoints = (control & 2) != 0;
  std::vector<EncodePoint> points;
  std::vector<std::string> notes;
  std::string error;
  if (!ReadInterchange(
          std::string_view(reinterpret_cast<const char*>(data + 1), size - 1),
          "'input'", choice, &points, &notes, &error)) {
    return 0;
  }
  EncodeRequest request;
  request.plan = plan;
  if (points.size() > static_cast<std::size_t>(MaxPoints(plan))) {
    points.resize(static_cast<std::size_t>(MaxPoints(plan)));
  }
  for (EncodePoint& point : points) {
    if (plan == 1) {
      point.name.clear();
    } else if ((control & 4) != 0) {
      std::string fitted;
      FitName(point.name, &fitted);
      point.name = fitted;
    }
    const int route = plan == 1 ? points.front().route : point.route;
    request.routes.push_back(route >= 0 ? route : Recommended);
  }
  request.points = points;
  EncodedFile file;
  if (!BuildDestinationFile(request, &file, &error)) return 0;

  std::FILE* stream = vexa::test::OpenFaultyStream(file.bytes);
  if (stream == nullptr) return 0;
  DestinationPacket packet{};
  const int result =
      vexa::tool_interface::ReadDestinationFile(plan, stream, &packet);
  std::fclose(stream);
  if (!CheckDecoded(request, file, result, packet, &error)) {
    std::fprintf(stderr, "encoded file not read as meant: %s\n", error.c_str());
    Check(false, "the library reads an accepted file as meant");
  }
  Check(packet.pointCount == request.points.size(), "every point read back");
  for (std::size_t i = 0; i < request.points.size(); ++i) {
    const EncodePoint& meant = request.points[i];
    const DestinationEntry& got = packet.entries[i];
    CheckNear(got.latitude, meant.latitude, "latitude within half a unit");
    CheckNear(got.longitude, meant.longitude, "longitude within half a unit");
    Check(got.routeMode == request.routes[i], "the route meant");
    bool exact = false;
    const std::string name =
        CodePageToUtf8(std::string(got.name, strnlen(got.name, sizeof got.name)),
                       &exact);
    Check(exact && meant.name.compare(0, name.size(), name) == 0,
          "the name meant, or its start where it was cut");
    Check(name.size() == meant.name.size() || !file.notes.empty(),
          "a name cut is noted");
  }
  return 0;
}

// Builds destination files: a guide message file (plan 1: 4-byte length,
// degrees and minutes, one route digit) or a destination list (plan 2: four
// spaces, decimal degrees, names and route words in the code page). Every
// refusal happens here, before anything is written: too many points, a
// coordinate out of range or one the library would read as "none", a name
// with a comma or with a character the code page lacks, a text too long for
// the library's 511-byte buffer. CheckDecoded then compares what the
// library read back from the written bytes with what was meant.

#ifndef VEXA_TOOLS_VEXA_DESTINATION_DESTINATION_ENCODER_H_
#define VEXA_TOOLS_VEXA_DESTINATION_DESTINATION_ENCODER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "vexa/vexa.h"

namespace vexa::tool {

struct EncodePoint {
  double latitude = 0;   // decimal degrees
  double longitude = 0;
  std::string name;      // UTF-8; plan 2 only
  std::string origin;    // where it came from, for messages ("point 2")
  int route = -1;        // a RouteMode the input file gave; -1 none
};

struct EncodeRequest {
  int plan = 0;                   // 1 or 2
  std::vector<EncodePoint> points;  // in travel order; plan 1: the last one
                                    // is the destination, the others via
  std::vector<int> routes;        // a RouteMode per point
};

struct EncodedFile {
  std::string bytes;               // the whole file
  std::vector<std::string> notes;  // e.g. names that were cut
  // What the library must read back, entry by entry.
  struct Expected {
    std::int32_t latitude_units;
    std::int32_t longitude_units;
    int route_mode;
    std::string name_bytes;
  };
  // Every coordinate is written so that the library reads exactly the
  // units of the degrees given, so the comparison allows no difference.
  std::vector<Expected> expected;
};

// The RouteMode of a preference given by name: recommended, fastest,
// shortest, economical (any case) or the route words 推荐, 最快, 最短, 经济.
// -1 for anything else.
int RouteModeFromName(const std::string& name);

// Most points a plan carries.
int MaxPoints(int plan);

// Builds the file for `request`. On refusal returns false with a message
// naming the point and the reason.
bool BuildDestinationFile(const EncodeRequest& request, EncodedFile* file,
                          std::string* error);

// Compares the library's reading of the file (its result and packet) with
// what BuildDestinationFile meant. False with a message on any difference.
bool CheckDecoded(const EncodeRequest& request, const EncodedFile& file,
                  int result, const DestinationPacket& packet,
                  std::string* error);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_DESTINATION_DESTINATION_ENCODER_H_

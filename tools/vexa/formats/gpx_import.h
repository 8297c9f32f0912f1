// Points from a GPX file: one route's points, or else the waypoints, in
// file order, with their names and, where a <type> names one, their route
// preference. A track is a recording of a trip, not a list of
// destinations; only its end point can be used, and only when asked for.
// Whatever the file holds but is not used is named in a note. Element
// names are matched without a namespace prefix, so GPX 1.0 and 1.1 files
// (with or without a default namespace) read alike.

#ifndef VEXA_TOOLS_VEXA_FORMATS_GPX_IMPORT_H_
#define VEXA_TOOLS_VEXA_FORMATS_GPX_IMPORT_H_

#include <string>
#include <vector>

#include "destination/destination_encoder.h"

namespace vexa::tool {

struct GpxChoice {
  int route = 0;  // 1-based route to use; 0: the first that has points
  int track = 0;  // 1-based track whose end point is the destination
};

// Reads `path` ("-": standard input). On failure returns false with a
// message (file unreadable, not XML with its line and column, no <gpx>
// root, no points, a chosen route or track that is not there, a point
// without a valid lat/lon). `notes` says what was skipped.
bool ImportGpx(const std::string& path, const GpxChoice& choice,
               std::vector<EncodePoint>* points,
               std::vector<std::string>* notes, std::string* error);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_FORMATS_GPX_IMPORT_H_

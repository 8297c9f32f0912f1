// Points from a GPX file: the route points of the first route that has
// any, otherwise the waypoints, in file order, with their names. Element
// names are matched without a namespace prefix, so GPX 1.0 and 1.1 files
// (with or without a default namespace) read alike.

#ifndef VEXA_TOOLS_VEXA_GPX_IMPORT_H_
#define VEXA_TOOLS_VEXA_GPX_IMPORT_H_

#include <string>
#include <vector>

#include "destination_encoder.h"

namespace vexa::tool {

// Reads `path`. On failure returns false with a message (file unreadable,
// not XML, no <gpx> root, no points, a point without a valid lat/lon).
bool ImportGpx(const std::string& path, std::vector<EncodePoint>* points,
               std::string* error);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_GPX_IMPORT_H_

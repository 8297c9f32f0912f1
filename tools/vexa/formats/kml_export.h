// Decoded points as KML 2.2 for map programs: one Placemark per point in
// packet order, named by the point's name (an unnamed point has no name),
// with its role and route preference in the description. encode reads the
// file back (kml_import.cc) as the same points and names.

#ifndef VEXA_TOOLS_VEXA_FORMATS_KML_EXPORT_H_
#define VEXA_TOOLS_VEXA_FORMATS_KML_EXPORT_H_

#include <string>
#include <vector>

#include "destination/outcome.h"

namespace vexa::tool {

// The points of the successful outcomes as a KML document, each outcome a
// Folder named by its source. A character XML forbids becomes U+FFFD.
std::string KmlText(const std::vector<Outcome>& outcomes);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_FORMATS_KML_EXPORT_H_

// What kind of interchange file a user's input is, told from its first
// bytes, so that decode can say "this is a GPX file" and give the encode
// command instead of explaining why it is no destination file. Only a
// look: nothing here reads the points.

#ifndef VEXA_TOOLS_VEXA_DESTINATION_INTERCHANGE_KIND_H_
#define VEXA_TOOLS_VEXA_DESTINATION_INTERCHANGE_KIND_H_

#include <string>
#include <string_view>

namespace vexa::tool {

struct InterchangeKind {
  std::string name;    // "GPX", "KML", "GeoJSON", "CSV"; empty: none
  std::string option;  // encode's option that takes it: "--gpx"; empty for
                       // a zip archive, which encode does not open
};

// The kind of `head` (a file's first bytes): a GPX or KML document (XML
// whose root is <gpx> or <kml>), a GeoJSON object, a CSV file whose
// header names a latitude and a longitude column, or a zip archive (a
// KMZ). Empty for anything else,
// destination files included (they begin with four spaces or a length).
InterchangeKind KindOfInterchangeFile(std::string_view head);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_DESTINATION_INTERCHANGE_KIND_H_

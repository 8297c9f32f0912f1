// The one reader of interchange files for encode: the format from the
// content (an XML root <gpx> or <kml>, a JSON object, else CSV) unless the
// user names it, then the reader of that format. Each reader takes the
// file's bytes, so the fuzz harnesses drive them as encode does.
//
// Every reader returns the points in travel order with their names (UTF-8)
// and any route preference the file gives, or false with a message that
// names the input and the place (row and column, element, feature) and
// shows the value. `notes` say what the file held but was not used.

#ifndef VEXA_TOOLS_VEXA_FORMATS_INTERCHANGE_READER_H_
#define VEXA_TOOLS_VEXA_FORMATS_INTERCHANGE_READER_H_

#include <string>
#include <string_view>
#include <vector>

#include "destination/destination_encoder.h"
#include "formats/input_text.h"

namespace pugi {
class xml_node;
}  // namespace pugi

namespace vexa::tool {

enum class InputFormat { kAuto, kCsv, kGpx, kKml, kGeoJson };

struct GpxChoice {
  int route = 0;           // 1-based route to use; 0: the first with points
  int track = 0;           // 1-based track whose end point is the destination
  bool waypoints = false;  // the waypoints even when a route exists
};

struct ImportChoice {
  InputFormat format = InputFormat::kAuto;
  int plan = 2;  // a line (KML, GeoJSON) is a route only for a guide message
  GpxChoice gpx;
  InputEncoding encoding;  // as the user named it, or told by the bytes
};

// "CSV", "GPX", "KML", "GeoJSON" ("interchange" for kAuto).
const char* FormatName(InputFormat format);

// Reads `bytes` (the whole file, named `source` in messages) as
// `choice.format`, or as the format its content shows.
bool ReadInterchange(std::string_view bytes, const std::string& source,
                     const ImportChoice& choice,
                     std::vector<EncodePoint>* points,
                     std::vector<std::string>* notes, std::string* error);

// The readers, one per format (csv_import.cc, gpx_import.cc, ...).

// A header row naming latitude and longitude (and optionally name and
// route) under any of their usual names, in any order, separated by commas,
// semicolons or tabs; RFC 4180 quoting.
bool ReadCsv(std::string_view bytes, const std::string& source,
             std::vector<EncodePoint>* points,
             std::vector<std::string>* notes, std::string* error,
             const InputEncoding& encoding = {});

// One route's points, or else the waypoints; a track's end point only when
// asked for (a track is a recording of a trip, not a list of destinations).
bool ReadGpx(const pugi::xml_node& root, const std::string& source,
             const GpxChoice& choice, std::vector<EncodePoint>* points,
             std::vector<std::string>* notes, std::string* error);

// Placemarks with a Point, in document order; for a guide message without
// any, the points of the first LineString.
bool ReadKml(const pugi::xml_node& root, const std::string& source, int plan,
             std::vector<EncodePoint>* points,
             std::vector<std::string>* notes, std::string* error);

// A FeatureCollection, a Feature or a bare geometry: Point features, in
// order; for a guide message without any, the first LineString's points.
bool ReadGeoJson(std::string_view bytes, const std::string& source, int plan,
                 std::vector<EncodePoint>* points,
                 std::vector<std::string>* notes, std::string* error,
                 const InputEncoding& encoding = {});

// What a KML or GeoJSON file held, gathered by its reader.
struct Places {
  std::vector<EncodePoint> points;              // from Point geometries
  std::vector<std::vector<EncodePoint>> lines;  // from LineStrings
  std::vector<std::string> skipped;             // other geometries, named
};

// The points of `places` for `plan` (see ReadKml), with notes on what was
// left; false with a message when there are none to use.
bool ChoosePlaces(Places places, const std::string& source, int plan,
                  std::vector<EncodePoint>* points,
                  std::vector<std::string>* notes, std::string* error);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_FORMATS_INTERCHANGE_READER_H_

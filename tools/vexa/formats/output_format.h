// The output formats of decode and parse: a table for people, JSON for
// scripts, GeoJSON (RFC 7946) for map viewers, GPX 1.1 and CSV for route
// planners and spreadsheets (both read back by encode), a hex dump of
// the 568 packet bytes and an SVG picture of the points (svg_picture.h).
// The text holds the successful outcomes; a failed one is left out (the
// tool reports it on standard error), except in JSON, where it is part of
// the one document so a script sees every input. JSON strings that would
// not be UTF-8 get U+FFFD, with the raw bytes beside them in hex. The text
// is built in memory, without streams, which the web module does not carry.

#ifndef VEXA_TOOLS_VEXA_FORMATS_OUTPUT_FORMAT_H_
#define VEXA_TOOLS_VEXA_FORMATS_OUTPUT_FORMAT_H_

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "destination/outcome.h"

namespace vexa::tool {

enum class Format { kTable, kJson, kGeoJson, kHex, kGpx, kCsv, kSvg };

// "table", "json", "geojson", "hex", "gpx", "csv", "svg".
bool FormatFromName(const std::string& name, Format* format);

// One JSON object for an outcome (see the README section for the fields).
nlohmann::ordered_json OutcomeToJson(const Outcome& outcome);

// A FeatureCollection with one Point feature per valid entry of every
// successful outcome; coordinates are [longitude, latitude].
nlohmann::ordered_json OutcomesToGeoJson(const std::vector<Outcome>& outcomes);

// The text of `outcomes` in `format`. `as_list` makes JSON an array even
// for one outcome (decode takes several files; parse gives one object).
// `name_sources` gives each point of a merged CSV or GPX its file (a
// source column, a <src> element); JSON and GeoJSON always name it. A
// table or hex dump is one block per successful outcome.
std::string OutcomesText(const std::vector<Outcome>& outcomes, Format format,
                         bool as_list, bool name_sources = false);

// The one-line failure report: "<source>: error <code> (<name>): <why>".
std::string FailureLine(const Outcome& outcome);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_FORMATS_OUTPUT_FORMAT_H_

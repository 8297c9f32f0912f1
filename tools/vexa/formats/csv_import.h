// Points from a CSV file, as decode --format csv writes them: a header row
// naming the columns latitude and longitude (decimal degrees) and
// optionally name and route (recommended, fastest, shortest, economical),
// in any order, then one row per point in travel order. Fields may be
// quoted as in RFC 4180; blank lines are skipped.

#ifndef VEXA_TOOLS_VEXA_FORMATS_CSV_IMPORT_H_
#define VEXA_TOOLS_VEXA_FORMATS_CSV_IMPORT_H_

#include <string>
#include <vector>

#include "destination/destination_encoder.h"

namespace vexa::tool {

// Reads `path` ("-": standard input). On failure returns false with a
// message naming the row and the reason.
bool ImportCsv(const std::string& path, std::vector<EncodePoint>* points,
               std::string* error);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_FORMATS_CSV_IMPORT_H_

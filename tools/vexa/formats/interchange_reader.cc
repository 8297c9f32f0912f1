// The one reader of interchange files (see interchange_reader.h).

#include "formats/interchange_reader.h"

#include "formats/input_text.h"
#include "formats/xml_document.h"

namespace vexa::tool {
namespace {

// The format the first character that is no mark, NUL or blank suggests:
// '<' XML, '{' or '[' JSON, anything else CSV. NULs are passed over so
// UTF-16 text reads alike.
InputFormat SniffFormat(std::string_view bytes) {
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b == 0 || b == ' ' || b == '\t' || b == '\r' || b == '\n' ||
        b == 0xEF || b == 0xBB || b == 0xBF || b == 0xFF || b == 0xFE) {
      continue;
    }
    if (c == '<') return InputFormat::kGpx;  // or KML: the root tells
    if (c == '{' || c == '[') return InputFormat::kGeoJson;
    break;
  }
  return InputFormat::kCsv;
}

std::string Count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

const char* FormatName(InputFormat format) {
  switch (format) {
    case InputFormat::kCsv: return "CSV";
    case InputFormat::kGpx: return "GPX";
    case InputFormat::kKml: return "KML";
    case InputFormat::kGeoJson: return "GeoJSON";
    case InputFormat::kAuto: break;
  }
  return "interchange";
}

bool ReadInterchange(std::string_view bytes, const std::string& source,
                     const ImportChoice& choice,
                     std::vector<EncodePoint>* points,
                     std::vector<std::string>* notes, std::string* error) {
  points->clear();
  notes->clear();
  if (bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4)) {
    *error = source +
             " is a zip archive (a KMZ is a zipped KML); unzip it and give "
             "the KML inside (most often doc.kml)";
    return false;
  }
  const InputFormat format = choice.format != InputFormat::kAuto
                                 ? choice.format
                                 : SniffFormat(bytes);
  if (format == InputFormat::kCsv) {
    return ReadCsv(bytes, source, points, notes, error, choice.encoding);
  }
  if (format == InputFormat::kGeoJson) {
    return ReadGeoJson(bytes, source, choice.plan, points, notes, error,
                       choice.encoding);
  }
  pugi::xml_document document;
  if (!LoadXml(bytes, source, &document, error, choice.encoding)) {
    return false;
  }
  const pugi::xml_node root = RootElement(document);
  if (choice.format == InputFormat::kAuto && !Is(root, "gpx") &&
      !Is(root, "kml")) {
    *error = source + " is XML with the root element <" +
             ShownValue(root ? root.name() : "") +
             ">, neither GPX (<gpx>) nor KML (<kml>)";
    return false;
  }
  if (choice.format == InputFormat::kKml ||
      (choice.format == InputFormat::kAuto && Is(root, "kml"))) {
    return ReadKml(root, source, choice.plan, points, notes, error);
  }
  return ReadGpx(root, source, choice.gpx, points, notes, error);
}

bool ChoosePlaces(Places places, const std::string& source, int plan,
                  std::vector<EncodePoint>* points,
                  std::vector<std::string>* notes, std::string* error) {
  std::vector<std::string> skipped = places.skipped;
  if (!places.points.empty()) {
    *points = std::move(places.points);
    if (!places.lines.empty()) {
      skipped.push_back(Count(places.lines.size(), "line", "lines") +
                        " (the points were used)");
    }
  } else if (!places.lines.empty() && plan == 1) {
    *points = std::move(places.lines.front());
    notes->push_back("using the " + Count(points->size(), "point", "points") +
                     " of line 1 as the route (the last is the "
                     "destination)");
    if (places.lines.size() > 1) {
      skipped.push_back(Count(places.lines.size() - 1, "other line",
                              "other lines"));
    }
  } else if (!places.lines.empty()) {
    *error = source + " holds " +
             Count(places.lines.size(), "line", "lines") +
             " and no points; a line is a route, which a guide message "
             "(--plan 1) carries";
    return false;
  } else {
    *error = source + " holds no points";
    if (!skipped.empty()) *error += " (only " + skipped.front() + ")";
    return false;
  }
  for (const std::string& what : skipped) notes->push_back("skipped " + what);
  return true;
}

}  // namespace vexa::tool

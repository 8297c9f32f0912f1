// Telling interchange files apart by their first bytes (see
// interchange_kind.h).

#include "destination/interchange_kind.h"

#include <cctype>
#include <vector>

namespace vexa::tool {
namespace {

std::string Lower(std::string_view text) {
  std::string out;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    out.push_back(static_cast<char>(std::tolower(byte)));
  }
  return out;
}

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '"' ||
           c == '\'';
  };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// The root element's name of an XML document: the first tag that is not a
// declaration, a comment or a DOCTYPE. Empty when there is none.
std::string RootElement(std::string_view xml) {
  std::size_t pos = 0;
  while ((pos = xml.find('<', pos)) != std::string_view::npos) {
    ++pos;
    if (pos < xml.size() && (xml[pos] == '?' || xml[pos] == '!')) continue;
    std::size_t end = pos;
    while (end < xml.size() &&
           !std::isspace(static_cast<unsigned char>(xml[end])) &&
           xml[end] != '>' && xml[end] != '/') {
      ++end;
    }
    std::string_view name = xml.substr(pos, end - pos);
    // A namespace prefix ("gpx:gpx") names the same element.
    if (const auto colon = name.find(':'); colon != std::string_view::npos) {
      name.remove_prefix(colon + 1);
    }
    return Lower(name);
  }
  return "";
}

// Whether the first line is a header with a latitude and a longitude
// column, under any of the names spreadsheets give them, split by a
// comma, semicolon or tab.
bool IsCsvHeader(std::string_view text) {
  const std::string_view line = text.substr(0, text.find('\n'));
  for (const char separator : {',', ';', '\t'}) {
    bool latitude = false;
    bool longitude = false;
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = line.find(separator, start);
      const std::string field =
          Lower(Trimmed(line.substr(start, end == std::string_view::npos
                                               ? std::string_view::npos
                                               : end - start)));
      latitude = latitude || field == "lat" || field == "latitude" ||
                 field == "y";
      longitude = longitude || field == "lon" || field == "lng" ||
                  field == "long" || field == "longitude" || field == "x";
      if (end == std::string_view::npos) break;
      start = end + 1;
    }
    if (latitude && longitude) return true;
  }
  return false;
}

}  // namespace

InterchangeKind KindOfInterchangeFile(std::string_view head) {
  // A zip archive; the places of a KMZ are in the KML inside.
  if (head.substr(0, 4) == std::string_view("PK\x03\x04", 4)) {
    return {"KMZ (zipped KML) or other zip", ""};
  }
  if (head.substr(0, 3) == "\xEF\xBB\xBF") head.remove_prefix(3);
  // UTF-16, with or without its mark: the ASCII of its first units is
  // what tells the kind.
  std::string_view units = head;
  bool wide = units.size() >= 4 && (units[0] == '\0' || units[1] == '\0') &&
              (units[2] == '\0' || units[3] == '\0');
  if (units.substr(0, 2) == "\xFF\xFE" || units.substr(0, 2) == "\xFE\xFF") {
    units.remove_prefix(2);
    wide = true;
  }
  if (wide) {
    std::string narrow;
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
      if (units[i] != '\0' && units[i + 1] != '\0') break;  // beyond ASCII
      const char unit = units[i] == '\0' ? units[i + 1] : units[i];
      if (unit == '\0') break;
      narrow.push_back(unit);
    }
    if (InterchangeKind kind = KindOfInterchangeFile(narrow);
        !kind.name.empty()) {
      return kind;
    }
  }
  std::string_view text = head;
  while (!text.empty() &&
         std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  if (!text.empty() && text.front() == '<') {
    const std::string root = RootElement(text);
    if (root == "gpx") return {"GPX", "--gpx"};
    if (root == "kml") return {"KML", "--kml"};
    return {};
  }
  if (!text.empty() && text.front() == '{') {
    // A GeoJSON object names its type, and that is one of these.
    for (const char* type : {"\"FeatureCollection\"", "\"Feature\"",
                             "\"Point\"", "\"LineString\""}) {
      if (text.find("\"type\"") != std::string_view::npos &&
          text.find(type) != std::string_view::npos) {
        return {"GeoJSON", "--geojson"};
      }
    }
    return {};
  }
  // A destination list begins with four spaces and its tag, even when
  // they are missing its fields are no CSV header (names such as "x").
  if (head.substr(0, 1) != " " && text.substr(0, 4) != "(TNC" &&
      IsCsvHeader(text)) {
    return {"CSV", "--csv"};
  }
  return {};
}

}  // namespace vexa::tool

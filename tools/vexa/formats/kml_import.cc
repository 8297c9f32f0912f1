// KML import (see interchange_reader.h): every Placemark below the root, in
// document order (folders included), with its <name>. A Point's
// coordinates are "longitude,latitude[,altitude]"; a LineString's are such
// tuples separated by blanks. Other geometries are named in a note. A route
// preference may come in the placemark's ExtendedData (route or type).

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <pugixml.hpp>

#include "formats/input_text.h"
#include "formats/interchange_reader.h"
#include "formats/xml_document.h"

namespace vexa::tool {
namespace {

bool ReadNumber(std::string_view text, double* value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() ||
      text.find_first_not_of("0123456789.-eE+") != std::string_view::npos) {
    return false;
  }
  const auto result =
      std::from_chars(text.data(), text.data() + text.size(), *value);
  return result.ec == std::errc() &&
         result.ptr == text.data() + text.size() && std::isfinite(*value);
}

// One "lon,lat[,alt]" tuple.
bool ReadTuple(std::string_view tuple, EncodePoint* point) {
  const std::size_t comma = tuple.find(',');
  if (comma == std::string_view::npos) return false;
  std::string_view rest = tuple.substr(comma + 1);
  const std::size_t second = rest.find(',');
  if (second != std::string_view::npos) {
    double altitude = 0;
    if (!ReadNumber(rest.substr(second + 1), &altitude)) return false;
    rest = rest.substr(0, second);
  }
  return ReadNumber(tuple.substr(0, comma), &point->longitude) &&
         ReadNumber(rest, &point->latitude);
}

// The tuples of a <coordinates> element. False with the offending tuple.
bool ReadCoordinates(const pugi::xml_node& coordinates,
                     std::vector<EncodePoint>* points, std::string* bad) {
  const std::string text = Trimmed(coordinates);
  std::size_t pos = 0;
  while (pos < text.size()) {
    pos = text.find_first_not_of(" \t\r\n", pos);
    if (pos == std::string::npos) break;
    std::size_t end = text.find_first_of(" \t\r\n", pos);
    if (end == std::string::npos) end = text.size();
    EncodePoint point;
    if (!ReadTuple(std::string_view(text).substr(pos, end - pos), &point)) {
      *bad = text.substr(pos, end - pos);
      return false;
    }
    points->push_back(point);
    pos = end;
  }
  return true;
}

// The Placemarks below `root` in document order, walked without recursion
// (a hostile file may nest folders deeper than any stack).
std::vector<pugi::xml_node> Placemarks(const pugi::xml_node& root) {
  std::vector<pugi::xml_node> found;
  pugi::xml_node at = root.first_child();
  while (at) {
    const bool placemark = Is(at, "Placemark");
    if (placemark) found.push_back(at);
    if (!placemark && at.type() == pugi::node_element && at.first_child()) {
      at = at.first_child();
      continue;
    }
    while (at != root && !at.next_sibling()) at = at.parent();
    if (at == root) break;
    at = at.next_sibling();
  }
  return found;
}

bool NamedRouteData(const pugi::xml_node& data) {
  std::string name = data.attribute("name").value();
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name == "route" || name == "type";
}

// The route preference a placemark's ExtendedData gives as written: a
// Data (with its value) or a SchemaData's SimpleData named route or type.
// Empty when there is none.
std::string ExtendedRoute(const pugi::xml_node& placemark) {
  for (pugi::xml_node extended : placemark.children()) {
    if (!Is(extended, "ExtendedData")) continue;
    for (pugi::xml_node data : extended.children()) {
      if (Is(data, "Data") && NamedRouteData(data)) {
        return Trimmed(Child(data, "value"));
      }
      if (!Is(data, "SchemaData")) continue;
      for (pugi::xml_node simple : data.children()) {
        if (Is(simple, "SimpleData") && NamedRouteData(simple)) {
          return Trimmed(simple);
        }
      }
    }
  }
  return "";
}

}  // namespace

bool ReadKml(const pugi::xml_node& root, const std::string& source, int plan,
             std::vector<EncodePoint>* points,
             std::vector<std::string>* notes, std::string* error) {
  if (!Is(root, "kml")) {
    *error = source + " is not a KML file: it has no <kml> root element";
    return false;
  }
  Places places;
  const std::vector<pugi::xml_node> placemarks = Placemarks(root);
  for (std::size_t i = 0; i < placemarks.size(); ++i) {
    const pugi::xml_node& placemark = placemarks[i];
    const std::string name = Trimmed(Child(placemark, "name"));
    const std::string label =
        "KML placemark " + std::to_string(i + 1) +
        (name.empty() ? "" : " ('" + ShownValue(name) + "')");
    int route = -1;
    if (const std::string text = ExtendedRoute(placemark); !text.empty()) {
      route = RouteModeFromName(text);
      if (route < 0) {
        *error = label + " in " + source + ": the route '" + ShownValue(text) +
                 "' is not recommended, fastest, shortest or economical";
        return false;
      }
    }
    // A MultiGeometry's parts count as the placemark's own.
    std::vector<pugi::xml_node> geometries;
    for (pugi::xml_node child : placemark.children()) {
      if (Is(child, "MultiGeometry")) {
        for (pugi::xml_node part : child.children()) geometries.push_back(part);
      } else if (child.type() == pugi::node_element) {
        geometries.push_back(child);
      }
    }
    bool used = false;
    for (const pugi::xml_node& geometry : geometries) {
      const bool point = Is(geometry, "Point");
      const bool line = Is(geometry, "LineString");
      if (!point && !line) {
        static const char* const kOther[] = {"Polygon", "LinearRing", "Model",
                                             "Track", "MultiTrack"};
        for (const char* other : kOther) {
          if (Is(geometry, other)) {
            places.skipped.push_back(std::string("a ") + other + " in " +
                                     label);
          }
        }
        continue;
      }
      std::vector<EncodePoint> tuples;
      std::string bad;
      if (!ReadCoordinates(Child(geometry, "coordinates"), &tuples, &bad)) {
        *error = label + " in " + source + ": the coordinates '" +
                 ShownValue(bad) + "' are not longitude,latitude";
        return false;
      }
      if (tuples.empty()) {
        *error = label + " in " + source + " has a " + LocalName(geometry) +
                 " without coordinates";
        return false;
      }
      used = true;
      for (EncodePoint& tuple : tuples) tuple.route = route;
      if (point) {
        tuples.resize(1);
        tuples[0].name = name;
        tuples[0].origin = label;
        places.points.push_back(tuples[0]);
      } else {
        for (std::size_t t = 0; t < tuples.size(); ++t) {
          tuples[t].origin = label + " point " + std::to_string(t + 1);
        }
        places.lines.push_back(tuples);
      }
    }
    if (!used && geometries.empty()) {
      places.skipped.push_back(label + " (no geometry)");
    }
  }
  return ChoosePlaces(std::move(places), source, plan, points, notes, error);
}

}  // namespace vexa::tool

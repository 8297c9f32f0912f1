// GeoJSON import (see interchange_reader.h), RFC 7946: positions are
// [longitude, latitude, ...]. A feature's name is its first string or
// number property named name, title or label; a route preference its property
// route or type. The JSON is read with the parser's own error report,
// never by exceptions escaping; nothing here recurses into the document,
// so no nesting depth reaches the stack.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include <nlohmann/json.hpp>

#include "formats/input_text.h"
#include "formats/interchange_reader.h"
#include "text/text_codec.h"

namespace vexa::tool {
namespace {

using Json = nlohmann::json;

// A position's longitude and latitude.
bool ReadPosition(const Json& position, EncodePoint* point) {
  if (!position.is_array() || position.size() < 2 ||
      !position[0].is_number() || !position[1].is_number()) {
    return false;
  }
  point->longitude = position[0].get<double>();
  point->latitude = position[1].get<double>();
  return std::isfinite(point->longitude) && std::isfinite(point->latitude);
}

// The string member of `object` (or, with `numbers`, number member) whose
// key is one of `keys` (any case); null when there is none.
const Json* Property(const Json& object, std::initializer_list<const char*> keys,
                     bool numbers = false) {
  if (!object.is_object()) return nullptr;
  for (const char* key : keys) {
    for (auto it = object.begin(); it != object.end(); ++it) {
      const std::string& name = it.key();
      if (name.size() == std::strlen(key) &&
          std::equal(name.begin(), name.end(), key, [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == b;
          }) &&
          (it->is_string() || (numbers && it->is_number()))) {
        return &*it;
      }
    }
  }
  return nullptr;
}

std::string TypeOf(const Json& object) {
  if (!object.is_object()) return "";
  const auto type = object.find("type");
  return type != object.end() && type->is_string() ? type->get<std::string>()
                                                   : "";
}

}  // namespace

bool ReadGeoJson(std::string_view bytes, const std::string& source, int plan,
                 std::vector<EncodePoint>* points,
                 std::vector<std::string>* notes, std::string* error,
                 const InputEncoding& encoding) {
  std::string text;
  if (!DecodeTextOf(bytes, source, encoding, &text, notes, error)) {
    return false;
  }
  Json document;
  try {
    document = Json::parse(text);
  } catch (const Json::exception& e) {
    // "[json.exception.parse_error.101] parse error at line 1, column 3:
    // ..." without its bracketed id.
    const char* what = std::strchr(e.what(), ']');
    *error = source + " is not valid JSON: " +
             ShownValue(what != nullptr ? what + 2 : e.what());
    return false;
  }
  std::vector<const Json*> features;
  const std::string type = TypeOf(document);
  if (type == "FeatureCollection") {
    const auto list = document.find("features");
    if (list == document.end() || !list->is_array()) {
      *error = source + " is a FeatureCollection without a \"features\" array";
      return false;
    }
    for (const Json& feature : *list) features.push_back(&feature);
  } else if (!type.empty()) {
    features.push_back(&document);  // one Feature, or a bare geometry
  } else {
    *error = source +
             " is JSON but not GeoJSON: it is no object with a \"type\" "
             "such as FeatureCollection";
    return false;
  }
  Places places;
  for (std::size_t i = 0; i < features.size(); ++i) {
    const Json& feature = *features[i];
    const bool is_feature = TypeOf(feature) == "Feature";
    const Json* geometry = &feature;
    const Json* properties = nullptr;
    if (is_feature) {
      const auto g = feature.find("geometry");
      geometry = g != feature.end() ? &*g : nullptr;
      const auto p = feature.find("properties");
      properties = p != feature.end() ? &*p : nullptr;
    }
    std::string name;
    if (properties != nullptr) {
      // A number is a name too (a customer number), written as in the file.
      if (const Json* n = Property(*properties, {"name", "title", "label"},
                                   /*numbers=*/true)) {
        name = n->is_string() ? n->get<std::string>() : n->dump();
      }
    }
    const std::string label =
        "GeoJSON feature " + std::to_string(i + 1) +
        (name.empty() ? "" : " ('" + ShownValue(name) + "')");
    int route = -1;
    if (properties != nullptr) {
      if (const Json* r = Property(*properties, {"route", "type"})) {
        route = RouteModeFromName(r->get<std::string>());
        if (route < 0) {
          *error = label + " in " + source + ": the route '" +
                   ShownValue(r->get<std::string>()) +
                   "' is not recommended, fastest, shortest or economical";
          return false;
        }
      }
    }
    const std::string kind = geometry != nullptr ? TypeOf(*geometry) : "";
    if (kind != "Point" && kind != "MultiPoint" && kind != "LineString") {
      places.skipped.push_back(
          label + (kind.empty() ? " (no geometry)" : " (a " + kind + ")"));
      continue;
    }
    const auto coordinates = geometry->find("coordinates");
    std::vector<EncodePoint> found;
    bool readable = coordinates != geometry->end();
    if (readable && kind == "Point") {
      found.emplace_back();
      readable = ReadPosition(*coordinates, &found.back());
    } else if (readable) {
      readable = coordinates->is_array() && !coordinates->empty();
      for (std::size_t p = 0; readable && p < coordinates->size(); ++p) {
        found.emplace_back();
        readable = ReadPosition((*coordinates)[p], &found.back());
      }
    }
    if (!readable) {
      *error = label + " in " + source + ": the " + kind +
               "'s coordinates are not " +
               (kind == "Point" ? "[longitude, latitude]"
                                : "a list of [longitude, latitude]");
      return false;
    }
    for (std::size_t p = 0; p < found.size(); ++p) {
      found[p].route = route;
      found[p].origin =
          label + (found.size() > 1 ? " point " + std::to_string(p + 1) : "");
      if (kind != "LineString") {
        found[p].name = name;
        places.points.push_back(found[p]);
      }
    }
    if (kind == "LineString") places.lines.push_back(found);
  }
  return ChoosePlaces(std::move(places), source, plan, points, notes, error);
}

}  // namespace vexa::tool

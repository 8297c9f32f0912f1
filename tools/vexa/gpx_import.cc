// GPX import (see gpx_import.h).

#include "gpx_import.h"

#include <charconv>
#include <cstring>

#include <pugixml.hpp>

namespace vexa::tool {
namespace {

// The element's name without a namespace prefix ("gpx:rtept" -> "rtept").
const char* LocalName(const pugi::xml_node& node) {
  const char* name = node.name();
  const char* colon = std::strrchr(name, ':');
  return colon != nullptr ? colon + 1 : name;
}

bool Is(const pugi::xml_node& node, const char* name) {
  return node.type() == pugi::node_element &&
         std::strcmp(LocalName(node), name) == 0;
}

std::vector<pugi::xml_node> Children(const pugi::xml_node& parent,
                                     const char* name) {
  std::vector<pugi::xml_node> nodes;
  for (pugi::xml_node child : parent.children()) {
    if (Is(child, name)) nodes.push_back(child);
  }
  return nodes;
}

// A whole attribute value as a decimal number; the C locale's point, never
// the user's decimal comma.
bool ReadNumber(const pugi::xml_attribute& attribute, double* value) {
  if (!attribute) return false;
  const char* text = attribute.value();
  while (*text == ' ' || *text == '\t') ++text;
  const char* end = text + std::strlen(text);
  while (end > text && (end[-1] == ' ' || end[-1] == '\t')) --end;
  if (text != end && *text == '+') ++text;
  const auto result = std::from_chars(text, end, *value);
  return result.ec == std::errc() && result.ptr == end;
}

// The attribute whose name is `name` after any prefix.
pugi::xml_attribute Attribute(const pugi::xml_node& node, const char* name) {
  for (pugi::xml_attribute attribute : node.attributes()) {
    const char* full = attribute.name();
    const char* colon = std::strrchr(full, ':');
    if (std::strcmp(colon != nullptr ? colon + 1 : full, name) == 0) {
      return attribute;
    }
  }
  return pugi::xml_attribute();
}

// Names in hand-written GPX often carry the indentation around them.
std::string Trimmed(const char* text) {
  std::string value = text;
  const char* const kSpace = " \t\r\n";
  const auto first = value.find_first_not_of(kSpace);
  if (first == std::string::npos) return "";
  const auto last = value.find_last_not_of(kSpace);
  return value.substr(first, last - first + 1);
}

}  // namespace

bool ImportGpx(const std::string& path, std::vector<EncodePoint>* points,
               std::string* error) {
  pugi::xml_document document;
  const pugi::xml_parse_result parsed = document.load_file(path.c_str());
  if (!parsed) {
    *error = "cannot read GPX file '" + path + "': " + parsed.description();
    if (parsed.status != pugi::status_file_not_found &&
        parsed.status != pugi::status_io_error) {
      *error += " at byte " + std::to_string(parsed.offset);
    }
    return false;
  }
  pugi::xml_node root;
  for (pugi::xml_node child : document.children()) {
    if (Is(child, "gpx")) root = child;
  }
  if (!root) {
    *error = "'" + path + "' is not a GPX file: it has no <gpx> root element";
    return false;
  }
  std::vector<pugi::xml_node> nodes;
  std::string kind;
  for (const pugi::xml_node& route : Children(root, "rte")) {
    nodes = Children(route, "rtept");
    if (!nodes.empty()) {
      kind = "GPX route point";
      break;
    }
  }
  if (nodes.empty()) {
    nodes = Children(root, "wpt");
    kind = "GPX waypoint";
  }
  if (nodes.empty()) {
    *error = "'" + path + "' holds no route points and no waypoints";
    return false;
  }
  points->clear();
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    EncodePoint point;
    point.origin = kind + " " + std::to_string(i + 1);
    if (!ReadNumber(Attribute(nodes[i], "lat"), &point.latitude) ||
        !ReadNumber(Attribute(nodes[i], "lon"), &point.longitude)) {
      *error = point.origin + " in '" + path +
               "' has no valid lat and lon attributes";
      return false;
    }
    for (pugi::xml_node child : nodes[i].children()) {
      if (Is(child, "name")) point.name = Trimmed(child.child_value());
    }
    points->push_back(point);
  }
  return true;
}

}  // namespace vexa::tool

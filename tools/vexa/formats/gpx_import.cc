// GPX import (see gpx_import.h).

#include "formats/gpx_import.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <pugixml.hpp>

#include "formats/xml_failure.h"
#include "system/input_file.h"
#include "text/text_codec.h"

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

// The whole text of an element: every text and CDATA piece below it, in
// order, so a comment or a CDATA section inside a name does not cut it.
std::string TextContent(const pugi::xml_node& node) {
  std::string text;
  for (pugi::xml_node child : node.children()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
      text += child.value();
    } else if (child.type() == pugi::node_element) {
      text += TextContent(child);
    }
  }
  return text;
}

// Names in hand-written GPX often carry the indentation around them.
std::string Trimmed(const pugi::xml_node& node) {
  std::string value = TextContent(node);
  const char* const kSpace = " \t\r\n";
  const auto first = value.find_first_not_of(kSpace);
  if (first == std::string::npos) return "";
  const auto last = value.find_last_not_of(kSpace);
  return value.substr(first, last - first + 1);
}

// "route 2 ('Coast')" for messages.
std::string Label(const char* what, std::size_t index,
                  const pugi::xml_node& node) {
  std::string label = std::string(what) + " " + std::to_string(index + 1);
  for (pugi::xml_node child : node.children()) {
    if (Is(child, "name"))
      return label + " ('" + ShownText(Trimmed(child)) + "')";
  }
  return label;
}

std::string Count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The route preference a <type> child names, or -1.
int RouteOf(const pugi::xml_node& node) {
  for (pugi::xml_node child : node.children()) {
    if (Is(child, "type"))
      return RouteModeFromName(Trimmed(child));
  }
  return -1;
}

// The last point of the track's last segment that has any.
pugi::xml_node TrackEnd(const pugi::xml_node& track) {
  pugi::xml_node end;
  for (const pugi::xml_node& segment : Children(track, "trkseg")) {
    const auto points = Children(segment, "trkpt");
    if (!points.empty()) end = points.back();
  }
  return end;
}

bool ReadPoint(const pugi::xml_node& node, const std::string& origin,
               const std::string& path, EncodePoint* point,
               std::string* error) {
  point->origin = origin;
  if (!ReadNumber(Attribute(node, "lat"), &point->latitude) ||
      !ReadNumber(Attribute(node, "lon"), &point->longitude)) {
    *error = origin + " in " + InputName(path) +
             " has no valid lat and lon attributes";
    return false;
  }
  for (pugi::xml_node child : node.children()) {
    if (Is(child, "name")) point->name = Trimmed(child);
  }
  point->route = RouteOf(node);
  return true;
}

std::string Where(const pugi::xml_node& node) {
  char text[64];
  double lat = 0, lon = 0;
  ReadNumber(Attribute(node, "lat"), &lat);
  ReadNumber(Attribute(node, "lon"), &lon);
  std::snprintf(text, sizeof text, "%.7g,%.7g", lat, lon);
  return text;
}

}  // namespace

bool ImportGpx(const std::string& path, const GpxChoice& choice,
               std::vector<EncodePoint>* points,
               std::vector<std::string>* notes, std::string* error) {
  constexpr std::size_t kMaxGpxBytes = 64 << 20;
  std::string bytes;
  if (!ReadWholeFile(path, kMaxGpxBytes, &bytes, error)) return false;
  pugi::xml_document document;
  // The DOCTYPE is kept to be looked at, never followed: an entity it
  // declares would be left as "&name;" in the text, and an external one
  // would have to be fetched.
  const pugi::xml_parse_result parsed = document.load_buffer(
      bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_doctype);
  if (!parsed) {
    *error = InputName(path) + " " + XmlFailure(bytes, parsed);
    return false;
  }
  pugi::xml_node root;
  for (pugi::xml_node child : document.children()) {
    if (Is(child, "gpx")) root = child;
    if (child.type() == pugi::node_doctype &&
        std::strstr(child.value(), "<!ENTITY") != nullptr) {
      *error = InputName(path) +
               " declares entities in its DOCTYPE; they are not expanded "
               "(nor fetched): write the text in place of each entity";
      return false;
    }
  }
  if (!root) {
    *error =
        InputName(path) + " is not a GPX file: it has no <gpx> root element";
    return false;
  }
  const auto routes = Children(root, "rte");
  const auto tracks = Children(root, "trk");
  const auto waypoints = Children(root, "wpt");
  points->clear();
  notes->clear();

  if (choice.track > 0) {
    if (static_cast<std::size_t>(choice.track) > tracks.size()) {
      *error = InputName(path) + " has " +
               Count(tracks.size(), "track", "tracks") + "; --gpx-track " +
               std::to_string(choice.track) + " names none";
      return false;
    }
    const pugi::xml_node& track = tracks[choice.track - 1];
    const pugi::xml_node end = TrackEnd(track);
    if (!end) {
      *error = Label("track", choice.track - 1, track) + " has no points";
      return false;
    }
    EncodePoint point;
    if (!ReadPoint(end, "the end of " + Label("track", choice.track - 1, track),
                   path, &point, error)) {
      return false;
    }
    if (point.name.empty()) {
      for (pugi::xml_node child : track.children()) {
        if (Is(child, "name")) point.name = Trimmed(child);
      }
    }
    points->push_back(point);
    notes->push_back("using the end point of " +
                     Label("track", choice.track - 1, track) + " (" +
                     Where(end) + ") as the destination");
    if (!routes.empty() || !waypoints.empty()) {
      notes->push_back("skipped " + Count(routes.size(), "route", "routes") +
                       " and " +
                       Count(waypoints.size(), "waypoint", "waypoints"));
    }
    return true;
  }

  std::vector<pugi::xml_node> nodes;
  std::string kind;
  if (choice.route > 0) {
    if (static_cast<std::size_t>(choice.route) > routes.size()) {
      *error = InputName(path) + " has " +
               Count(routes.size(), "route", "routes") + "; --gpx-route " +
               std::to_string(choice.route) + " names none";
      return false;
    }
  }
  std::size_t used = 0;
  for (std::size_t i = choice.route > 0 ? choice.route - 1 : 0;
       i < routes.size(); ++i) {
    nodes = Children(routes[i], "rtept");
    used = i;
    if (!nodes.empty() || choice.route > 0) break;
  }
  int route_default = -1;
  if (!nodes.empty()) {
    kind = "GPX route point";
    route_default = RouteOf(routes[used]);
    if (routes.size() > 1) {
      std::string skipped;
      for (std::size_t i = 0; i < routes.size(); ++i) {
        if (i == used) continue;
        skipped += (skipped.empty() ? "" : ", ") + Label("route", i, routes[i]);
      }
      notes->push_back("using " + Label("route", used, routes[used]) + " of " +
                       std::to_string(routes.size()) + "; skipped " + skipped +
                       " (choose another with --gpx-route N)");
    }
    if (!waypoints.empty()) {
      notes->push_back("skipped " +
                       Count(waypoints.size(), "waypoint", "waypoints") +
                       " (a route was used)");
    }
  } else if (choice.route > 0) {
    *error = Label("route", used, routes[used]) + " has no route points";
    return false;
  } else {
    nodes = waypoints;
    kind = "GPX waypoint";
  }
  if (nodes.empty()) {
    if (!tracks.empty()) {
      const pugi::xml_node end = TrackEnd(tracks.front());
      *error = InputName(path) + " holds only " +
               Count(tracks.size(), "track", "tracks") +
               "; a track is a recording of a trip, not a destination";
      if (end) {
        *error += ". The only point it could use is the end of " +
                  Label("track", 0, tracks.front()) + " at " + Where(end) +
                  ": give --gpx-track 1 to make it the destination";
      }
      return false;
    }
    *error = InputName(path) + " holds no route points and no waypoints";
    return false;
  }
  if (!tracks.empty()) {
    notes->push_back("skipped " + Count(tracks.size(), "track", "tracks") +
                     " (tracks are recordings, not destinations; use "
                     "--gpx-track N for a track's end point)");
  }
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    EncodePoint point;
    if (!ReadPoint(nodes[i], kind + " " + std::to_string(i + 1), path, &point,
                   error)) {
      return false;
    }
    if (point.route < 0) point.route = route_default;
    points->push_back(point);
  }
  return true;
}

}  // namespace vexa::tool

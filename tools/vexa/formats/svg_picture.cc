// The SVG picture of decoded points (see svg_picture.h).

#include "formats/svg_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include <pugixml.hpp>

#include "destination/packet_view.h"
#include "formats/xml_document.h"
#include "text/text_codec.h"

namespace vexa::tool {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEarthRadiusKm = 6371.0088;  // the mean radius
constexpr double kKmPerDegree = 2 * kPi * kEarthRadiusKm / 360;

// The panel's layout in pixels: a title line, the map with room around it
// for the labels, and a band for the scale bar.
constexpr double kWidth = 640;
constexpr double kTitleHeight = 28;
constexpr double kPadX = 72;
constexpr double kPadY = 32;
constexpr double kMapWidth = kWidth - 2 * kPadX;
constexpr double kMaxMapHeight = 400;
constexpr double kMinMapHeight = 120;
constexpr double kScaleHeight = 48;  // the legs' distances, the scale bar
// About a kilometre: a single point, or points on one line, still get a
// map with a readable scale.
constexpr double kMinSpanDegrees = 0.01;
constexpr double kMarkRadius = 9;
constexpr double kRowHeight = 24;  // a name and its route preference
constexpr double kMinLabelledLeg = 120;  // pixels

constexpr const char* kViaColour = "#1f6feb";
constexpr const char* kDestinationColour = "#cf222e";

// Fixed formats, so the bytes do not depend on the system's printf beyond
// what C specifies; the tool never sets a locale.
std::string Fixed(double value, int decimals) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string out = text;
  if (out.compare(0, 1, "-") == 0 &&
      out.find_first_not_of("-0.") == std::string::npos) {
    out.erase(0, 1);  // no "-0.0"
  }
  return out;
}

std::string Pixels(double value) { return Fixed(value, 1); }

// About how wide `text` is at the 12-pixel font: a wide (East Asian)
// character twice a narrow one. Only an estimate; no fonts are read.
double TextWidth(const std::string& text) {
  double width = 0;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      width += 7;
    } else if (byte >= 0xE3 && byte < 0xF0) {
      width += 12;  // from U+3000: the scripts of China, Japan and Korea
    } else if (byte >= 0xC0) {
      width += 8;
    }
  }
  return width;
}

std::string DistanceText(double km) {
  return Fixed(km, km < 10 ? 2 : km < 100 ? 1 : 0) + " km";
}

// What SVG text may hold: the tool's display text is UTF-8 without control
// characters, but XML also forbids U+FFFE and U+FFFF.
std::string XmlSafe(std::string text) {
  for (std::size_t pos = 0; (pos = text.find("\xEF\xBF", pos)) !=
                            std::string::npos;
       pos += 2) {
    if (pos + 2 < text.size() && (text[pos + 2] == '\xBE' ||
                                  text[pos + 2] == '\xBF')) {
      text[pos + 2] = '\xBD';
    }
  }
  return text;
}

void Attribute(pugi::xml_node node, const char* name, const std::string& value) {
  node.append_attribute(name) = value.c_str();
}

pugi::xml_node Text(pugi::xml_node parent, const char* css_class, double x,
                    double y, const std::string& text) {
  pugi::xml_node node = parent.append_child("text");
  Attribute(node, "class", css_class);
  Attribute(node, "x", Pixels(x));
  Attribute(node, "y", Pixels(y));
  node.text() = XmlSafe(text).c_str();
  return node;
}

// The longest of 1, 2 or 5 times a power of ten that is at most `max_km`
// (a metre at least), found by multiplying so no logarithm is involved.
double ScaleBarKm(double max_km, int* decimals) {
  double power = 0.001;
  *decimals = 3;
  while (power * 10 <= max_km) {
    power *= 10;
    if (*decimals > 0) --*decimals;
  }
  for (double factor : {5.0, 2.0}) {
    if (power * factor <= max_km) return power * factor;
  }
  return power;
}

std::string PanelTitle(const Outcome& outcome, std::size_t points) {
  std::string title = ShownText(outcome.source) + ": ";
  if (outcome.packet.kind == GuideMessage && points == 0) {
    return title + "empty (no packet was read)";
  }
  return title + KindName(outcome.packet.kind) + " (plan " +
         std::to_string(outcome.plan) + "), " + std::to_string(points) +
         (points == 1 ? " point" : " points");
}

// Draws one input's panel with its top edge at `top`; returns its height.
double AddPanel(pugi::xml_node svg, const Outcome& outcome, double top) {
  const std::vector<PointView> points = ViewPoints(outcome.packet);
  pugi::xml_node panel = svg.append_child("g");
  Attribute(panel, "class", "input");
  pugi::xml_node title =
      Text(panel, "title", 12, top + 19, PanelTitle(outcome, points.size()));
  Attribute(title, "font-weight", "bold");
  if (points.empty()) return kTitleHeight;

  // The projection: x is the longitude times the cosine of the mean
  // latitude, y the latitude, both in degrees of arc. A latitude beyond
  // ±90° (which the library accepts) must not turn the map over.
  double mean_latitude = 0;
  for (const PointView& point : points) mean_latitude += point.latitude;
  mean_latitude /= static_cast<double>(points.size());
  const double clamped = std::max(-85.0, std::min(85.0, mean_latitude));
  const double shrink = std::cos(clamped * kPi / 180);
  double min_x = points[0].longitude * shrink, max_x = min_x;
  double min_y = points[0].latitude, max_y = min_y;
  for (const PointView& point : points) {
    min_x = std::min(min_x, point.longitude * shrink);
    max_x = std::max(max_x, point.longitude * shrink);
    min_y = std::min(min_y, point.latitude);
    max_y = std::max(max_y, point.latitude);
  }
  const double span_x = std::max(max_x - min_x, kMinSpanDegrees);
  const double span_y = std::max(max_y - min_y, kMinSpanDegrees);
  const double scale = std::min(kMapWidth / span_x, kMaxMapHeight / span_y);
  const double map_height = std::max(span_y * scale, kMinMapHeight);
  const double map_top = top + kTitleHeight;
  const double centre_x = kPadX + kMapWidth / 2;
  const double centre_y = map_top + kPadY + map_height / 2;
  const double mid_x = (min_x + max_x) / 2, mid_y = (min_y + max_y) / 2;
  auto project_x = [&](const PointView& p) {
    return centre_x + (p.longitude * shrink - mid_x) * scale;
  };
  auto project_y = [&](const PointView& p) {
    return centre_y - (p.latitude - mid_y) * scale;
  };
  const double height = kTitleHeight + 2 * kPadY + map_height + kScaleHeight;

  pugi::xml_node frame = panel.append_child("rect");
  Attribute(frame, "class", "frame");
  Attribute(frame, "x", Pixels(4));
  Attribute(frame, "y", Pixels(map_top));
  Attribute(frame, "width", Pixels(kWidth - 8));
  Attribute(frame, "height", Pixels(height - kTitleHeight - 4));
  Attribute(frame, "fill", "#f6f8fa");
  Attribute(frame, "stroke", "#d0d7de");

  // A guide message is one route, drawn solid; the entries of a
  // destination list are choices, so only their order is hinted at.
  const bool route = outcome.packet.kind == GuideMessage;
  if (points.size() > 1) {
    std::string line;
    for (const PointView& point : points) {
      if (!line.empty()) line += ' ';
      line += Pixels(project_x(point)) + ',' + Pixels(project_y(point));
    }
    pugi::xml_node polyline = panel.append_child("polyline");
    Attribute(polyline, "class", route ? "route" : "sequence");
    Attribute(polyline, "points", line);
    Attribute(polyline, "fill", "none");
    Attribute(polyline, "stroke", route ? kViaColour : "#8c959f");
    Attribute(polyline, "stroke-width", route ? "2.5" : "1.5");
    if (!route) Attribute(polyline, "stroke-dasharray", "6 4");
    // Every leg's distance is in the list under the map; on the map only
    // where the leg is long enough to carry it.
    std::string legs;
    for (std::size_t i = 1; i < points.size(); ++i) {
      const PointView& a = points[i - 1];
      const PointView& b = points[i];
      const std::string distance = DistanceText(
          GreatCircleKm(a.latitude, a.longitude, b.latitude, b.longitude));
      legs += (legs.empty() ? "" : ", ") + std::to_string(a.order) +
              "\xE2\x80\x93" + std::to_string(b.order) + ' ' + distance;
      const double dx = project_x(b) - project_x(a);
      const double dy = project_y(b) - project_y(a);
      if (dx * dx + dy * dy < kMinLabelledLeg * kMinLabelledLeg) continue;
      pugi::xml_node text = Text(panel, "distance",
                                 (project_x(a) + project_x(b)) / 2,
                                 (project_y(a) + project_y(b)) / 2 - 6,
                                 distance);
      Attribute(text, "text-anchor", "middle");
      Attribute(text, "font-size", "10");
      Attribute(text, "fill", "#57606a");
      // A halo of the map's colour keeps the text readable on the line.
      Attribute(text, "stroke", "#f6f8fa");
      Attribute(text, "stroke-width", "3");
      Attribute(text, "paint-order", "stroke");
    }
    pugi::xml_node list =
        Text(panel, "legs", 16, top + height - 30,
             "great-circle distances: " + legs);
    Attribute(list, "font-size", "11");
  }

  // Points whose marks would cover each other (a street apart at a
  // country's scale) form a cluster: one mark with their count, and their
  // numbers and names listed beside it, so each stays readable.
  std::vector<std::size_t> cluster_of(points.size());
  std::vector<std::size_t> cluster_size(points.size(), 0);
  std::vector<std::size_t> row_of(points.size(), 0);
  for (std::size_t i = 0; i < points.size(); ++i) {
    cluster_of[i] = i;
    for (std::size_t j = 0; j < i; ++j) {
      if (cluster_of[j] != j) continue;
      const double dx = project_x(points[i]) - project_x(points[j]);
      const double dy = project_y(points[i]) - project_y(points[j]);
      if (dx * dx + dy * dy < 4 * kMarkRadius * kMarkRadius) {
        cluster_of[i] = j;
        break;
      }
    }
    row_of[i] = cluster_size[cluster_of[i]]++;
  }

  for (std::size_t i = 0; i < points.size(); ++i) {
    const PointView& point = points[i];
    const PointView& first = points[cluster_of[i]];
    const std::size_t size = cluster_size[cluster_of[i]];
    // A cluster's mark sits at its first point; each point's own circle
    // stays where the point is.
    const double x = project_x(point), y = project_y(point);
    const double mark_x = project_x(first), mark_y = project_y(first);
    pugi::xml_node mark = panel.append_child("g");
    Attribute(mark, "class", "point");
    pugi::xml_node circle = mark.append_child("circle");
    Attribute(circle, "class", "mark");
    Attribute(circle, "cx", Pixels(x));
    Attribute(circle, "cy", Pixels(y));
    Attribute(circle, "r", Pixels(kMarkRadius));
    Attribute(circle, "fill",
              point.role == "via" ? kViaColour : kDestinationColour);
    // The label goes to the side with room for it; a name too long even
    // there is narrowed to fit, never cut.
    const bool named = !point.name_bytes.empty();
    const std::string text = named ? DisplayText(point.name_bytes) : point.role;
    const double room_right = kWidth - 8 - (mark_x + kMarkRadius + 4);
    const double room_left = mark_x - kMarkRadius - 4 - 8;
    const double indent = size > 1 ? 18 : 0;  // the number before the name
    const double width = TextWidth(text) + indent;
    const bool left =
        mark_x > kWidth / 2 ? width <= room_left || room_left >= room_right
                            : width > room_right && room_left > room_right;
    const double room = left ? room_left : room_right;
    const double start = left ? mark_x - kMarkRadius - 4 : mark_x + kMarkRadius + 4;
    // Rows of a cluster, centred on its mark: a name, and under it the
    // route preference.
    const double rows_top = std::max(
        map_top + 16, std::min(mark_y + 4 - static_cast<double>(size - 1) / 2 *
                                                  kRowHeight,
                               top + height - kScaleHeight - 12 -
                                   static_cast<double>(size - 1) * kRowHeight));
    const double row_y = size > 1 ? rows_top + static_cast<double>(row_of[i]) *
                                                   kRowHeight
                                  : mark_y + 4;
    pugi::xml_node order =
        size > 1 ? Text(mark, "order", left ? start : start + indent / 2,
                        row_y, std::to_string(point.order))
                 : Text(mark, "order", x, y + 4, std::to_string(point.order));
    Attribute(order, "text-anchor",
              size > 1 ? (left ? "end" : "middle") : "middle");
    Attribute(order, "font-size", "11");
    Attribute(order, "font-weight", "bold");
    Attribute(order, "fill", size > 1 ? "#24292f" : "#ffffff");
    // Over the cluster's last circle, so no other covers it.
    if (size > 1 && row_of[i] == size - 1) {
      pugi::xml_node count = Text(mark, "cluster", mark_x, mark_y + 4,
                                  "\xC3\x97" + std::to_string(size));
      Attribute(count, "text-anchor", "middle");
      Attribute(count, "font-size", "10");
      Attribute(count, "font-weight", "bold");
      Attribute(count, "fill", "#ffffff");
    }
    const double label_x =
        size > 1 ? (left ? start - indent : start + indent) : start;
    pugi::xml_node label = Text(mark, "label", label_x, row_y, text);
    if (left) Attribute(label, "text-anchor", "end");
    if (width > room) {
      Attribute(label, "textLength", Pixels(std::max(room - indent, 24.0)));
      Attribute(label, "lengthAdjust", "spacingAndGlyphs");
    }
    Attribute(label, "stroke", "#f6f8fa");
    Attribute(label, "stroke-width", "3");
    Attribute(label, "paint-order", "stroke");
    // An unnamed point (every point of a guide message) shows its role.
    if (!named) Attribute(label, "font-style", "italic");
    pugi::xml_node preference =
        Text(mark, "route", label_x, row_y + 11, point.route);
    if (left) Attribute(preference, "text-anchor", "end");
    Attribute(preference, "font-size", "9");
    Attribute(preference, "fill", "#57606a");
  }

  // The scale bar is true at the mean latitude, where the projection keeps
  // east-west distances.
  const double bottom = top + height - 12;
  const double max_km = kKmPerDegree / scale * (kMapWidth / 3);
  int decimals = 0;
  const double bar_km = ScaleBarKm(max_km, &decimals);
  const double bar_px = bar_km / kKmPerDegree * scale;
  pugi::xml_node bar = panel.append_child("path");
  Attribute(bar, "class", "scale");
  Attribute(bar, "d", "M" + Pixels(16) + ' ' + Pixels(bottom - 6) + " V" +
                          Pixels(bottom) + " H" + Pixels(16 + bar_px) +
                          " V" + Pixels(bottom - 6));
  Attribute(bar, "fill", "none");
  Attribute(bar, "stroke", "#24292f");
  Attribute(bar, "stroke-width", "1.5");
  Text(panel, "scale", 24 + bar_px, bottom, Fixed(bar_km, decimals) + " km");
  const std::string hemisphere = mean_latitude < 0 ? "S" : "N";
  pugi::xml_node note =
      Text(panel, "projection", kWidth - 12, bottom,
           "equirectangular, true to scale at " +
               Fixed(std::fabs(clamped), 1) + "\xC2\xB0" + hemisphere);
  Attribute(note, "text-anchor", "end");
  Attribute(note, "font-size", "10");
  Attribute(note, "fill", "#57606a");
  return height;
}

}  // namespace

double GreatCircleKm(double latitude1, double longitude1, double latitude2,
                     double longitude2) {
  const double to_radians = kPi / 180;
  const double half_dlat = (latitude2 - latitude1) * to_radians / 2;
  const double half_dlon = (longitude2 - longitude1) * to_radians / 2;
  double a = std::sin(half_dlat) * std::sin(half_dlat) +
             std::cos(latitude1 * to_radians) *
                 std::cos(latitude2 * to_radians) * std::sin(half_dlon) *
                 std::sin(half_dlon);
  // Rounding, or a latitude beyond ±90°, can leave the unit interval.
  a = std::max(0.0, std::min(1.0, a));
  return 2 * kEarthRadiusKm * std::asin(std::sqrt(a));
}

std::string SvgText(const std::vector<Outcome>& outcomes) {
  pugi::xml_document document;
  pugi::xml_node declaration = document.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  pugi::xml_node svg = document.append_child("svg");
  Attribute(svg, "xmlns", "http://www.w3.org/2000/svg");
  Attribute(svg, "version", "1.1");

  std::string sources;
  for (const Outcome& outcome : outcomes) {
    if (outcome.result != 0 || !outcome.tool_error.empty()) continue;
    sources += (sources.empty() ? "" : ", ") + ShownText(outcome.source);
  }
  svg.append_child("title").text() =
      XmlSafe("vexa: " + (sources.empty() ? "no points" : sources)).c_str();
  svg.append_child("desc").text() =
      "One panel per input. Each is a plain equirectangular projection "
      "fitted to its points, longitude scaled by the cosine of their mean "
      "latitude; the distances are great-circle distances on a sphere of "
      "6371.0088 km.";
  pugi::xml_node background = svg.append_child("rect");
  Attribute(background, "width", "100%");
  Attribute(background, "height", "100%");
  Attribute(background, "fill", "#ffffff");

  double height = 0;
  for (const Outcome& outcome : outcomes) {
    if (outcome.result != 0 || !outcome.tool_error.empty()) continue;
    height += AddPanel(svg, outcome, height);
  }
  if (sources.empty()) {
    Text(svg, "title", 12, 19, "no points to draw");
    height = kTitleHeight;
  }
  // The size goes first, where a reader looks for it.
  const std::string width_text = Pixels(kWidth), height_text = Pixels(height);
  svg.insert_attribute_after("width", svg.attribute("version")) =
      width_text.c_str();
  svg.insert_attribute_after("height", svg.attribute("width")) =
      height_text.c_str();
  svg.insert_attribute_after("viewBox", svg.attribute("height")) =
      ("0 0 " + width_text + ' ' + height_text).c_str();
  svg.insert_attribute_after("font-family", svg.attribute("viewBox")) =
      "sans-serif";
  svg.insert_attribute_after("font-size", svg.attribute("font-family")) = "12";

  return SavedXml(document);
}

}  // namespace vexa::tool

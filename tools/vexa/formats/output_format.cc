// Output formats of decode and parse (see output_format.h).

#include "formats/output_format.h"

#include <cstdio>
#include <cstring>

#include <pugixml.hpp>

#include "destination/failure_explain.h"
#include "destination/packet_view.h"
#include "formats/svg_picture.h"
#include "formats/xml_document.h"
#include "text/text_codec.h"

namespace vexa::tool {
namespace {

std::string Hex(const unsigned char* bytes, std::size_t size) {
  std::string out;
  char buffer[4];
  for (std::size_t i = 0; i < size; ++i) {
    std::snprintf(buffer, sizeof buffer, "%02x", bytes[i]);
    out += buffer;
  }
  return out;
}

nlohmann::ordered_json PointToJson(const PointView& point) {
  bool exact = true;
  nlohmann::ordered_json j = {
      {"order", point.order},
      {"role", point.role},
      {"latitude", point.latitude},
      {"longitude", point.longitude},
      {"latitudeUnits", point.latitude_units},
      {"longitudeUnits", point.longitude_units},
      {"routeMode", point.route_mode},
      {"route", point.route},
      {"name", CodePageToUtf8(point.name_bytes, &exact)},
  };
  // A name cut in the middle of a character does not decode; the stored
  // bytes are then given as well so nothing is hidden from a script.
  if (!exact) {
    j["nameBytes"] = Hex(reinterpret_cast<const unsigned char*>(
                             point.name_bytes.data()),
                         point.name_bytes.size());
  }
  return j;
}

// JSON strings must be UTF-8: bytes that are not are replaced by U+FFFD
// when dumped, and the raw bytes are given beside them in hex.
std::string Dump(const nlohmann::ordered_json& document) {
  return document.dump(2, ' ', false,
                       nlohmann::ordered_json::error_handler_t::replace);
}

bool IsUtf8(const std::string& text) {
  std::u16string ignored;
  return Utf8ToUtf16(text, &ignored);
}

std::string Coordinate(double degrees) {
  char text[32];
  std::snprintf(text, sizeof text, "%.7f", degrees);
  return text;
}

// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

void PrintCsv(const std::vector<Outcome>& outcomes, bool name_sources,
              std::string* out) {
  *out += name_sources ? "latitude,longitude,name,route,source\n"
                       : "latitude,longitude,name,route\n";
  for (const Outcome& outcome : outcomes) {
    if (outcome.result != 0 || !outcome.tool_error.empty()) continue;
    for (const PointView& point : ViewPoints(outcome.packet)) {
      bool exact = true;
      *out += Coordinate(point.latitude) + ',' + Coordinate(point.longitude) +
              ',' + CsvField(CodePageToUtf8(point.name_bytes, &exact)) + ',' +
              point.route;
      if (name_sources) *out += ',' + CsvField(outcome.source);
      *out += '\n';
    }
  }
}

// Text for an XML document: every byte that is not UTF-8, and every
// character XML 1.0 forbids (control characters other than tab and line
// breaks, U+FFFE, U+FFFF), becomes U+FFFD, so the GPX stays well-formed.
// `exact` tells whether anything was replaced.
std::string XmlText(const std::string& text, bool* exact) {
  std::string out;
  std::u16string units;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t len = 1;
    while (len < 4 && pos + len < text.size() &&
           (static_cast<unsigned char>(text[pos + len]) & 0xC0) == 0x80) {
      ++len;
    }
    // The longest run that starts a character and decodes as one.
    for (; len > 0; --len) {
      if (Utf8ToUtf16(std::string_view(text).substr(pos, len), &units) &&
          units.size() <= 2) {
        break;
      }
    }
    const char16_t first = len > 0 ? units[0] : 0;
    const bool allowed = len > 0 && (first >= 0x20 || first == '\t' ||
                                     first == '\n' || first == '\r') &&
                         first != 0xFFFE && first != 0xFFFF;
    if (allowed) {
      out.append(text, pos, len);
      pos += len;
    } else {
      out += "\xEF\xBF\xBD";
      *exact = false;
      pos += len > 0 ? len : 1;
    }
  }
  return out;
}

// A <name> for `text`; when it had to be changed, a <desc> beside it gives
// the bytes as stored, in hex.
void AddName(pugi::xml_node node, const std::string& text, bool exact,
             const std::string& bytes, const char* what) {
  const std::string shown = XmlText(text, &exact);
  node.append_child("name").text() = shown.c_str();
  if (!exact) {
    const std::string hex =
        std::string(what) + " bytes (hex): " +
        Hex(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    node.append_child("desc").text() = hex.c_str();
  }
}

// A <src> naming the file the points came from, where GPX 1.1 puts it
// (after <name> and <desc>, before <type>).
void AddSource(pugi::xml_node node, const std::string& source) {
  bool exact = true;
  node.append_child("src").text() = XmlText(source, &exact).c_str();
}

void AddPoint(pugi::xml_node parent, const char* element,
              const PointView& point, bool named, const std::string* source) {
  pugi::xml_node node = parent.append_child(element);
  node.append_attribute("lat") = Coordinate(point.latitude).c_str();
  node.append_attribute("lon") = Coordinate(point.longitude).c_str();
  bool exact = true;
  if (named) {
    const std::string name = CodePageToUtf8(point.name_bytes, &exact);
    AddName(node, name, exact, point.name_bytes, "stored name");
    if (source != nullptr) AddSource(node, *source);
    node.append_child("type").text() = point.route.c_str();
  }
}

// GPX 1.1 puts every wpt before the first rte, so the destination lists
// come first and the guide messages after them.
void PrintGpx(const std::vector<Outcome>& outcomes, bool name_sources,
              std::string* out) {
  pugi::xml_document document;
  pugi::xml_node declaration = document.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  pugi::xml_node gpx = document.append_child("gpx");
  gpx.append_attribute("version") = "1.1";
  gpx.append_attribute("creator") = "vexa";
  gpx.append_attribute("xmlns") = "http://www.topografix.com/GPX/1/1";
  for (int pass = 0; pass < 2; ++pass) {
    for (const Outcome& outcome : outcomes) {
      if (outcome.result != 0 || !outcome.tool_error.empty()) continue;
      const auto points = ViewPoints(outcome.packet);
      const std::string* source = name_sources ? &outcome.source : nullptr;
      if (pass == 0 && outcome.packet.kind != GuideMessage) {
        for (const PointView& point : points) {
          AddPoint(gpx, "wpt", point, true, source);
        }
      } else if (pass == 1 && outcome.packet.kind == GuideMessage) {
        pugi::xml_node route = gpx.append_child("rte");
        AddName(route, outcome.source, true, outcome.source, "file name");
        if (source != nullptr) AddSource(route, *source);
        if (!points.empty()) {
          route.append_child("type").text() = points.front().route.c_str();
        }
        for (const PointView& point : points) {
          AddPoint(route, "rtept", point, false, nullptr);
        }
      }
    }
  }
  *out += SavedXml(document);
}

void PrintTable(const Outcome& outcome, std::string* out) {
  const auto points = ViewPoints(outcome.packet);
  // A guide message has a destination, so one without points is a packet
  // that holds nothing yet (the library's reading failed).
  if (outcome.packet.kind == GuideMessage && points.empty()) {
    *out += ShownPath(outcome.source) + ": empty (no packet was read)\n";
    return;
  }
  *out += ShownPath(outcome.source) + ": " + KindName(outcome.packet.kind) +
          " (plan " + std::to_string(outcome.plan) + "), " +
          std::to_string(points.size()) +
          (points.size() == 1 ? " point" : " points");
  if (!outcome.plan_reason.empty()) *out += "; " + outcome.plan_reason;
  *out += '\n';
  if (points.empty()) return;
  char line[256];
  std::snprintf(line, sizeof line,
                "  %-5s %-11s %12s %12s %11s %11s  %-11s  %s", "order", "role",
                "latitude", "longitude", "lat units", "lon units", "route",
                "name");
  *out += std::string(line) + '\n';
  for (const PointView& point : points) {
    std::snprintf(line, sizeof line,
                  "  %-5d %-11s %12.7f %12.7f %11d %11d  %-11s  ", point.order,
                  point.role.c_str(), point.latitude, point.longitude,
                  static_cast<int>(point.latitude_units),
                  static_cast<int>(point.longitude_units),
                  point.route.c_str());
    std::string text = line;
    text += point.name_bytes.empty() ? "-" : DisplayText(point.name_bytes);
    *out += text + '\n';
  }
}

void PrintHexDump(const Outcome& outcome, std::string* out) {
  unsigned char bytes[VEXA_PACKET_SIZE];
  std::memcpy(bytes, &outcome.packet, sizeof bytes);
  char line[96];
  for (std::size_t offset = 0; offset < sizeof bytes; offset += 16) {
    int n = std::snprintf(line, sizeof line, "%08zx ", offset);
    std::string ascii;
    for (std::size_t i = offset; i < offset + 16 && i < sizeof bytes; ++i) {
      if (i == offset + 8) n += std::snprintf(line + n, sizeof line - n, " ");
      n += std::snprintf(line + n, sizeof line - n, " %02x", bytes[i]);
      ascii.push_back(bytes[i] >= 0x20 && bytes[i] < 0x7F
                          ? static_cast<char>(bytes[i])
                          : '.');
    }
    *out += std::string(line) + "  |" + ascii + "|\n";
  }
}

}  // namespace

bool FormatFromName(const std::string& name, Format* format) {
  if (name == "table") *format = Format::kTable;
  else if (name == "json") *format = Format::kJson;
  else if (name == "geojson") *format = Format::kGeoJson;
  else if (name == "hex") *format = Format::kHex;
  else if (name == "gpx") *format = Format::kGpx;
  else if (name == "csv") *format = Format::kCsv;
  else if (name == "svg") *format = Format::kSvg;
  else return false;
  return true;
}

std::string FailureLine(const Outcome& outcome) {
  if (!outcome.tool_error.empty()) {
    return ShownPath(outcome.source) + ": " + outcome.explanation;
  }
  return ShownPath(outcome.source) + ": error " +
         std::to_string(outcome.result) + " (" +
         ResultName(outcome.result) + "): " + outcome.explanation;
}

nlohmann::ordered_json OutcomeToJson(const Outcome& outcome) {
  nlohmann::ordered_json j = {{"source", outcome.source},
                      {"plan", outcome.plan},
                      {"result", outcome.result}};
  if (!IsUtf8(outcome.source)) {
    j["sourceBytes"] = Hex(reinterpret_cast<const unsigned char*>(
                               outcome.source.data()),
                           outcome.source.size());
  }
  if (!outcome.tool_error.empty()) {
    j["result"] = nullptr;
    j["error"] = outcome.tool_error;
    j["message"] = outcome.explanation;
    j["textBytes"] = Hex(reinterpret_cast<const unsigned char*>(
                             outcome.raw_text.data()),
                         outcome.raw_text.size());
    j["warnings"] = nlohmann::ordered_json::array();
    return j;
  }
  if (outcome.result != 0) {
    j["error"] = ResultName(outcome.result);
    j["message"] = outcome.explanation;
    j["warnings"] = outcome.warnings;
    return j;
  }
  j["kind"] = KindIdentifier(outcome.packet.kind);
  j["pointCount"] = outcome.packet.pointCount;
  nlohmann::ordered_json points = nlohmann::ordered_json::array();
  for (const PointView& point : ViewPoints(outcome.packet)) {
    points.push_back(PointToJson(point));
  }
  j["points"] = points;
  // Always there, empty when the input says exactly what the packet holds.
  j["warnings"] = outcome.warnings;
  return j;
}

nlohmann::ordered_json OutcomesToGeoJson(const std::vector<Outcome>& outcomes) {
  nlohmann::ordered_json features = nlohmann::ordered_json::array();
  for (const Outcome& outcome : outcomes) {
    if (outcome.result != 0 || !outcome.tool_error.empty()) continue;
    for (const PointView& point : ViewPoints(outcome.packet)) {
      bool exact = true;
      nlohmann::ordered_json properties = {
          {"source", outcome.source},
          {"role", point.role},
          {"order", point.order},
          {"route", point.route},
          {"routeMode", point.route_mode},
          {"name", CodePageToUtf8(point.name_bytes, &exact)},
      };
      features.push_back({
          {"type", "Feature"},
          {"geometry",
           {{"type", "Point"},
            {"coordinates", {point.longitude, point.latitude}}}},
          {"properties", properties},
      });
    }
  }
  return {{"type", "FeatureCollection"}, {"features", features}};
}

std::string OutcomesText(const std::vector<Outcome>& outcomes, Format format,
                         bool as_list, bool name_sources) {
  std::string out;
  switch (format) {
    case Format::kJson: {
      nlohmann::ordered_json document;
      if (as_list) {
        document = nlohmann::ordered_json::array();
        for (const Outcome& outcome : outcomes) {
          document.push_back(OutcomeToJson(outcome));
        }
      } else if (!outcomes.empty()) {
        document = OutcomeToJson(outcomes.front());
      }
      return Dump(document) + '\n';
    }
    case Format::kGeoJson:
      return Dump(OutcomesToGeoJson(outcomes)) + '\n';
    case Format::kGpx:
      PrintGpx(outcomes, name_sources, &out);
      return out;
    case Format::kCsv:
      PrintCsv(outcomes, name_sources, &out);
      return out;
    case Format::kSvg:
      return SvgText(outcomes);
    case Format::kTable:
    case Format::kHex:
      for (const Outcome& outcome : outcomes) {
        if (outcome.result != 0 || !outcome.tool_error.empty()) continue;
        if (format == Format::kTable) {
          PrintTable(outcome, &out);
        } else {
          PrintHexDump(outcome, &out);
        }
      }
      return out;
  }
  return out;
}

}  // namespace vexa::tool

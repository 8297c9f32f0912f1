// KML out (see kml_export.h).

#include "formats/kml_export.h"

#include <cstdio>
#include <string>

#include <pugixml.hpp>

#include "destination/packet_view.h"
#include "formats/xml_document.h"
#include "text/text_codec.h"

namespace vexa::tool {
namespace {

// The text with every character XML 1.0 forbids (controls but tab and line
// breaks, U+FFFE, U+FFFF) as U+FFFD; the rest is valid UTF-8 already.
std::string XmlSafe(const std::string& text) {
  std::u16string units;
  if (!Utf8ToUtf16(text, &units)) return "\xEF\xBF\xBD";
  for (char16_t& unit : units) {
    const bool control = unit < 0x20 && unit != '\t' && unit != '\n' &&
                         unit != '\r';
    if (control || unit == 0xFFFE || unit == 0xFFFF) unit = 0xFFFD;
  }
  return Utf16ToUtf8(units);
}

std::string Coordinate(double degrees) {
  char text[32];
  std::snprintf(text, sizeof text, "%.7f", degrees);
  return text;
}

}  // namespace

std::string KmlText(const std::vector<Outcome>& outcomes) {
  pugi::xml_document document;
  pugi::xml_node declaration = document.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  pugi::xml_node kml = document.append_child("kml");
  kml.append_attribute("xmlns") = "http://www.opengis.net/kml/2.2";
  pugi::xml_node folders = kml.append_child("Document");
  for (const Outcome& outcome : outcomes) {
    if (outcome.result != 0 || !outcome.tool_error.empty()) continue;
    pugi::xml_node folder = folders.append_child("Folder");
    folder.append_child("name").text() = XmlSafe(outcome.source).c_str();
    for (const PointView& point : ViewPoints(outcome.packet)) {
      bool exact = true;
      const std::string name = CodePageToUtf8(point.name_bytes, &exact);
      pugi::xml_node placemark = folder.append_child("Placemark");
      if (!name.empty()) {
        placemark.append_child("name").text() = XmlSafe(name).c_str();
      }
      placemark.append_child("description").text() =
          (point.role + ", " + point.route).c_str();
      const std::string where =
          Coordinate(point.longitude) + ',' + Coordinate(point.latitude);
      placemark.append_child("Point").append_child("coordinates").text() =
          where.c_str();
    }
  }
  return SavedXml(document);
}

}  // namespace vexa::tool

// The SVG picture, read back with an XML parser: for random packets of both
// plans (names with markup, entities, stray bytes and control characters,
// coordinates anywhere in the 32-bit range) the document is well-formed
// SVG with no script or outside reference, and holds one group per input
// that parsed with a mark, its number and its label per point, each name
// as text, on a map with north up and east right.

#include "formats/svg_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "destination/packet_view.h"
#include "text/text_codec.h"

namespace vexa::tool {
namespace {

std::string RandomName(std::mt19937& random) {
  static const char* const kPieces[] = {
      "Home", "<b>bold</b>", "&amp;", "]]>", "\"'", "<script>x</script>",
      "\xcd\xc6\xbc\xf6",  // a code-page word
      "\xff", "\x01", "\xef\xbf\xbe", " "};
  std::string name;
  const int pieces = std::uniform_int_distribution<int>(0, 6)(random);
  for (int i = 0; i < pieces; ++i) {
    name += kPieces[std::uniform_int_distribution<std::size_t>(
        0, std::size(kPieces) - 1)(random)];
  }
  return name.substr(0, VEXA_NAME_SIZE - 1);
}

Outcome RandomOutcome(std::mt19937& random, int index) {
  Outcome outcome;
  outcome.source = "in<" + std::to_string(index) + ">&.cld";
  outcome.plan = std::uniform_int_distribution<int>(1, 2)(random);
  outcome.packet.kind = outcome.plan == 1 ? GuideMessage : DestinationList;
  outcome.packet.pointCount = std::uniform_int_distribution<std::uint32_t>(
      outcome.plan == 1 ? 1 : 0, outcome.plan == 1 ? 3 : VEXA_MAX_POINTS)(
      random);
  // Points close together, a city apart, or anywhere the units reach.
  const int spread = std::uniform_int_distribution<int>(0, 2)(random);
  const std::int32_t reach = spread == 0 ? 1000 : spread == 1 ? 5000000
                                                              : 2147483647;
  std::uniform_int_distribution<std::int32_t> offset(-reach, reach);
  const std::int32_t base = 300000000;
  for (std::uint32_t i = 0; i < outcome.packet.pointCount; ++i) {
    DestinationEntry& entry = outcome.packet.entries[i];
    entry.latitude = spread == 2 ? offset(random) : base + offset(random);
    entry.longitude = spread == 2 ? offset(random) : base + offset(random);
    if (outcome.plan == 2) {
      const std::string name = RandomName(random);
      std::memcpy(entry.name, name.data(), name.size());
    }
  }
  return outcome;
}

bool HasOutsideReference(pugi::xml_node node) {
  for (pugi::xml_attribute attribute : node.attributes()) {
    const std::string name = attribute.name(), value = attribute.value();
    if (name.find("href") != std::string::npos ||
        value.find("url(") != std::string::npos) {
      return true;
    }
  }
  for (pugi::xml_node child : node.children()) {
    if (HasOutsideReference(child)) return true;
  }
  return false;
}

// A map is north up and east right: of two points clearly apart (a tenth
// of the panel's extent), the northern one is drawn higher and the eastern
// one further right.
void ExpectNorthUpEastRight(const std::vector<PointView>& points,
                            const std::vector<std::pair<double, double>>& at) {
  if (points.size() != at.size() || points.size() < 2) return;
  double min_lat = points[0].latitude, max_lat = min_lat;
  double min_lon = points[0].longitude, max_lon = min_lon;
  for (const PointView& point : points) {
    min_lat = std::min(min_lat, point.latitude);
    max_lat = std::max(max_lat, point.latitude);
    min_lon = std::min(min_lon, point.longitude);
    max_lon = std::max(max_lon, point.longitude);
  }
  for (std::size_t i = 0; i < points.size(); ++i) {
    for (std::size_t j = 0; j < points.size(); ++j) {
      const double north = points[i].latitude - points[j].latitude;
      const double east = points[i].longitude - points[j].longitude;
      if (north > (max_lat - min_lat) / 10 && north > 1e-3) {
        EXPECT_LT(at[i].second, at[j].second)
            << "point " << i + 1 << " is north of point " << j + 1;
      }
      if (east > (max_lon - min_lon) / 10 && east > 1e-3) {
        EXPECT_GT(at[i].first, at[j].first)
            << "point " << i + 1 << " is east of point " << j + 1;
      }
    }
  }
}

TEST(SvgPicture, RandomPacketsGiveOneMarkAndLabelPerPoint) {
  std::mt19937 random(24);
  for (int round = 0; round < 300; ++round) {
    std::vector<Outcome> outcomes;
    const int inputs = std::uniform_int_distribution<int>(1, 3)(random);
    for (int i = 0; i < inputs; ++i) {
      outcomes.push_back(RandomOutcome(random, i));
    }
    Outcome refused;
    refused.source = "refused.cld";
    refused.result = -27;
    outcomes.insert(outcomes.begin() + (round % 2), refused);

    const std::string svg = SvgText(outcomes);
    SCOPED_TRACE("round " + std::to_string(round) + ":\n" + svg);
    pugi::xml_document document;
    // A name of blanks is still a label.
    ASSERT_TRUE(document.load_string(
        svg.c_str(), pugi::parse_default | pugi::parse_ws_pcdata));
    const pugi::xml_node root = document.document_element();
    ASSERT_STREQ(root.name(), "svg");
    EXPECT_STREQ(root.attribute("xmlns").value(), "http://www.w3.org/2000/svg");
    EXPECT_FALSE(root.find_node([](pugi::xml_node node) {
      return std::strcmp(node.name(), "script") == 0;
    }));
    EXPECT_FALSE(HasOutsideReference(root));
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(svg.find("inf"), std::string::npos);

    std::vector<const Outcome*> parsed;
    for (const Outcome& outcome : outcomes) {
      if (outcome.result == 0) parsed.push_back(&outcome);
    }
    std::size_t panel = 0;
    for (const pugi::xml_node group : root.children("g")) {
      ASSERT_STREQ(group.attribute("class").value(), "input");
      ASSERT_LT(panel, parsed.size());
      const Outcome& outcome = *parsed[panel++];
      EXPECT_EQ(std::string(group.child("text").child_value())
                    .rfind(outcome.source + ": ", 0),
                0u);
      const std::vector<PointView> points = ViewPoints(outcome.packet);
      std::vector<std::pair<double, double>> at;  // each mark's x and y
      std::size_t seen = 0;
      for (const pugi::xml_node mark : group.children("g")) {
        ASSERT_LT(seen, points.size());
        const PointView& point = points[seen++];
        const pugi::xml_node circle =
            mark.find_child_by_attribute("circle", "class", "mark");
        EXPECT_TRUE(circle);
        at.emplace_back(circle.attribute("cx").as_double(),
                        circle.attribute("cy").as_double());
        const pugi::xml_node order =
            mark.find_child_by_attribute("text", "class", "order");
        EXPECT_EQ(std::string(order.child_value()),
                  std::to_string(point.order));
        const pugi::xml_node label =
            mark.find_child_by_attribute("text", "class", "label");
        // Markup in a name is text: the label has no element inside.
        EXPECT_FALSE(label.first_child().next_sibling());
        std::string expected = point.name_bytes.empty()
                                   ? point.role
                                   : DisplayText(point.name_bytes);
        for (std::size_t at; (at = expected.find("\xef\xbf\xbe")) !=
                             std::string::npos;) {
          expected.replace(at, 3, "\xef\xbf\xbd");
        }
        EXPECT_EQ(label.child_value(), expected);
      }
      EXPECT_EQ(seen, points.size());
      ExpectNorthUpEastRight(points, at);
    }
    EXPECT_EQ(panel, parsed.size());
  }
}

// Two points a street apart on a map of a country, and a name as long as a
// list allows: each point keeps its number, name and route preference
// readable, and no label runs past the picture's edge.
TEST(SvgPicture, ClosePointsAndLongNamesStayReadable) {
  Outcome outcome;
  outcome.source = "close.cld";
  outcome.plan = 2;
  outcome.packet.kind = DestinationList;
  outcome.packet.pointCount = 3;
  const std::int32_t units[][2] = {
      {300000000, 1000000000}, {300000100, 1000000100}, {330000000, 1050000000}};
  const std::string long_name(VEXA_NAME_SIZE - 1, 'N');
  const char* const names[] = {"Home", "Office", long_name.c_str()};
  for (int i = 0; i < 3; ++i) {
    DestinationEntry& entry = outcome.packet.entries[i];
    entry.latitude = units[i][0];
    entry.longitude = units[i][1];
    entry.routeMode = i;
    std::memcpy(entry.name, names[i], std::strlen(names[i]));
  }
  const std::string svg = SvgText({outcome});
  SCOPED_TRACE(svg);
  pugi::xml_document document;
  ASSERT_TRUE(document.load_string(svg.c_str()));
  const pugi::xml_node panel = document.document_element().child("g");
  const std::vector<PointView> points = ViewPoints(outcome.packet);
  std::vector<std::pair<double, double>> orders;
  std::vector<double> label_rows;
  std::string count;
  std::size_t seen = 0;
  for (const pugi::xml_node mark : panel.children("g")) {
    ASSERT_LT(seen, points.size());
    const PointView& point = points[seen++];
    const pugi::xml_node order =
        mark.find_child_by_attribute("text", "class", "order");
    orders.emplace_back(order.attribute("x").as_double(),
                        order.attribute("y").as_double());
    const pugi::xml_node label =
        mark.find_child_by_attribute("text", "class", "label");
    label_rows.push_back(label.attribute("y").as_double());
    EXPECT_EQ(std::string(mark.find_child_by_attribute("text", "class", "route")
                              .child_value()),
              point.route);
    if (const pugi::xml_node cluster =
            mark.find_child_by_attribute("text", "class", "cluster")) {
      count += cluster.child_value();
    }
    // A label's extent: its textLength when it has one, else at least six
    // pixels a character at the 12-pixel font.
    const double x = label.attribute("x").as_double();
    const double length =
        label.attribute("textLength")
            ? label.attribute("textLength").as_double()
            : 6.0 * static_cast<double>(std::strlen(label.child_value()));
    const bool end = std::strcmp(label.attribute("text-anchor").value(), "end") == 0;
    EXPECT_GE(end ? x - length : x, 0.0) << label.child_value();
    EXPECT_LE(end ? x : x + length, 640.0) << label.child_value();
  }
  EXPECT_EQ(seen, points.size());
  EXPECT_EQ(count, "\xC3\x97" "2");  // one mark counts the two close points
  // The numbers and names of the close points are a line apart at least.
  EXPECT_GE(std::hypot(orders[0].first - orders[1].first,
                       orders[0].second - orders[1].second),
            11.0);
  EXPECT_GE(std::fabs(label_rows[0] - label_rows[1]), 11.0);
}

TEST(SvgPicture, GreatCircleDistances) {
  struct Case {
    double lat1, lon1, lat2, lon2, km;
  } const cases[] = {
      {39.916527, 116.397128, 31.230416, 121.473701, 1068.9},  // two cities
      {0, 0, 90, 0, 10007.5},    // a quarter meridian
      {0, 0, 0, 180, 20015.1},   // antipodes
      {10, 20, 10, 20, 0},
      {120, 0, -120, 0, 13343.4},  // beyond the poles: 120° of arc
  };
  for (const Case& c : cases) {
    const double km = GreatCircleKm(c.lat1, c.lon1, c.lat2, c.lon2);
    EXPECT_TRUE(std::isfinite(km));
    EXPECT_NEAR(km, c.km, 0.5) << c.lat1 << "," << c.lon1 << " to " << c.lat2
                               << "," << c.lon2;
  }
}

}  // namespace
}  // namespace vexa::tool

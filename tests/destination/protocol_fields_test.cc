// Coordinate conversion and route-preference maps, including values that
// must not become coordinates and numbers read under a foreign locale.

#include "destination/protocol_fields.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "vexa/vexa.h"

namespace vexa::destination {
namespace {

struct DecimalCase {
  const char* text;
  std::int32_t units;
};

constexpr DecimalCase kDecimalCases[] = {
    {"116.397128", 1072715932}, {"39.916527", 367870713},
    {"180", 1658880000},        {"-74.0060", -682039295},
    {"-0.0000001", 0},          {"abc", 0},
    {"0", 0},                   {"  121.473701x", 1119501628},
    {"31.230416", 287819514},
    // Half a unit exactly: the x87 unit of 32-bit x86 gave 1072740622.
    {"116.39980712890625", 1072740623},
};

struct MinutesCase {
  const char* text;
  int width;
  std::int32_t units;
};

constexpr MinutesCase kMinutesCases[] = {
    {"3954.5000", 2, 367795200}, {"11623.2000", 3, 1072619520},
    {"1230.5", 2, 115276800},    {"0000.0000", 2, 0},
    {"3950.2500", 2, 367142400}, {"11620.1000", 3, 1072143360},
};

void ExpectAllListedValues() {
  for (const DecimalCase& c : kDecimalCases) {
    EXPECT_EQ(DecimalDegreesToUnits(c.text), c.units) << c.text;
  }
  for (const MinutesCase& c : kMinutesCases) {
    EXPECT_EQ(DegreesMinutesToUnits(c.text, c.width), c.units) << c.text;
  }
}

TEST(Coordinates, ConvertBothNotationsWithHalfUpRounding) {
  ExpectAllListedValues();
}

TEST(Coordinates, NonFiniteOrOutOfRangeValuesAreNoCoordinate) {
  for (const char* text : {"nan", "-nan", "inf", "-infinity", "1e300",
                           "-1e300", "1e999", "233.1", "-233.1"}) {
    EXPECT_EQ(DecimalDegreesToUnits(text), 0) << text;
  }
  // The largest whole degree that still fits.
  EXPECT_EQ(DecimalDegreesToUnits("233"), 2147328000);
  EXPECT_EQ(DecimalDegreesToUnits("-233"), -2147327999);
  for (const char* text : {"121e999", "12-1e999", "99999999", "-99999999",
                           "121e300"}) {
    EXPECT_EQ(DegreesMinutesToUnits(text, 2), 0) << text;
  }
  // "nan" and "inf" are no numbers at all: 12 degrees and no minutes.
  EXPECT_EQ(DegreesMinutesToUnits("12nan", 2), 110592000);
  EXPECT_EQ(DegreesMinutesToUnits("12inf", 2), 110592000);
}

TEST(Coordinates, ShortDegreesMinutesFieldHasNoMinutes) {
  EXPECT_EQ(DegreesMinutesToUnits("5", 2), 46080000);
  EXPECT_EQ(DegreesMinutesToUnits("12", 3), 110592000);
  EXPECT_EQ(DegreesMinutesToUnits("", 2), 0);
  // Whatever follows the terminator is not part of the field.
  const char field_then_junk[] = "1\0" "30.5";
  EXPECT_EQ(DegreesMinutesToUnits(field_then_junk, 3), 9216000);
}

TEST(Coordinates, MinutesStartAtWidthWhateverTheScanRead) {
  // The scan skips the space and reads "12"; the minutes are "230.5".
  EXPECT_EQ(DegreesMinutesToUnits(" 1230.5", 2), 145996800);
  // "-1" degrees and 30 minutes: -0.5 degree, the half added before the cut.
  EXPECT_EQ(DegreesMinutesToUnits("-130", 2), -4607999);
}

TEST(Coordinates, DegreesFollowTheRulesOfTheFormattedScan) {
  // The degrees are read like sscanf("%2d"/"%3d"): white space skipped, at
  // most `width` characters with the sign counted, no digits giving 0.
  for (const char* field : {"+1230", "-1230", "- 130", "+-12", "\t\n 0930",
                            "1x30", "x130", "123456", "-12345", "+", "-",
                            "  ", "007.5"}) {
    for (int width : {2, 3}) {
      int degrees = 0;
      std::sscanf(field, width == 2 ? "%2d" : "%3d", &degrees);
      const char* rest = std::strlen(field) >= static_cast<std::size_t>(width)
                             ? field + width
                             : "";
      const double expected =
          (static_cast<double>(degrees) * 3600.0 + std::atof(rest) * 60.0) *
              2560.0 + 0.5;
      EXPECT_EQ(DegreesMinutesToUnits(field, width),
                static_cast<std::int32_t>(expected))
          << "'" << field << "' width " << width;
    }
  }
}

// Rounding against exact integer arithmetic over generated texts: a degree
// is 9,216,000 units, so n millionths of a degree are n × 9.216 units and m
// hundred-thousandths of a minute m × 1.536 units. Adding one half and
// truncating toward zero is an integer division of the thousandths. One
// value in 125 lies 0.004 units above a half (or, negative, below one).
TEST(Coordinates, AddOneHalfThenTruncateOverGeneratedTexts) {
  std::uint32_t seed = 1;
  for (int i = 0; i < 4000; ++i) {
    seed = seed * 1103515245u + 12345u;
    const long long n = static_cast<long long>(seed % 360000001u) - 180000000;
    const long long m = seed % 6000000, degrees = seed % 90;
    char text[32];
    std::snprintf(text, sizeof text, "%s%lld.%06lld", n < 0 ? "-" : "",
                  std::llabs(n) / 1000000, std::llabs(n) % 1000000);
    EXPECT_EQ(DecimalDegreesToUnits(text), (n * 9216 + 500) / 1000) << text;
    std::snprintf(text, sizeof text, "%02lld%02lld.%05lld", degrees,
                  m / 100000, m % 100000);
    EXPECT_EQ(DegreesMinutesToUnits(text, 2),
              (degrees * 9216000000 + m * 1536 + 500) / 1000) << text;
  }
}

TEST(Coordinates, DecimalCommaLocaleChangesNothing) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "locale de_DE.UTF-8 is not available";
  }
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  ExpectAllListedValues();
  EXPECT_EQ(DecimalDegreesToUnits("116,397128"), 1069056000);  // stops at ','
  std::setlocale(LC_ALL, saved.c_str());
}

// The digits and the words in use are exercised by the plans' tests; what
// they cannot show is that only the whole word matches.
TEST(RouteModes, OnlyWholeWordMatches) {
  for (const char* text : {"\xCD\xC6\xBC\xF6 ", "\xCD\xC6", "",
                           "\xE6\x8E\xA8\xE8\x8D\x90" /* UTF-8 */}) {
    EXPECT_EQ(RouteModeFromWord(text), -1) << text;
  }
  EXPECT_EQ(RouteModeFromDigit('\0'), -1);
}

}  // namespace
}  // namespace vexa::destination

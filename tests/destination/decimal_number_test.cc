// The number reader of destination text: the decimal notation alone,
// correctly rounded.

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "destination/decimal_number.h"
#include "destination/protocol_fields.h"

namespace vexa::destination {
namespace {

TEST(ReadDecimalNumber, ReadsTheDecimalPrefix) {
  const struct {
    const char* text;
    double value;
  } kCases[] = {
      {"3954.5000", 3954.5},   {"  -11623.2,B1", -11623.2}, {"+1.5e3x", 1500.0},
      {".5", 0.5},             {"5.", 5.0},                 {"7e", 7.0},
      {"7e+x", 7.0},           {"1E-2", 0.01},              {"\t\n\v\f\r 2", 2.0},
      // No 'd' exponent, no hexadecimal, infinity or NaN form.
      {"39.9d1", 39.9},        {"3D2", 3.0},                {"0x10", 0.0},
      {"-0X1p4", -0.0},        {"inf", 0.0},                {" -infinity", 0.0},
      {"nan(1)", 0.0},         {"+.", 0.0},                 {"B1", 0.0},
      {"", 0.0},               {nullptr, 0.0},
      // Correctly rounded however long the digits run.
      {"0.1000000000000000055511151231257827021181583404541015625", 0.1},
      {"39.916527000000000000000000000000000000001", 39.916527},
  };
  for (const auto& c : kCases) {
    const double value = ReadDecimalNumber(c.text);
    // EXPECT_EQ takes -0.0 for 0.0: the sign is checked on its own.
    EXPECT_EQ(value, c.value) << (c.text ? c.text : "(null)");
    EXPECT_EQ(std::signbit(value), std::signbit(c.value)) << (c.text ? c.text : "(null)");
  }
}

// Halfway between two doubles the tie goes to the even one, and one more
// digit anywhere behind decides it: the smallest subnormal and half of it,
// and a tie just above 2^-1009 whose exact decimal form has 759 digits.
TEST(ReadDecimalNumber, RoundsHalfwayCasesToEven) {
  const std::string tie =
      "1."
      "8227805048890995753968071786132899041309592900182163563177809707414213"
      "8171945733832051654174055379207289693843376701514009377331971057710873"
      "3433907894367863208489778317673589661668755536515809275764858037398368"
      "7299626543344074882893276464270746156748478753143891552440267388422723"
      "4405783955440997927505687835847420252879581192376399786604913506025532"
      "4851114588974550378903217913206693822268779982136522484338896912453630"
      "3400360212423927446067645965629936208836945307056179015658813884443746"
      "9960453624261269411219114764383233067373528902050533770859942217334910"
      "7394152061452042355978452273922193295150509025253909913755439562734512"
      "7295024219911057541823890783912178519876116041483753696140773789298046"
      "4321086558001521783778375862539178342558443546295166015625";
  ASSERT_EQ(tie.size(), 759u + 1u);
  const struct {
    std::string text;
    double value;
  } kCases[] = {
      {"4.9406564584124654e-324", 0x1p-1074},
      {"2.4703282292062327e-324", 0.0},  // just below half of it
      {"2.4703282292062328e-324", 0x1p-1074},
      {"-2.4703282292062328e-324", -0x1p-1074},
      {tie + "e-304", 0x1p-1009},
      {tie + "0000000001e-304", 0x1.0000000000001p-1009},
      {tie.substr(0, tie.size() - 1) + "4e-304", 0x1p-1009},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(ReadDecimalNumber(c.text.c_str()), c.value) << c.text.substr(0, 24);
  }
}

TEST(ReadDecimalNumber, CoordinatesStopAtADExponent) {
  EXPECT_EQ(DecimalDegreesToUnits("39.9d1"), DecimalDegreesToUnits("39.9"));
  EXPECT_EQ(DegreesMinutesToUnits("3954.5d1", 2), 367795200);  // 39 degrees 54.5 minutes
}

TEST(ReadDecimalNumber, OutOfRangeIsInfinityOrZeroWithItsSign) {
  EXPECT_EQ(ReadDecimalNumber("1e999"), HUGE_VAL);
  EXPECT_EQ(ReadDecimalNumber("-1e99999999999999999999"), -HUGE_VAL);
  EXPECT_EQ(ReadDecimalNumber(std::string(400, '9').c_str()), HUGE_VAL);
  EXPECT_EQ(ReadDecimalNumber("0.0000001e-400"), 0.0);
  EXPECT_TRUE(std::signbit(ReadDecimalNumber("-1e-999")));
  EXPECT_EQ(ReadDecimalNumber(("0." + std::string(400, '0') + "1e400").c_str()), 0.1);
  // Neither is a coordinate.
  EXPECT_EQ(DecimalDegreesToUnits("1e999"), 0);
  EXPECT_EQ(DegreesMinutesToUnits("391e999", 2), 0);
  EXPECT_EQ(DegreesMinutesToUnits("391e-999", 2), 359424000);
}

}  // namespace
}  // namespace vexa::destination

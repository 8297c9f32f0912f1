// The number reader of destination text: the decimal notation alone, read
// the same whatever the caller's locale, without allocating.

#include <clocale>
#include <cmath>

#include <gtest/gtest.h>

#include "destination/decimal_number.h"
#include "destination/protocol_fields.h"
#include "support/alloc_hooks.h"

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
    EXPECT_EQ(ReadDecimalNumber(c.text), c.value) << (c.text ? c.text : "(null)");
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

TEST(ReadDecimalNumber, DecimalCommaLocaleChangesNothing) {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr &&
      std::setlocale(LC_ALL, "de_DE.utf8") == nullptr) {
    GTEST_SKIP() << "no locale with a decimal comma is installed";
  }
  EXPECT_EQ(ReadDecimalNumber("3954.5000"), 3954.5);
  EXPECT_EQ(ReadDecimalNumber("3954,5000"), 3954.0);
  std::setlocale(LC_ALL, "C");
}

TEST(ReadDecimalNumber, MakesNoHeapAllocation) {
  test::AllocationCounter counter;
  for (int i = 0; i < 10; ++i) ReadDecimalNumber("11623.2000e0");
  EXPECT_EQ(counter.count(), 0u);
}

}  // namespace
}  // namespace vexa::destination

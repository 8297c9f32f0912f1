// The locale-independent number reader: strtod's rules in the "C" locale
// whatever locale the process has set.

#include <clocale>
#include <cmath>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/alloc_hooks.h"

namespace vexa::platform {
namespace {

TEST(ReadDoubleC, ReadsByTheRulesOfStrtod) {
  EXPECT_DOUBLE_EQ(ReadDoubleC("3954.5000"), 3954.5);
  EXPECT_DOUBLE_EQ(ReadDoubleC("  -11623.2,B1"), -11623.2);
  EXPECT_DOUBLE_EQ(ReadDoubleC("+1.5e3x"), 1500.0);
  EXPECT_DOUBLE_EQ(ReadDoubleC(".5"), 0.5);
  EXPECT_DOUBLE_EQ(ReadDoubleC("7e"), 7.0);
  EXPECT_DOUBLE_EQ(ReadDoubleC("7e+x"), 7.0);
  EXPECT_TRUE(std::isinf(ReadDoubleC("1e999")));
  EXPECT_EQ(ReadDoubleC("B1"), 0.0);
  EXPECT_EQ(ReadDoubleC(""), 0.0);
  EXPECT_EQ(ReadDoubleC(nullptr), 0.0);
}

TEST(ReadDoubleC, ReadsOnlyTheDecimalNotation) {
  // The head unit's runtime knows no hexadecimal, infinity or NaN forms;
  // a newer strtod would read "0x10" as 16.
  EXPECT_EQ(ReadDoubleC("0x10"), 0.0);
  EXPECT_EQ(ReadDoubleC("-0X1p4"), 0.0);
  EXPECT_EQ(ReadDoubleC("inf"), 0.0);
  EXPECT_EQ(ReadDoubleC(" -infinity"), 0.0);
  EXPECT_EQ(ReadDoubleC("nan(1)"), 0.0);
  EXPECT_EQ(ReadDoubleC("+."), 0.0);
}

TEST(ReadDoubleC, DecimalCommaLocaleChangesNothing) {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr &&
      std::setlocale(LC_ALL, "de_DE.utf8") == nullptr) {
    GTEST_SKIP() << "no locale with a decimal comma is installed";
  }
  EXPECT_DOUBLE_EQ(ReadDoubleC("3954.5000"), 3954.5);
  EXPECT_DOUBLE_EQ(ReadDoubleC("3954,5000"), 3954.0);
  std::setlocale(LC_ALL, "C");
}

TEST(ReadDoubleC, MakesNoHeapAllocationAfterTheFirstCall) {
  ReadDoubleC("1");
  test::AllocationCounter counter;
  for (int i = 0; i < 10; ++i) ReadDoubleC("11623.2000");
  EXPECT_EQ(counter.count(), 0u);
}

}  // namespace
}  // namespace vexa::platform

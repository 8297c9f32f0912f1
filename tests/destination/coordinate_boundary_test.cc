// Coordinates exactly on a rounding boundary against an exact model of the
// double steps. A value of an odd number of half units lands on an integer
// when 0.5 is added, so a step that keeps more precision than a double
// (the x87 unit of 32-bit x86) or rounds wrongly moves it across the cut.
// Decimal degrees j / 2,048,000 and minutes j / 102,400 (j odd) are such
// values, with at most 14 and 12 decimals. The model rounds each step to
// the nearest double (ties to even) in integer arithmetic of its own.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "destination/protocol_fields.h"

namespace vexa::destination {
namespace {

// An unsigned integer as its bits (0 or 1), least significant first: slow,
// but plainly right, which is what a model needs.
using Bits = std::vector<std::uint8_t>;

Bits Trim(Bits b) {
  while (!b.empty() && !b.back()) b.pop_back();
  return b;
}

Bits FromU64(std::uint64_t v) {
  Bits b;
  for (; v != 0; v >>= 1) b.push_back(static_cast<std::uint8_t>(v & 1));
  return b;
}

Bits Shifted(Bits b, int n) {
  b.insert(b.begin(), static_cast<std::size_t>(n), 0);
  return b;
}

Bits Sum(const Bits& a, const Bits& b) {
  Bits sum;
  int carry = 0;
  for (std::size_t i = 0; i < std::max(a.size(), b.size()) || carry != 0; ++i) {
    const int s = (i < a.size() ? a[i] : 0) + (i < b.size() ? b[i] : 0) + carry;
    sum.push_back(static_cast<std::uint8_t>(s & 1));
    carry = s >> 1;
  }
  return sum;
}

// a - b for a >= b.
Bits Difference(const Bits& a, const Bits& b) {
  Bits difference;
  int borrow = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const int d = a[i] - (i < b.size() ? b[i] : 0) - borrow;
    difference.push_back(static_cast<std::uint8_t>(d & 1));
    borrow = d < 0;
  }
  return difference;
}

bool Less(Bits a, Bits b) {
  a = Trim(a);
  b = Trim(b);
  if (a.size() != b.size()) return a.size() < b.size();
  return std::lexicographical_compare(a.rbegin(), a.rend(), b.rbegin(), b.rend());
}

// ±magnitude × 2^exponent.
struct Exact {
  bool negative = false;
  Bits magnitude;
  int exponent = 0;
};

// To the nearest double, ties to even (nothing here is subnormal or huge).
Exact Round(Exact x) {
  const Bits m = Trim(x.magnitude);
  if (m.size() <= 53) {
    x.magnitude = m;
    return x;
  }
  const std::size_t cut = m.size() - 53;
  const auto half = m.begin() + static_cast<std::ptrdiff_t>(cut - 1);
  const bool below_half = std::find(m.begin(), half, 1) != half;
  Bits kept(half + 1, m.end());
  if (*half == 1 && (below_half || kept[0] == 1)) kept = Sum(kept, FromU64(1));
  x.magnitude = kept;
  x.exponent += static_cast<int>(cut);
  return Round(x);  // a carry to 2^53 drops one more bit, a zero
}

// n / d rounded: the quotient to 80 bits below the point, then one bit
// that says whether a remainder was left, which decides ties only.
Exact Quotient(std::int64_t n, std::uint64_t d) {
  const Bits numerator = Shifted(FromU64(n < 0 ? -static_cast<std::uint64_t>(n) : n), 80);
  Bits quotient(numerator.size());
  std::uint64_t remainder = 0;
  for (std::size_t i = numerator.size(); i-- > 0;) {
    remainder = remainder * 2 + numerator[i];
    if (remainder >= d) {
      remainder -= d;
      quotient[i] = 1;
    }
  }
  quotient.insert(quotient.begin(), remainder != 0 ? 1 : 0);
  return Round({n < 0, quotient, -81});
}

Exact Times(const Exact& x, unsigned factor) {
  Exact product{x.negative, {}, x.exponent};
  for (int i = 0; (factor >> i) != 0; ++i) {
    if ((factor >> i) & 1) product.magnitude = Sum(product.magnitude, Shifted(x.magnitude, i));
  }
  return Round(product);
}

Exact Plus(Exact a, Exact b) {
  const int exponent = std::min(a.exponent, b.exponent);
  a.magnitude = Shifted(a.magnitude, a.exponent - exponent);
  b.magnitude = Shifted(b.magnitude, b.exponent - exponent);
  if (a.negative == b.negative) return Round({a.negative, Sum(a.magnitude, b.magnitude), exponent});
  if (Less(a.magnitude, b.magnitude)) std::swap(a, b);
  return Round({a.negative, Difference(a.magnitude, b.magnitude), exponent});
}

// r + 0.5 truncated toward zero; 0 when that does not fit 32 bits.
std::int32_t Units(const Exact& r) {
  const Exact sum = Plus(r, {false, {1}, -1});
  Bits whole = sum.magnitude;
  if (sum.exponent >= 0) {
    whole = Shifted(whole, sum.exponent);
  } else {
    const auto fraction = std::min<std::size_t>(whole.size(), static_cast<std::size_t>(-sum.exponent));
    whole.erase(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(fraction));
  }
  whole = Trim(whole);
  if (whole.size() > 32) return 0;
  std::int64_t t = 0;
  for (std::size_t i = whole.size(); i-- > 0;) t = t * 2 + whole[i];
  if (sum.negative) t = -t;
  return t < INT32_MIN || t > INT32_MAX ? 0 : static_cast<std::int32_t>(t);
}

constexpr int kInputs = 2000;

// Some beyond 233 degrees, where the units leave 32 bits.
TEST(CoordinateBoundaries, DecimalDegreesTakeTheDoubleSteps) {
  std::mt19937_64 random(23);
  for (int i = 0; i < kInputs; ++i) {
    const std::int64_t magnitude = static_cast<std::int64_t>(random() % (240 * 1024000)) * 2 + 1;
    const std::int64_t j = random() % 2 == 0 ? magnitude : -magnitude;
    char text[40];
    std::snprintf(text, sizeof text, "%s%lld.%014lld", j < 0 ? "-" : "",
                  static_cast<long long>(magnitude / 2048000),
                  static_cast<long long>(magnitude % 2048000 * 48828125));
    const Exact degrees = Quotient(j, 2048000);
    EXPECT_EQ(DecimalDegreesToUnits(text), Units(Times(Times(degrees, 3600), 2560))) << text;
  }
}

// Signed degrees ("-5", "-12"), signed minutes, both widths.
TEST(CoordinateBoundaries, DegreesMinutesTakeTheDoubleSteps) {
  std::mt19937_64 random(32);
  for (int i = 0; i < kInputs; ++i) {
    const int width = 2 + static_cast<int>(random() % 2);
    const bool negative_degrees = random() % 3 == 0;
    const int degrees = static_cast<int>(random() % (negative_degrees ? (width == 2 ? 10 : 100)
                                                                      : (width == 2 ? 100 : 240)));
    const std::int64_t magnitude = static_cast<std::int64_t>(random() % (60 * 51200)) * 2 + 1;
    const std::int64_t j = random() % 4 == 0 ? -magnitude : magnitude;
    char text[40];
    std::snprintf(text, sizeof text, "%s%0*d%s%02lld.%012lld", negative_degrees ? "-" : "",
                  negative_degrees ? width - 1 : width, degrees, j < 0 ? "-" : "",
                  static_cast<long long>(magnitude / 102400),
                  static_cast<long long>(magnitude % 102400 * 9765625));
    const Exact seconds = Plus(Times(Quotient(negative_degrees ? -degrees : degrees, 1), 3600),
                               Times(Quotient(j, 102400), 60));
    EXPECT_EQ(DegreesMinutesToUnits(text, width), Units(Times(seconds, 2560)))
        << text << " width " << width;
  }
}

}  // namespace
}  // namespace vexa::destination

// One run of a code-page difference table: keys `first` to `last` map to
// `value`, `value` + 1, ... (step 1) or all to `value` (step 0). A key or
// value is a UTF-16 unit, a single byte, or a lead byte << 8 | trail byte.

#ifndef VEXA_SRC_PLATFORM_HOST_CODE_PAGE_RANGE_H_
#define VEXA_SRC_PLATFORM_HOST_CODE_PAGE_RANGE_H_

#include <cstddef>
#include <cstdint>

namespace vexa::platform::host {

struct CodePageRange {
  std::uint16_t first;
  std::uint16_t last;
  std::uint16_t value;
  std::uint16_t step;
};

// The value for `key` in a table sorted by `first` with disjoint runs;
// false when no run holds the key.
template <std::size_t N>
bool LookUpRange(const CodePageRange (&table)[N], unsigned key, unsigned* value) {
  std::size_t low = 0;
  std::size_t high = N;
  while (low < high) {
    const std::size_t mid = low + (high - low) / 2;
    if (table[mid].last < key) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  if (low == N || table[low].first > key) return false;
  *value = table[low].value + table[low].step * (key - table[low].first);
  return true;
}

// Which blocks of 256 keys (key >> 8) a table touches, so that a lookup can
// be skipped for a key in a block that it does not.
struct RangeBlocks {
  std::uint32_t words[8];
  constexpr bool Has(unsigned key) const {
    return ((words[(key >> 13) & 7] >> ((key >> 8) & 31)) & 1u) != 0;
  }
};

template <std::size_t N>
constexpr RangeBlocks BlocksOf(const CodePageRange (&table)[N]) {
  RangeBlocks blocks = {};
  for (std::size_t i = 0; i < N; ++i) {
    for (unsigned block = table[i].first >> 8; block <= (table[i].last >> 8u); ++block) {
      blocks.words[block >> 5] |= 1u << (block & 31);
    }
  }
  return blocks;
}

// Whether a table is sorted, with disjoint runs (for static_assert).
template <std::size_t N>
constexpr bool RangesAreSorted(const CodePageRange (&table)[N]) {
  for (std::size_t i = 0; i < N; ++i) {
    if (table[i].first > table[i].last) return false;
    if (i > 0 && table[i - 1].last >= table[i].first) return false;
  }
  return true;
}

}  // namespace vexa::platform::host

#endif  // VEXA_SRC_PLATFORM_HOST_CODE_PAGE_RANGE_H_

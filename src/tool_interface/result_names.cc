#include "tool_interface/result_names.h"

#include <cstddef>

namespace vexa::tool_interface {
namespace {

constexpr bool CodesAreDistinct() {
  constexpr std::size_t n = sizeof kResultCodeNames / sizeof *kResultCodeNames;
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = i + 1; j < n; ++j) {
      if (kResultCodeNames[i].code == kResultCodeNames[j].code) return false;
    }
  }
  return true;
}

// Two names for one code would make the name a code gets depend on the
// table's order.
static_assert(CodesAreDistinct(), "two result codes share a value");

}  // namespace

const char* ResultName(int code) {
  for (const ResultCodeName& entry : kResultCodeNames) {
    if (entry.code == code) return entry.name;
  }
  return "unknown";
}

}  // namespace vexa::tool_interface

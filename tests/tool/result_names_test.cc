// The names the tool gives result codes come from a table generated from
// include/vexa/vexa.h. Read independently here, the header's #defines and
// the table must list the same names with the same values, in the same
// order, so neither a code the generator misses nor a stale table passes.

#include "tool_interface/result_names.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace vexa::tool_interface {
namespace {

std::vector<std::pair<std::string, int>> HeaderCodes() {
  std::ifstream header(VEXA_PUBLIC_HEADER);
  const std::regex define(
      R"(^#define (VEXA_(?:OK|E_[A-Z0-9_]+))\s+\(?\s*(-?[0-9]+)\s*\)?)");
  std::vector<std::pair<std::string, int>> codes;
  std::smatch match;
  for (std::string line; std::getline(header, line);) {
    if (std::regex_search(line, match, define)) {
      codes.emplace_back(match[1], std::stoi(match[2]));
    }
  }
  return codes;
}

TEST(ResultNames, TableIsTheHeadersCodes) {
  const auto header = HeaderCodes();
  ASSERT_GT(header.size(), 20u) << "read " << VEXA_PUBLIC_HEADER;
  std::vector<std::pair<std::string, int>> table;
  for (const ResultCodeName& entry : kResultCodeNames) {
    table.emplace_back(entry.name, entry.code);
  }
  EXPECT_EQ(table, header);
  for (const auto& [name, code] : header) EXPECT_EQ(ResultName(code), name);
  EXPECT_STREQ(ResultName(-999), "unknown");
}

}  // namespace
}  // namespace vexa::tool_interface

// Explaining XML parse failures (see xml_failure.h).

#include "formats/xml_failure.h"

#include <algorithm>

namespace vexa::tool {
namespace {

std::string LineAndColumn(std::string_view bytes, std::size_t offset) {
  const std::string_view before = bytes.substr(0, offset);
  const std::size_t line_start = before.rfind('\n');
  const std::size_t line =
      1 + static_cast<std::size_t>(
              std::count(before.begin(), before.end(), '\n'));
  const std::size_t column =
      offset - (line_start == std::string_view::npos ? 0 : line_start + 1) +
      1;
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

std::string XmlFailure(std::string_view bytes,
                       const pugi::xml_parse_result& parsed) {
  const std::size_t offset =
      std::min(static_cast<std::size_t>(std::max<std::ptrdiff_t>(
                   parsed.offset, 0)),
               bytes.size());
  std::size_t end = bytes.size();
  while (end > 0 && (bytes[end - 1] == '\n' || bytes[end - 1] == '\r' ||
                     bytes[end - 1] == ' ' || bytes[end - 1] == '\t')) {
    --end;
  }
  // A document cut off breaks at its end: the parser stops at the last
  // byte (elements left open) or inside a tag that is never completed. A
  // wrong tag further back is followed by more.
  if (offset + 1 >= end ||
      bytes.substr(offset, end - offset).find('>') == std::string_view::npos) {
    return "is truncated: it ends at " + LineAndColumn(bytes, end) +
           " before its elements are closed (a copy or download that "
           "stopped?)";
  }
  return std::string("is not well-formed XML: ") + parsed.description() +
         " at " + LineAndColumn(bytes, offset);
}

}  // namespace vexa::tool

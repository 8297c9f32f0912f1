// What went wrong with an XML document that does not parse, in words a
// person preparing files understands: a document cut off before its
// elements are closed (a download or copy that stopped) is called
// truncated, rather than given the parser's view of its last tag.

#ifndef VEXA_TOOLS_VEXA_FORMATS_XML_FAILURE_H_
#define VEXA_TOOLS_VEXA_FORMATS_XML_FAILURE_H_

#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace vexa::tool {

// The rest of the sentence "'FILE' ..." for `bytes`, on which the parser
// gave `parsed`: "is truncated: ..." or "is not well-formed XML: ...", with
// the line and column.
std::string XmlFailure(std::string_view bytes,
                       const pugi::xml_parse_result& parsed);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_FORMATS_XML_FAILURE_H_

// The XML under GPX and KML: one loader that turns the file's bytes into a
// document (any encoding input_text.h reads), refuses what is not
// well-formed with its line and column (an entity XML does not define
// included: the parser underneath would keep "&nbsp;" as text), and never
// expands or fetches a DOCTYPE's entities; and the element helpers both
// readers use. Element names are matched without a namespace prefix, so
// files with and without a default namespace read alike.

#ifndef VEXA_TOOLS_VEXA_FORMATS_XML_DOCUMENT_H_
#define VEXA_TOOLS_VEXA_FORMATS_XML_DOCUMENT_H_

#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "formats/input_text.h"

namespace vexa::tool {

// Loads `bytes` into `document`. On failure false with a message that
// begins with `source` (the input's name for messages).
bool LoadXml(std::string_view bytes, const std::string& source,
             pugi::xml_document* document, std::string* error,
             const InputEncoding& encoding = {});

// The document's root element (null when there is none).
pugi::xml_node RootElement(const pugi::xml_document& document);

// The element's name without a namespace prefix ("gpx:rtept" -> "rtept").
const char* LocalName(const pugi::xml_node& node);

// Whether `node` is an element named `name` (after any prefix).
bool Is(const pugi::xml_node& node, const char* name);

// The child elements named `name`, in order.
std::vector<pugi::xml_node> Children(const pugi::xml_node& parent,
                                     const char* name);

// The first child element named `name` (null when there is none).
pugi::xml_node Child(const pugi::xml_node& parent, const char* name);

// The whole text below an element (text and CDATA pieces, in order, so a
// comment or a CDATA section inside a name does not cut it), without the
// blanks around it.
std::string Trimmed(const pugi::xml_node& node);

// The document as the tool writes it: UTF-8, indented by two spaces.
std::string SavedXml(const pugi::xml_document& document);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_FORMATS_XML_DOCUMENT_H_

// The text of an interchange file as UTF-8, whatever the program that wrote
// it chose: UTF-8 with or without a byte-order mark, UTF-16 with one, or
// the head unit's code page (936, GBK), in which a Chinese spreadsheet saves
// its CSV. XML files may also declare ISO-8859-1 or GB2312/GBK/GB18030.
// Every reader of formats/ works on the UTF-8 these give.

#ifndef VEXA_TOOLS_VEXA_FORMATS_INPUT_TEXT_H_
#define VEXA_TOOLS_VEXA_FORMATS_INPUT_TEXT_H_

#include <string>
#include <string_view>

namespace vexa::tool {

// Text without a declared encoding (CSV, GeoJSON): a UTF-8 mark is
// dropped, UTF-16 after its mark converted; text that is valid UTF-8 is
// kept; anything else is read in the code page. `encoding` names what was
// read ("UTF-8", "UTF-16", "code page 936"). False with a message naming
// the line that none of them reads.
bool DecodeText(std::string_view bytes, std::string* utf8,
                std::string* encoding, std::string* error);

// An XML document's bytes as UTF-8: a byte-order mark, else the encoding
// its declaration names, else UTF-8. False with a message for an encoding
// the tool cannot read or bytes that are not in the declared one.
bool DecodeXml(std::string_view bytes, std::string* utf8, std::string* error);

// A value from the user's file for a message: at most about 40 characters
// (cut on a character boundary, "..." marks the cut), escaped as ShownText
// escapes.
std::string ShownValue(std::string_view text);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_FORMATS_INPUT_TEXT_H_

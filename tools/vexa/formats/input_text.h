// The text of an interchange file as UTF-8, whatever the program that wrote
// it chose: UTF-8 with or without a byte-order mark, UTF-16, or the head
// unit's code page (936, GBK), in which a Chinese spreadsheet saves its CSV;
// another (a Western spreadsheet's 1252) when the user names it. XML files
// may also declare ISO-8859-1, windows-1250 to 1258 or GB2312/GBK/GB18030.
// Every reader of formats/ works on the UTF-8 these give.

#ifndef VEXA_TOOLS_VEXA_FORMATS_INPUT_TEXT_H_
#define VEXA_TOOLS_VEXA_FORMATS_INPUT_TEXT_H_

#include <string>
#include <string_view>
#include <vector>

namespace vexa::tool {

// The encoding of an interchange file as the user named it
// (--input-encoding), or kDetect to let the bytes tell.
struct InputEncoding {
  enum class Kind { kDetect, kUtf8, kUtf16, kCodePage, kLatin1 };
  Kind kind = Kind::kDetect;
  unsigned code_page = 0;  // kCodePage: 874, 936, 1250 to 1258
  // Text whose encoding only a guess tells (not UTF-8, read in the code
  // page) is refused instead (--strict).
  bool refuse_guess = false;
};

// The encoding `name` names, in any letter case: UTF-8, UTF-16 (UTF-16LE,
// UTF-16BE), ISO-8859-1 (latin1), or a code page as a number (936, 1252),
// cpNNN or windows-NNN, and GBK for 936. False for anything else, or a
// code page the tool has no business with (not 874, 936 or 1250 to 1258).
bool InputEncodingFromName(std::string_view name, InputEncoding* encoding);

// Text without a declared encoding (CSV, GeoJSON): a byte-order mark tells
// UTF-8 or UTF-16, else an encoding the user named; else UTF-16 without a
// mark is told by its zero bytes, and text that is valid UTF-8 is kept.
// Anything else is read in the code page when it is plausible there (a
// guess: `*guessed` is set), and refused when not, as it is when it is
// UTF-8 but for a few bytes. `encoding` names what was read ("UTF-8",
// "UTF-16", "code page 936"). False with a message naming the line.
bool DecodeText(std::string_view bytes, std::string* utf8,
                std::string* encoding, std::string* error);
bool DecodeText(std::string_view bytes, const InputEncoding& named,
                std::string* utf8, std::string* encoding, bool* guessed,
                std::string* error);

// DecodeText for a reader: a guess becomes a note on `source`, or with
// `named.refuse_guess` a refusal; `error` begins with `source`.
bool DecodeTextOf(std::string_view bytes, const std::string& source,
                  const InputEncoding& named, std::string* utf8,
                  std::vector<std::string>* notes, std::string* error);

// An XML document's bytes as UTF-8: a byte-order mark, else the encoding
// the user named, else the encoding its declaration names, else UTF-8.
// False with a message for an encoding the tool cannot read or bytes that
// are not in the declared one.
bool DecodeXml(std::string_view bytes, std::string* utf8, std::string* error,
               const InputEncoding& named = {});

// A value from the user's file for a message: at most about 40 characters
// (cut on a character boundary, "..." marks the cut), escaped as ShownText
// escapes.
std::string ShownValue(std::string_view text);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_FORMATS_INPUT_TEXT_H_

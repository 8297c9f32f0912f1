// The companion tool's one text codec. The command line, the terminal and
// GPX files speak UTF-8; the library speaks UTF-16 at its raw-protocol entry
// and 8-bit text in the head unit's code page (GBK, 936) everywhere else; on
// Windows the system speaks UTF-16 (system/windows/wide.h adapts these
// conversions to wchar_t). The code-page steps go through the library's
// interface for the tool, so the tool converts exactly as the library does,
// but always with the destination code page named explicitly: the files
// belong to the head unit, so the PC's own code page never matters.

#ifndef VEXA_TOOLS_VEXA_TEXT_TEXT_CODEC_H_
#define VEXA_TOOLS_VEXA_TEXT_TEXT_CODEC_H_

#include <string>
#include <string_view>

namespace vexa::tool {

// UTF-8 to UTF-16. Returns false on malformed UTF-8 (overlong forms,
// surrogates and values above U+10FFFF included).
bool Utf8ToUtf16(std::string_view text, std::u16string* out);

// Where `text` stops being UTF-8, for messages: "byte 0xFF at offset 3";
// empty when it is valid.
std::string FirstInvalidUtf8(std::string_view text);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-16 to UTF-8, strictly: false for a lone surrogate, so that no file
// name or argument is silently changed.
bool Utf16ToUtf8Strict(std::u16string_view text, std::string* out);

// UTF-8 to the destination code page. Returns false when the text is not
// UTF-8 or holds a character the code page lacks (the library would
// otherwise see the code page's default character in its place).
bool Utf8ToCodePage(std::string_view text, std::string* out);

// Like Utf8ToCodePage, but stops before the first character that would make
// the result longer than `max_bytes`, so a multi-byte character is never
// cut in half. `*cut` tells whether anything was left out.
bool Utf8ToCodePageCut(std::string_view text, std::size_t max_bytes,
                       std::string* out, bool* cut);

// Code-page bytes as readable UTF-8 for messages and output: characters are
// decoded from the destination code page; a byte that starts no valid
// character (half a GBK character, say) is shown as \xNN, and control
// characters as \n, \r, \t or \xNN, so what a human reads is unambiguous.
std::string DisplayText(std::string_view bytes);

// Code-page bytes to UTF-8 for data output (JSON, GeoJSON). Bytes that do
// not decode become U+FFFD; `exact` tells whether every byte decoded.
std::string CodePageToUtf8(std::string_view bytes, bool* exact);

// The same in code page `code_page` (an interchange file's, say).
std::string CodePageToUtf8(std::string_view bytes, unsigned code_page,
                           bool* exact);

// UTF-8 text from the user (a name, a path, a CSV field) as shown in a
// message: bytes that are not UTF-8 and control characters as \xNN,
// invisible marks (a byte-order mark, say) as \uNNNN, a backslash doubled.
std::string ShownText(std::string_view text);

// Whether `bytes` hold a byte of 0x80 or more and are valid UTF-8 as a
// whole: text in the code page (route words included) almost never is, so
// such a destination file was most likely saved as UTF-8 by mistake.
bool LooksLikeUtf8Text(std::string_view bytes);

// A user's path as shown in a message: like ShownText, but a backslash
// stays single, so a Windows path can be pasted back as it was typed.
std::string ShownPath(std::string_view path);

// A warning when VEXA_CODEPAGE is set to something the tool cannot use
// (not a number, or a code page without a conversion); empty otherwise.
std::string CodePageSettingWarning();

// Whether this system converts code page `code_page` (a number from 1 to
// 65535 whose conversion gives one byte for "A").
bool ConvertsCodePage(unsigned long code_page);

// The code page destination files are read and written in: the one chosen
// by ChooseDestinationCodePage (--codepage), else VEXA_CODEPAGE when it
// names a code page this system converts, else 936, the head unit's. The
// same on every PC, whatever its own (ANSI) code page.
unsigned DestinationCodePage();

// Chooses the destination code page for the rest of the run.
// REQUIRES: ConvertsCodePage(code_page).
void ChooseDestinationCodePage(unsigned code_page);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_TEXT_TEXT_CODEC_H_

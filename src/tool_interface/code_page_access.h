// What the companion tool (tools/vexa) uses of the platform layer's code
// pages, so that the tool converts text exactly as the library does. Each
// forwards to src/platform/, which the tool never includes. The web module
// links this part too: its platform layer has code pages and nothing else.
//
// Threading: as the platform layer's calls.

#ifndef VEXA_SRC_TOOL_INTERFACE_CODE_PAGE_ACCESS_H_
#define VEXA_SRC_TOOL_INTERFACE_CODE_PAGE_ACCESS_H_

namespace vexa::tool_interface {

// The system code page (936 unless the host's VEXA_CODEPAGE says otherwise).
unsigned AnsiCodePage();

// UTF-16 to code page `code_page`, with the Win32 semantics: the bytes
// written, or 0 when the output does not fit or the code page is unknown.
int WideToCodePage(unsigned code_page, const char16_t* text, int units,
                   char* out, int capacity);

// The NUL-terminated `text` in code page `code_page` to UTF-16: the units
// written including the terminator, or 0 on failure.
int CodePageToWide(unsigned code_page, const char* text, char16_t* out,
                   int capacity);

}  // namespace vexa::tool_interface

#endif  // VEXA_SRC_TOOL_INTERFACE_CODE_PAGE_ACCESS_H_

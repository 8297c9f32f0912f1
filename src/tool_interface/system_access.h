// What the companion tool (tools/vexa) uses of the platform layer: the code
// page conversions, so that the tool converts text exactly as the library
// does, and loading a library with its exports found, as the library loads
// its peers. Each forwards to src/platform/, which the tool never includes.
//
// Threading: as the platform layer's calls.

#ifndef VEXA_SRC_TOOL_INTERFACE_SYSTEM_ACCESS_H_
#define VEXA_SRC_TOOL_INTERFACE_SYSTEM_ACCESS_H_

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

// A loaded library; null for none.
using Library = void*;

// Loads the library of `file_name` (searched as the platform layer
// searches). Null on failure.
Library LoadLibraryByName(const char16_t* file_name);

// The address of the export `name` of `library`, or null.
void* FindExport(Library library, const char* name);

}  // namespace vexa::tool_interface

#endif  // VEXA_SRC_TOOL_INTERFACE_SYSTEM_ACCESS_H_

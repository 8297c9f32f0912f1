// What the companion tool (tools/vexa) uses of the platform layer's library
// loading: a library loaded and its exports found as the library loads its
// peers (the simulation loads the shared library this way). Each forwards
// to src/platform/, which the tool never includes. Host and Windows only.
//
// Threading: as the platform layer's calls.

#ifndef VEXA_SRC_TOOL_INTERFACE_LIBRARY_ACCESS_H_
#define VEXA_SRC_TOOL_INTERFACE_LIBRARY_ACCESS_H_

namespace vexa::tool_interface {

// A loaded library; null for none.
using Library = void*;

// Loads the library of `file_name` (searched as the platform layer
// searches). Null on failure.
Library LoadLibraryByName(const char16_t* file_name);

// The address of the export `name` of `library`, or null.
void* FindExport(Library library, const char* name);

}  // namespace vexa::tool_interface

#endif  // VEXA_SRC_TOOL_INTERFACE_LIBRARY_ACCESS_H_

// The names of the library's result codes, for the companion tool's
// messages and JSON. The table is generated at configure time from the
// #defines of include/vexa/vexa.h (CMakeLists.txt beside this file), so a
// code added to the header is named here without being typed twice; the
// header stays plain C.
//
// Threading: constant data.

#ifndef VEXA_SRC_TOOL_INTERFACE_RESULT_NAMES_H_
#define VEXA_SRC_TOOL_INTERFACE_RESULT_NAMES_H_

#include <cstddef>

#include "vexa/vexa.h"

namespace vexa::tool_interface {

struct ResultCodeName {
  int code;
  const char* name;  // the header's macro name, "VEXA_E_LIST_BAD_COORD"
};

// Every result code of the header, in the header's order.
inline constexpr ResultCodeName kResultCodeNames[] = {
#define VEXA_RESULT_CODE(name) {name, #name},
#include "tool_interface/result_code_list.inc"
#undef VEXA_RESULT_CODE
};

// The header's name of `code`, or "unknown".
const char* ResultName(int code);

}  // namespace vexa::tool_interface

#endif  // VEXA_SRC_TOOL_INTERFACE_RESULT_NAMES_H_

// Explanations of the library's destination result codes. The library says
// only which check failed; the tool then looks at the same input itself
// (split the same way, converted with the library's own conversions) to say
// what is wrong and where: the field number and its role, the offending
// text, the group of a destination list.

#ifndef VEXA_TOOLS_VEXA_DESTINATION_FAILURE_EXPLAIN_H_
#define VEXA_TOOLS_VEXA_DESTINATION_FAILURE_EXPLAIN_H_

#include <string>
#include <string_view>
#include <vector>

namespace vexa::tool {

// What the tool knows about the input that failed.
struct FailureInput {
  int plan = 0;                 // 1 or 2; 0 when no plan was chosen
  bool is_file = false;         // a destination file (decode)
  std::string file_bytes;       // the file's content (its start, for a
                                // large file), when is_file
  long long file_size = 0;      // the file's size in bytes, when is_file
  bool has_text = false;        // the text handed to the parser is known
  std::string text;             // that text (code-page bytes), when has_text
  int text_bytes_needed = -1;   // parse: bytes the raw text converts to
                                // (-1 when it cannot be converted at all)
  int configured_plan = 0;      // the plan number asked for, for -43
};

// The header's name of a code ("VEXA_E_LIST_BAD_COORD"), or "unknown"
// (the library's table, tool_interface/result_names.h).
const char* ResultName(int code);

// One line saying what is wrong and where, for the library's `code`.
std::string ExplainFailure(int code, const FailureInput& input);

// The text that the plan's ReadPacket hands on to the parser for a file
// of `bytes`: plan 1 the body behind the length, plan 2 the list behind
// the four spaces (the library's framing). False when the file does not
// get that far.
bool TextOfFile(int plan, std::string_view bytes, std::string* text);

// The fields the library's splitter makes of `text` (at most 200; a field
// ends at its first NUL; a last byte that is a comma or NUL adds no empty
// field), each with its index as the library counts it.
std::vector<std::string> SplitFields(std::string_view text);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_DESTINATION_FAILURE_EXPLAIN_H_

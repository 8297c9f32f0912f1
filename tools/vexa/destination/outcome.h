// The result of decoding one destination file or parsing one raw text: the
// plan that read it, the library's result code and, on success, the packet
// and any warnings; on failure the tool's explanation of the code.

#ifndef VEXA_TOOLS_VEXA_DESTINATION_OUTCOME_H_
#define VEXA_TOOLS_VEXA_DESTINATION_OUTCOME_H_

#include <string>
#include <vector>

#include "vexa/vexa.h"

namespace vexa::tool {

struct Outcome {
  std::string source;       // the file as given, or "text" for parse
  int plan = 0;             // 1 guide message, 2 destination list
  std::string plan_reason;  // how decode chose the plan (empty for parse)
  int result = 0;           // the library's result; 0 is success
  std::string explanation;  // one line, when result != 0 or tool_error
  // A failure found before the library saw the input (text that is not
  // UTF-8, say): its identifier for JSON; result is then meaningless.
  std::string tool_error;
  std::string raw_text;     // the input text's bytes, for tool_error
  std::vector<std::string> warnings;  // accepted, but not what was meant
  DestinationPacket packet{};
};

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_DESTINATION_OUTCOME_H_

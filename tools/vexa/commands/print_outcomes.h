// Decode's and parse's output on the terminal: the text of the outcomes
// (formats/output_format.h) on standard output, and on standard error each
// warning and each failure, where a person reading both sees it: in a table
// or hex dump between the outcomes around it, in the other formats before
// the document.

#ifndef VEXA_TOOLS_VEXA_COMMANDS_PRINT_OUTCOMES_H_
#define VEXA_TOOLS_VEXA_COMMANDS_PRINT_OUTCOMES_H_

#include <ostream>
#include <vector>

#include "destination/outcome.h"
#include "formats/output_format.h"

namespace vexa::tool {

// Prints `outcomes` in `format` to `out`, with warnings and failures on
// `err` ("vexa: warning: ...", "vexa: <FailureLine>"). `as_list` and
// `name_sources` as OutcomesText takes them.
void PrintOutcomes(const std::vector<Outcome>& outcomes, Format format,
                   bool as_list, std::ostream& out, std::ostream& err,
                   bool name_sources = false);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_COMMANDS_PRINT_OUTCOMES_H_

// Outcomes on the terminal (see print_outcomes.h).

#include "commands/print_outcomes.h"

#include "text/text_codec.h"

namespace vexa::tool {
namespace {

bool Failed(const Outcome& outcome) {
  return outcome.result != 0 || !outcome.tool_error.empty();
}

}  // namespace

void PrintOutcomes(const std::vector<Outcome>& outcomes, Format format,
                   bool as_list, std::ostream& out, std::ostream& err,
                   bool name_sources) {
  for (const Outcome& outcome : outcomes) {
    for (const std::string& warning : outcome.warnings) {
      err << "vexa: warning: " << ShownPath(outcome.source) << ": " << warning
          << '\n';
    }
  }
  if (format != Format::kTable && format != Format::kHex) {
    // JSON carries its failures inside the one document.
    for (const Outcome& outcome : outcomes) {
      if (format != Format::kJson && Failed(outcome)) {
        err << "vexa: " << FailureLine(outcome) << '\n';
      }
    }
    out << OutcomesText(outcomes, format, as_list, name_sources);
    return;
  }
  for (const Outcome& outcome : outcomes) {
    if (Failed(outcome)) {
      out.flush();
      err << "vexa: " << FailureLine(outcome) << '\n';
      err.flush();
      continue;
    }
    if (format == Format::kHex && outcomes.size() > 1) {
      out << ShownPath(outcome.source) << ":\n";
    }
    out << OutcomesText({outcome}, format, as_list);
  }
}

}  // namespace vexa::tool

// What the tool says about a destination file or raw text beyond the
// library's result: which plan reads a file when none is given, and, once
// the library has read or parsed it, the explanation of a refusal or the
// warnings of an acceptance. The command line (decode, parse) and the web
// module both complete their outcomes here, so they say the same thing.
//
// Threading: every function works on its arguments only.

#ifndef VEXA_TOOLS_VEXA_DESTINATION_EXPLAIN_OUTCOME_H_
#define VEXA_TOOLS_VEXA_DESTINATION_EXPLAIN_OUTCOME_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "destination/outcome.h"

namespace vexa::tool {

// The tool reads at most this much of a file for its own analysis; every
// valid destination file is far smaller.
constexpr std::size_t kAnalysisBytes = 64 * 1024;

// The plan a file named `name` (a path; only its extension counts) whose
// first bytes are `head` is read with, and why, in `*reason`.
int DetectPlan(const std::string& name, std::string_view head,
               std::string* reason);

// Completes `outcome` after the library read a file as `outcome->plan`
// with `outcome->result`: the explanation (and a cleared packet) on
// failure, the strict warnings on success, and either way a hint when the
// text was saved as UTF-8. `head` is the file's start (at most
// kAnalysisBytes), `size` its whole size in bytes.
void ExplainFileOutcome(std::string_view head, long long size,
                        Outcome* outcome);

// ExplainFileOutcome as decode completes a file's outcome: a file of
// another kind (an interchange file, a picture, a README) is said to be no
// destination file, with the command that makes a destination list of an
// interchange file's points, and a file without a point is refused
// (RefuseWithoutDestination). `path` is the file as the user gave it,
// `list` the list that command writes (empty: dest.cld).
void ExplainDecodedFile(std::string_view head, long long size,
                        const std::string& path, const std::string& list,
                        Outcome* outcome);

// Completes `outcome` after the library parsed the raw `text` as
// `outcome->plan` (the plan number asked for) with `outcome->result`: the
// explanation on failure, the strict warnings on success.
void ExplainTextOutcome(std::u16string_view text, Outcome* outcome);

// Turns an accepted `outcome` without a single point (an empty or cut-off
// destination list) into the tool's failure "NoDestination": the library
// takes it, but a head unit would have nowhere to go.
void RefuseWithoutDestination(Outcome* outcome);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_DESTINATION_EXPLAIN_OUTCOME_H_

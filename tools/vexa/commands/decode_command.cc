// vexa decode FILE...: reads guide message files and destination lists with
// the library's own plans and prints their points, or the failure code with
// an explanation, and warns of what the library accepts but drops. Files
// are only read, never deleted or changed; "-" is standard input.

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "commands/commands.h"
#include "commands/output_options.h"
#include "destination/destination_reader.h"
#include "formats/output_format.h"

namespace vexa::tool {
namespace {

struct DecodeOptions {
  std::vector<std::string> files;
  int plan = 0;
  OutputOptions output;
};

int RunDecode(const DecodeOptions& options) {
  Format format = Format::kTable;
  FormatFromName(options.output.format, &format);
  // Standard input can be read once; a second "-" would find it empty.
  if (std::count(options.files.begin(), options.files.end(), "-") > 1) {
    throw UsageError("- (standard input) can be given only once");
  }
  std::vector<Outcome> outcomes;
  for (const std::string& file : options.files) {
    outcomes.push_back(DecodeFile(file, options.plan));
  }
  PrintOutcomes(outcomes, format, /*as_list=*/true, std::cout, std::cerr);
  for (const Outcome& outcome : outcomes) {
    if (outcome.result != 0) return kExitFailed;
    if (options.output.strict && !outcome.warnings.empty()) return kExitFailed;
  }
  return kExitOk;
}

}  // namespace

void AddDecodeCommand(CLI::App& app, int* exit_code) {
  auto options = std::make_shared<DecodeOptions>();
  CLI::App* command = app.add_subcommand(
      "decode",
      "Read guide message files and destination lists (dest.cld) as a head "
      "unit would, and print their points. Files are never changed.");
  command->add_option("files", options->files,
                      "Destination files; - reads standard input")
      ->required()
      ->type_name("FILE...");
  command
      ->add_option("--plan", options->plan,
                   "Read every file as plan 1 (guide message) or 2 "
                   "(destination list) instead of telling them apart by "
                   "their content")
      ->check(CLI::IsMember({1, 2}));
  AddOutputOptions(command, &options->output, "a file");
  AddCodePageOption(command);
  command->footer(
      "Exit status: 0 every file parsed, 1 some file did not (or, with "
      "--strict, gave a warning), 2 usage error.");
  command->callback([options, exit_code] { *exit_code = RunDecode(*options); });
}

}  // namespace vexa::tool

// vexa decode FILE...: reads guide message files and destination lists with
// the library's own plans and prints their points, or the failure code with
// an explanation, and warns of what the library accepts but drops. Files
// are only read, never deleted or changed; "-" is standard input, and a
// folder stands for the files below it (system/input_list.h).

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "commands/commands.h"
#include "commands/output_options.h"
#include "commands/print_outcomes.h"
#include "destination/destination_reader.h"
#include "formats/output_format.h"
#include "system/input_list.h"

namespace vexa::tool {
namespace {

struct DecodeOptions {
  std::vector<std::string> files;
  int plan = 0;
  OutputOptions output;
};

// "200 files: 140 valid, 60 refused, 3 with warnings".
std::string Tally(const std::vector<Outcome>& outcomes) {
  std::size_t valid = 0;
  std::size_t warned = 0;
  for (const Outcome& outcome : outcomes) {
    if (outcome.result == 0 && outcome.tool_error.empty()) ++valid;
    if (!outcome.warnings.empty()) ++warned;
  }
  return std::to_string(outcomes.size()) +
         (outcomes.size() == 1 ? " file: " : " files: ") +
         std::to_string(valid) + " valid, " +
         std::to_string(outcomes.size() - valid) + " refused, " +
         std::to_string(warned) + " with warnings";
}

int RunDecode(const DecodeOptions& options) {
  Format format = Format::kTable;
  FormatFromName(options.output.format, &format);
  // Standard input can be read once; a second "-" would find it empty.
  if (std::count(options.files.begin(), options.files.end(), "-") > 1) {
    throw UsageError("- (standard input) can be given only once");
  }
  const InputList inputs = ExpandInputArguments(options.files);
  for (const std::string& note : inputs.notes) {
    std::cerr << "vexa: note: " << note << '\n';
  }
  // Several files merged into one CSV or GPX say which file each point
  // came from, and end with a count a person need not make by hand.
  const bool several = inputs.items.size() > 1 || inputs.gathered;
  // The list each interchange file's advice writes among several: named
  // after the file, or after its whole name where two differ only in their
  // extension. One file's advice writes dest.cld.
  std::vector<std::string> lists(inputs.items.size());
  std::map<std::string, int> uses;
  for (std::size_t i = 0; several && i < lists.size(); ++i) {
    const std::string& path = inputs.items[i].path;
    if (path == "-") continue;
    lists[i] = std::filesystem::u8path(path).replace_extension(".cld").u8string();
    ++uses[lists[i]];
  }
  for (std::size_t i = 0; i < lists.size(); ++i) {
    if (!lists[i].empty() && uses[lists[i]] > 1) {
      lists[i] = inputs.items[i].path + ".cld";
    }
  }
  std::vector<Outcome> outcomes;
  for (std::size_t i = 0; i < inputs.items.size(); ++i) {
    const InputItem& item = inputs.items[i];
    if (item.error.empty()) {
      outcomes.push_back(DecodeFile(item.path, options.plan, lists[i]));
    } else {
      Outcome missing;
      missing.source = item.path;
      missing.result = VEXA_E_NO_FILE;
      missing.explanation = item.error;
      outcomes.push_back(missing);
    }
  }
  PrintOutcomes(outcomes, format, /*as_list=*/true, std::cout, std::cerr,
                /*name_sources=*/several);
  if (several) {
    std::cout.flush();
    std::cerr << Tally(outcomes) << '\n';
  }
  for (const Outcome& outcome : outcomes) {
    if (outcome.result != 0 || !outcome.tool_error.empty()) return kExitFailed;
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
                      "Destination files or folders (every regular file "
                      "below, sorted); - reads standard input")
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

// vexa parse --plan 1|2 [TEXT | -]: passes raw protocol text through the
// library's PTT_Parse_Raw_Protocol, as the navigation program does with a
// message it received, and prints the packet or the failure.
//
// PTT_Init would take over a destination file lying in the configured data
// directory (and delete it), so before it runs the data directory and the
// guide file are pointed at a private empty directory.

#include <iostream>
#include <memory>
#include <string>

#include "commands/commands.h"
#include "commands/output_options.h"
#include "destination/explain_outcome.h"
#include "formats/output_format.h"
#include "system/environment.h"
#include "system/input_file.h"
#include "text/text_codec.h"
#include "vexa/vexa.h"

namespace vexa::tool {
namespace {

struct ParseOptions {
  int plan = 0;
  std::string text = "-";
  OutputOptions output;
};

// Standard input, at most kMaxStreamBytes as for every input the tool
// reads from a stream. False with a message when it is longer or fails.
bool ReadStandardInput(std::string* text, std::string* error) {
  if (!ReadWholeFile("-", kMaxStreamBytes, text, error)) return false;
  // A line typed or echoed into the pipe ends in a line break that is not
  // part of the message.
  if (!text->empty() && text->back() == '\n') text->pop_back();
  if (!text->empty() && text->back() == '\r') text->pop_back();
  return true;
}

int RunParse(const ParseOptions& options) {
  std::string utf8 = options.text;
  if (std::string error; options.text == "-" &&
                         !ReadStandardInput(&utf8, &error)) {
    std::cerr << "vexa: " << error << '\n';
    return kExitFailed;
  }
  Format format = Format::kTable;
  FormatFromName(options.output.format, &format);
  std::u16string text;
  if (!Utf8ToUtf16(utf8, &text)) {
    Outcome outcome;
    outcome.source = "text";
    outcome.plan = options.plan;
    outcome.tool_error = "NotUtf8";
    outcome.explanation = "the text is not valid UTF-8 (" +
                          FirstInvalidUtf8(utf8) + ")";
    outcome.raw_text = utf8;
    PrintOutcomes({outcome}, format, /*as_list=*/false, std::cout, std::cerr);
    return kExitFailed;
  }

  TemporaryDirectory empty("vexa-parse-");
  SetEnvironment("VEXA_GUIDE_PLAN", std::to_string(options.plan));
  SetEnvironment("VEXA_DATA_DIR", empty.path().string());
  SetEnvironment("VEXA_GUIDE_FILE", (empty.path() / "guide.dat").string());

  Outcome outcome;
  outcome.source = "text";
  outcome.plan = options.plan;
  outcome.result = PTT_Init();
  if (outcome.result == 0) {
    // Two bytes per UTF-16 unit, as the navigation program passes it.
    const long long bytes = static_cast<long long>(text.size()) * 2;
    if (bytes > 0x7FFFFFFF) {
      std::cerr << "vexa: the text is too long\n";
      return kExitFailed;
    }
    outcome.result = PTT_Parse_Raw_Protocol(
        reinterpret_cast<const std::uint16_t*>(text.data()),
        static_cast<int>(bytes));
  }
  if (outcome.result == 0) PTT_Get_DataPacket(&outcome.packet);
  ExplainTextOutcome(text, &outcome);

  PrintOutcomes({outcome}, format, /*as_list=*/false, std::cout, std::cerr);
  if (outcome.result != 0) return kExitFailed;
  return options.output.strict && !outcome.warnings.empty() ? kExitFailed : kExitOk;
}

}  // namespace

void AddParseCommand(CLI::App& app, int* exit_code) {
  auto options = std::make_shared<ParseOptions>();
  CLI::App* command = app.add_subcommand(
      "parse",
      "Pass raw protocol text (UTF-8) through the library's "
      "PTT_Parse_Raw_Protocol and print the packet.");
  command
      ->add_option("--plan", options->plan,
                   "1: guide message, 2: destination list")
      ->required()
      ->check(CLI::IsMember({1, 2}));
  command
      ->add_option("text", options->text,
                   "The text, or - (the default) to read standard input; one "
                   "trailing line break of standard input is dropped")
      ->type_name("TEXT|-");
  AddOutputOptions(command, &options->output, "the text");
  command->footer(
      "Exit status: 0 the text parsed, 1 it did not (or, with --strict, "
      "gave a warning), 2 usage error.");
  command->callback([options, exit_code] { *exit_code = RunParse(*options); });
}

}  // namespace vexa::tool

// The options that decode and parse share: how the outcome is printed
// (--format) and whether a warning fails the run (--strict).

#ifndef VEXA_TOOLS_VEXA_COMMANDS_OUTPUT_OPTIONS_H_
#define VEXA_TOOLS_VEXA_COMMANDS_OUTPUT_OPTIONS_H_

#include <string>

#include <CLI/CLI.hpp>

namespace vexa::tool {

struct OutputOptions {
  std::string format = "table";
  bool strict = false;
};

// Adds --format and --strict to `command`, storing into `*options`, which
// must outlive the parse. `input` names what --strict judges ("a file",
// "the text").
void AddOutputOptions(CLI::App* command, OutputOptions* options,
                      const std::string& input);

// Adds --codepage N to `command`: the code page destination files and
// texts are read and written in (the default: VEXA_CODEPAGE, else 936, the
// head unit's), chosen as the options are parsed. A code page this system
// does not convert is a usage error.
void AddCodePageOption(CLI::App* command);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_COMMANDS_OUTPUT_OPTIONS_H_

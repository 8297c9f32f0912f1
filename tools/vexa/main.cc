// vexa: the companion tool of the Vexa library, for the people who prepare
// and check destinations and integrate the library. It decodes and
// validates destination files, parses raw protocol text, encodes valid
// files, exports points for map viewers, simulates a head unit running all
// three jobs, and listens for sound notifications from another process.
// It uses the library's own code throughout, so what it says is what a head
// unit would do.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "entry.h"
#include "standard_output.h"

#ifndef VEXA_TOOL_VERSION
#define VEXA_TOOL_VERSION "0.0.0"
#endif

namespace vexa::tool {

CLI::Validator FiniteNumber(double min, double max) {
  auto describe = [](double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return std::string(text);
  };
  const std::string range = describe(min) + " to " + describe(max);
  return CLI::Validator(
      [min, max, range](std::string& text) -> std::string {
        double value = 0;
        const char* end = text.data() + text.size();
        const auto read = std::from_chars(text.data(), end, value);
        if (read.ptr != end || text.empty())
          return "'" + text + "' is not a number";
        if (read.ec != std::errc() || !std::isfinite(value)) {
          return "'" + text + "' is not a finite number (" + range + ")";
        }
        if (value < min || value > max) {
          return "'" + text + "' is outside " + range;
        }
        return "";
      },
      "", "FINITE");
}

}  // namespace vexa::tool

namespace {

// The first argument that is not an option names the command; CLI11 would
// only say that one is required when it is not one of ours.
std::string UnknownCommand(const CLI::App& app, int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.empty() || argument[0] == '-') continue;
    try {
      app.get_subcommand(argument);
      return "";
    } catch (const CLI::OptionNotFound&) {
      return argument;
    }
  }
  return "";
}

int Run(int argc, char** argv) {
  using namespace vexa::tool;
  CLI::App app{"vexa: decode, check and encode destinations for the Vexa "
               "head-unit library, and simulate a head unit"};
  app.name("vexa");
  // Options start with '-' on every system: "/path" is a file name.
  app.allow_windows_style_options(false);
  app.set_version_flag("--version", "vexa " VEXA_TOOL_VERSION);
  app.require_subcommand(1, 1);
  app.footer(
      "Exit status: 0 done, 1 an input did not parse / an encode was refused "
      "/ the simulation failed / standard output could not be written, 2 "
      "usage error.");

  int exit_code = kExitOk;
  AddDecodeCommand(app, &exit_code);
  AddParseCommand(app, &exit_code);
  AddEncodeCommand(app, &exit_code);
  AddSimulateCommand(app, &exit_code);
  AddListenCommand(app, &exit_code);

  if (const std::string unknown = UnknownCommand(app, argc, argv);
      !unknown.empty()) {
    std::cerr << "vexa: unknown command '" << unknown
              << "' (commands: decode, parse, encode, simulate, listen)\n"
              << "Run with --help for more information.\n";
    return kExitUsage;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help and version go to standard output with status 0; every other
    // parse error to standard error with the usage status.
    const int status = app.exit(e);
    return status == 0 ? kExitOk : kExitUsage;
  } catch (const UsageError& e) {
    std::cerr << "vexa: " << e.what() << "\nRun with --help for more "
              << "information.\n";
    return kExitUsage;
  } catch (const std::exception& e) {
    std::cerr << "vexa: " << e.what() << '\n';
    return kExitFailed;
  }
  return exit_code;
}

}  // namespace

int vexa::tool::RunVexa(int argc, char** argv) {
  vexa::tool::CheckStandardOutput();
  return vexa::tool::FinishStandardOutput(Run(argc, argv));
}

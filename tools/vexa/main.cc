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

#include "commands/commands.h"
#include "commands/completion_script.h"
#include "entry.h"
#include "system/standard_output.h"
#include "text/text_codec.h"

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

// --version answers wherever it stands before a "--", so "vexa decode
// --version" does not first ask for the files.
bool AsksForVersion(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--") return false;
    if (argument == "--version") return true;
  }
  return false;
}

// Every usage error ends here: one line with the tool's prefix, a pointer
// to --help, and the usage status.
int UsageFailure(const std::string& message) {
  std::cerr << "vexa: " << message << "\nRun with --help for more "
            << "information.\n";
  return vexa::tool::kExitUsage;
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
  // Before any command runs: a code page setting the library cannot use.
  app.parse_complete_callback([] {
    const std::string warning = CodePageSettingWarning();
    if (!warning.empty()) std::cerr << "vexa: warning: " << warning << '\n';
  });

  int exit_code = kExitOk;
  AddDecodeCommand(app, &exit_code);
  AddParseCommand(app, &exit_code);
  AddEncodeCommand(app, &exit_code);
  AddSimulateCommand(app, &exit_code);
  AddListenCommand(app, &exit_code);

  // The build writes the shells' completion scripts from the commands
  // above; not in --help, as it is not for people.
  if (argc == 3 && std::string(argv[1]) == "--completion") {
    if (PrintCompletionScript(app, argv[2], std::cout)) return kExitOk;
    return UsageFailure("--completion takes bash, zsh or powershell");
  }
  if (AsksForVersion(argc, argv)) {
    std::cout << "vexa " VEXA_TOOL_VERSION "\n";
    return kExitOk;
  }
  if (const std::string unknown = UnknownCommand(app, argc, argv);
      !unknown.empty()) {
    return UsageFailure("unknown command '" + unknown +
                        "' (commands: decode, parse, encode, simulate, "
                        "listen)");
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help goes to standard output with status 0; every other parse error
    // is a usage error.
    if (e.get_exit_code() == 0) {
      app.exit(e);
      return kExitOk;
    }
    return UsageFailure(e.what());
  } catch (const UsageError& e) {
    return UsageFailure(e.what());
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

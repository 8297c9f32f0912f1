// vexa: the companion tool of the Vexa library, for the people who prepare
// and check destinations and integrate the library. It decodes and
// validates destination files, parses raw protocol text, encodes valid
// files, exports points for map viewers, simulates a head unit running all
// three jobs, and listens for sound notifications from another process.
// It uses the library's own code throughout, so what it says is what a head
// unit would do.

#include <iostream>

#include <CLI/CLI.hpp>

#include "commands.h"

#ifndef VEXA_TOOL_VERSION
#define VEXA_TOOL_VERSION "0.0.0"
#endif

int main(int argc, char** argv) {
  using namespace vexa::tool;
  CLI::App app{"vexa: decode, check and encode destinations for the Vexa "
               "head-unit library, and simulate a head unit"};
  app.name("vexa");
  app.set_version_flag("--version", "vexa " VEXA_TOOL_VERSION);
  app.require_subcommand(1, 1);
  app.footer(
      "Exit status: 0 done, 1 an input did not parse / an encode was refused "
      "/ the simulation failed, 2 usage error.");

  int exit_code = kExitOk;
  AddDecodeCommand(app, &exit_code);
  AddParseCommand(app, &exit_code);
  AddEncodeCommand(app, &exit_code);
  AddSimulateCommand(app, &exit_code);
  AddListenCommand(app, &exit_code);

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

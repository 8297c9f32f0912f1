// The commands of the vexa tool. Each Add*Command registers its subcommand
// with its options on `app`; when the subcommand is chosen, its handler
// runs after parsing and stores the process exit code in `*exit_code`.

#ifndef VEXA_TOOLS_VEXA_COMMANDS_COMMANDS_H_
#define VEXA_TOOLS_VEXA_COMMANDS_COMMANDS_H_

#include <CLI/CLI.hpp>

namespace vexa::tool {

// Exit codes of every command.
constexpr int kExitOk = 0;       // done; every input parsed
constexpr int kExitFailed = 1;   // an input did not parse, an encode was
                                 // refused, or the simulation failed
constexpr int kExitUsage = 2;    // the command line is wrong

void AddDecodeCommand(CLI::App& app, int* exit_code);
void AddParseCommand(CLI::App& app, int* exit_code);
void AddEncodeCommand(CLI::App& app, int* exit_code);
void AddSimulateCommand(CLI::App& app, int* exit_code);
void AddListenCommand(CLI::App& app, int* exit_code);

// A CLI11 check that a floating-point option is a finite number from `min`
// to `max`, with a short message otherwise.
CLI::Validator FiniteNumber(double min, double max);

// Thrown by a handler for a usage error found after parsing (a bad
// --point, say); main reports it like CLI11's own errors.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_COMMANDS_COMMANDS_H_

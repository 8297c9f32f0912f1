// Shell completion for the vexa tool, written from the tool's own command
// table (the CLI11 commands and options), so a completion can never offer
// an option the tool does not take. The build runs `vexa --completion bash`
// and `vexa --completion zsh` and installs the scripts with the tool; the
// Windows package's vexa.ps1 asks vexa.exe for `--completion powershell`.
// An option's values are offered when its check names a set ("{a,b}"), and
// file names where its value or the command's arguments are files.

#ifndef VEXA_TOOLS_VEXA_COMMANDS_COMPLETION_SCRIPT_H_
#define VEXA_TOOLS_VEXA_COMMANDS_COMPLETION_SCRIPT_H_

#include <ostream>
#include <string>

#include <CLI/CLI.hpp>

namespace vexa::tool {

// Writes the completion script for `shell` ("bash", "zsh" or "powershell")
// for the commands registered on `app`. False, writing nothing, for any
// other shell.
bool PrintCompletionScript(const CLI::App& app, const std::string& shell,
                           std::ostream& out);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_COMMANDS_COMPLETION_SCRIPT_H_

// The tool's shared entry. Each system's own main (system/posix/entry.cc,
// or the wmain of system/windows/entry.cc, which turns the UTF-16 command
// line into UTF-8) prepares the process and calls it.

#ifndef VEXA_TOOLS_VEXA_ENTRY_H_
#define VEXA_TOOLS_VEXA_ENTRY_H_

namespace vexa::tool {

// Runs the tool on `argc` arguments in UTF-8 and returns the exit status.
int RunVexa(int argc, char** argv);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_ENTRY_H_

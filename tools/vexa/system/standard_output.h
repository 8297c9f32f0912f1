// Standard output that tells when it fails. std::cout is given a buffer
// that writes through the system's own call (system.h: file descriptor 1,
// or on Windows the output handle, as UTF-16 on a console) and remembers
// the first error,
// so a full disk, a closed descriptor or /dev/full is reported with the
// system's reason and turns the exit status into a failure. On POSIX a
// reader that went away still ends the process with SIGPIPE, as for any
// Unix tool.
//
// Threading: the tool writes standard output from one thread.

#ifndef VEXA_TOOLS_VEXA_SYSTEM_STANDARD_OUTPUT_H_
#define VEXA_TOOLS_VEXA_SYSTEM_STANDARD_OUTPUT_H_

namespace vexa::tool {

// Routes std::cout through the checking buffer. Call once, first thing.
void CheckStandardOutput();

// Flushes standard output. Returns `status` when everything written
// reached it; otherwise prints the reason on standard error and returns
// the failure status 1.
int FinishStandardOutput(int status);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_SYSTEM_STANDARD_OUTPUT_H_

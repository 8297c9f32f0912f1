// The debug log: printf-style diagnostic messages (the conversions of
// platform::FormatText, which on Windows is the C runtime's) appended to
// "\VexaDbgLog.txt" in the data directory. The first message of each
// process load creates the file afresh (emptying one left by an earlier
// load); later messages are appended, each exactly as formatted. The stream
// is flushed, with a commit to the storage medium, at most once per
// interval of more than 2000 ms, and only when a message is written.
//
// Internal: available to every module, never exported.
//
// Threading: no lock is taken; use the log from one thread at a time.

#ifndef VEXA_SRC_DIAG_DBG_LOG_H_
#define VEXA_SRC_DIAG_DBG_LOG_H_

#include <cstdio>

namespace vexa {

// Formats a message (at most 511 characters; longer text is cut) and writes
// it to the log, opening the file first when it is not open. A failed open
// drops the message silently; the next call asks for the data directory
// again and retries. The first call registers DbgLogClose in the exit list.
// When the file is open, a call makes no heap allocation.
void DbgLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Flushes `file` (committing it) when more than 2000 ms have passed since
// the previous flush; the first call only starts the clock. Called by
// DbgLog after each write.
void DbgLogFlush(std::FILE* file);

// Closes the log file when it is open. Run from the exit list at unload;
// messages after it are dropped.
void DbgLogClose();

}  // namespace vexa

#endif  // VEXA_SRC_DIAG_DBG_LOG_H_

// The debug log's state lives in this file: the stream (none until an open
// succeeds), whether the exit-list registration and the flush clock have
// been set up, and the time of the latest flush.

#include "diag/dbg_log.h"

#include <cstdarg>
#include <cstdint>
#include <cstdlib>

#include "frame/config.h"
#include "frame/owned_text.h"
#include "platform/platform.h"

namespace vexa {

namespace {

constexpr std::size_t kMessageSize = 512;  // 511 characters and the NUL
constexpr char kLogFileName[] = "\\VexaDbgLog.txt";
// "w+c": create or empty, read and write, and let a flush commit the data.
constexpr char kLogFileMode[] = "w+c";
constexpr std::uint32_t kFlushIntervalMs = 2000;

std::FILE* g_log = nullptr;
bool g_first_call_done = false;
// Set once DbgLogClose has run: the exit list is being run, and reopening
// would empty the file this load has written.
bool g_closed = false;
bool g_flush_clock_started = false;
std::uint32_t g_last_flush = 0;

// Asks for the data directory and opens the log file there; null when the
// path cannot be built or the file cannot be opened.
std::FILE* OpenLog() {
  char directory[config::kDataDirectoryMax];
  config::QueryDataDirectory(directory);
  // The query promises a terminated string within the buffer; make sure.
  directory[sizeof directory - 1] = '\0';
  // The only heap allocation of the log, made only while opening.
  OwnedText path;
  if (!path.Assign(directory, kLogFileName)) return nullptr;
  return platform::OpenFile(path.c_str(), kLogFileMode);
}

}  // namespace

void DbgLog(const char* format, ...) {
  char message[kMessageSize];
  std::va_list args;
  va_start(args, format);
  // At most 511 characters, terminated; a longer text is cut, and a
  // formatting error gives an empty message.
  platform::FormatText(message, sizeof message, format, args);
  va_end(args);

  if (!g_first_call_done) {
    g_first_call_done = true;
    // A failed registration is ignored: the file is then closed by the
    // runtime at process exit instead.
    std::atexit(DbgLogClose);
  }
  if (g_closed) return;
  if (g_log == nullptr) {
    g_log = OpenLog();
    if (g_log == nullptr) return;
  }
  // The text is data, never a format.
  std::fputs(message, g_log);
  DbgLogFlush(g_log);
}

void DbgLogFlush(std::FILE* file) {
  if (!g_flush_clock_started) {
    g_flush_clock_started = true;
    g_last_flush = platform::TickCount();
  }
  // Unsigned 32-bit arithmetic: a wrap of the tick count between two
  // readings still gives the true elapsed time.
  std::uint32_t elapsed =
      static_cast<std::uint32_t>(platform::TickCount() - g_last_flush);
  if (elapsed > kFlushIntervalMs) {
    platform::FlushFileCommitted(file);
    g_last_flush = platform::TickCount();
  }
}

void DbgLogClose() {
  g_closed = true;
  if (g_log != nullptr) {
    platform::CloseFile(g_log);
    g_log = nullptr;
  }
}

}  // namespace vexa

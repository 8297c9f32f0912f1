// A temporary trace file for the NORL stand-in (VEXA_NORL_TRACE) and helpers
// to read it back line by line.

#ifndef VEXA_TESTS_FRAME_TRACE_FILE_H_
#define VEXA_TESTS_FRAME_TRACE_FILE_H_

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace vexa::test {

class TraceFile {
 public:
  // Points VEXA_NORL_TRACE at a fresh, empty file for the life of the
  // object.
  TraceFile() {
    char name[] = "/tmp/vexa-trace-XXXXXX";
    int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    path_ = name;
    setenv("VEXA_NORL_TRACE", path_.c_str(), 1);
  }
  ~TraceFile() {
    unsetenv("VEXA_NORL_TRACE");
    std::remove(path_.c_str());
  }
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  const std::string& path() const { return path_; }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::ifstream in(path_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // The lines without the acquire and release records.
  std::vector<std::string> LinesWithoutLocking() const {
    std::vector<std::string> lines;
    for (const std::string& line : Lines()) {
      if (line.rfind("mutex-acquire", 0) == 0) continue;
      if (line.rfind("mutex-release", 0) == 0) continue;
      lines.push_back(line);
    }
    return lines;
  }

  int Count(const std::string& prefix) const {
    int n = 0;
    for (const std::string& line : Lines()) {
      if (line.rfind(prefix, 0) == 0) ++n;
    }
    return n;
  }

 private:
  std::string path_;
};

}  // namespace vexa::test

#endif  // VEXA_TESTS_FRAME_TRACE_FILE_H_

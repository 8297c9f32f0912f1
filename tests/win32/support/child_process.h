// A helper program run in a second process, talked to through its standard
// input and output, line by line. Used for the listeners of the library's
// named kernel objects and window messages, which live outside the calling
// process on a head unit.

#ifndef VEXA_TESTS_WIN32_SUPPORT_CHILD_PROCESS_H_
#define VEXA_TESTS_WIN32_SUPPORT_CHILD_PROCESS_H_

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

namespace vexa::test {

class ChildProcess {
 public:
  // Starts `program` (a file name in this program's folder) with the
  // command-line arguments `arguments`. started() tells whether it runs.
  ChildProcess(const std::wstring& program, const std::wstring& arguments);
  // Closes its input and waits up to 10 s for it to end, then ends it.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return process_ != nullptr; }

  // Sends one line (a line break is added).
  void WriteLine(const std::string& line);

  // The next line of its output without the line break; empty when the
  // output ended. Blocks until a line is there: the helpers bound their own
  // waits, so they always answer or end.
  std::string ReadLine();

  // Waits up to `timeout_ms` for the process to end; its exit code, or -1.
  int Wait(DWORD timeout_ms);

 private:
  HANDLE process_ = nullptr;
  HANDLE input_ = nullptr;   // our end of its stdin
  HANDLE output_ = nullptr;  // our end of its stdout
  std::string buffered_;
};

// The folder of this program, with a trailing backslash.
std::wstring ProgramFolder();

}  // namespace vexa::test

#endif  // VEXA_TESTS_WIN32_SUPPORT_CHILD_PROCESS_H_

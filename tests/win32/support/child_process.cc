#include "support/child_process.h"

#include <vector>

namespace vexa::test {

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

ChildProcess::ChildProcess(const std::wstring& program,
                           const std::wstring& arguments) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE child_in = nullptr;
  HANDLE child_out = nullptr;
  if (!CreatePipe(&child_in, &input_, &inherit, 0)) return;
  if (!CreatePipe(&output_, &child_out, &inherit, 0)) return;
  // Our ends stay in this process.
  SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = child_in;
  startup.hStdOutput = child_out;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  const std::wstring path = ProgramFolder() + program;
  std::wstring command = L"\"" + path + L"\" " + arguments;
  std::vector<wchar_t> line(command.begin(), command.end());
  line.push_back(L'\0');
  PROCESS_INFORMATION info = {};
  if (CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                     nullptr, nullptr, &startup, &info)) {
    process_ = info.hProcess;
    CloseHandle(info.hThread);
  }
  CloseHandle(child_in);
  CloseHandle(child_out);
}

ChildProcess::~ChildProcess() {
  if (input_ != nullptr) CloseHandle(input_);
  if (process_ != nullptr) {
    if (WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0) {
      TerminateProcess(process_, 99);
    }
    CloseHandle(process_);
  }
  if (output_ != nullptr) CloseHandle(output_);
}

void ChildProcess::WriteLine(const std::string& line) {
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(input_, text.data(), static_cast<DWORD>(text.size()), &written,
            nullptr);
}

std::string ChildProcess::ReadLine() {
  for (;;) {
    std::string::size_type end = buffered_.find('\n');
    if (end != std::string::npos) {
      std::string line = buffered_.substr(0, end);
      buffered_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    char chunk[256];
    DWORD got = 0;
    if (!ReadFile(output_, chunk, sizeof chunk, &got, nullptr) || got == 0) {
      std::string rest;
      rest.swap(buffered_);
      return rest;
    }
    buffered_.append(chunk, got);
  }
}

int ChildProcess::Wait(DWORD timeout_ms) {
  if (process_ == nullptr ||
      WaitForSingleObject(process_, timeout_ms) != WAIT_OBJECT_0) {
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return static_cast<int>(code);
}

}  // namespace vexa::test

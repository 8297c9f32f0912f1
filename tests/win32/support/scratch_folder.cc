#include "support/scratch_folder.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <atomic>

namespace vexa::test {

namespace {
std::atomic<int> g_next{0};
}  // namespace

std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, text.data(),
                              static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                      &out[0], n, nullptr, nullptr);
  return out;
}

ScratchFolder::ScratchFolder(const std::wstring& suffix) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  wide_ = std::wstring(temp) + L"vexa-" + std::to_wstring(GetCurrentProcessId()) +
          L"-" + std::to_wstring(g_next++) + suffix;
  CreateDirectoryW(wide_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((wide_ + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW((wide_ + L"\\" + entry.cFileName).c_str());
      }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(wide_.c_str());
}

std::string ScratchFolder::ansi() const { return ToAnsi(wide_); }

std::string ScratchFolder::AnsiPath(const std::wstring& name) const {
  return ToAnsi(wide_ + L"\\" + name);
}

void ScratchFolder::Write(const std::wstring& name,
                          const std::string& bytes) const {
  HANDLE file = CreateFileW((wide_ + L"\\" + name).c_str(), GENERIC_WRITE, 0,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
            nullptr);
  CloseHandle(file);
}

bool ScratchFolder::Exists(const std::wstring& name) const {
  return GetFileAttributesW((wide_ + L"\\" + name).c_str()) !=
         INVALID_FILE_ATTRIBUTES;
}

std::string ScratchFolder::Read(const std::wstring& name) const {
  std::string bytes;
  HANDLE file = CreateFileW((wide_ + L"\\" + name).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
    bytes.append(chunk, got);
  }
  CloseHandle(file);
  return bytes;
}

}  // namespace vexa::test

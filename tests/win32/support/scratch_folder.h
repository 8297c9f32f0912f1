// A fresh folder in the Windows temporary folder for one test's files,
// removed with its files at the end of the test. Its name may carry
// non-ASCII characters, to exercise 8-bit paths in the system code page and
// their conversion to UTF-16.

#ifndef VEXA_TESTS_WIN32_SUPPORT_SCRATCH_FOLDER_H_
#define VEXA_TESTS_WIN32_SUPPORT_SCRATCH_FOLDER_H_

#include <string>

namespace vexa::test {

class ScratchFolder {
 public:
  // `suffix` (UTF-16) is appended to the folder's unique name.
  explicit ScratchFolder(const std::wstring& suffix = L"");
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder, without a trailing separator: UTF-16, and 8-bit in the
  // system code page (ANSI), as the configuration library hands it out.
  const std::wstring& wide() const { return wide_; }
  std::string ansi() const;

  // Files inside the folder, by name.
  void Write(const std::wstring& name, const std::string& bytes) const;
  bool Exists(const std::wstring& name) const;
  std::string Read(const std::wstring& name) const;
  std::string AnsiPath(const std::wstring& name) const;

 private:
  std::wstring wide_;
};

// UTF-16 to the system code page and back (the test's own conversions, to
// build expectations independently of the library).
std::string ToAnsi(const std::wstring& text);

}  // namespace vexa::test

#endif  // VEXA_TESTS_WIN32_SUPPORT_SCRATCH_FOLDER_H_

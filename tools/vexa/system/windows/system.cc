// The tool's operating-system services on Windows (see system.h): UTF-16
// file names, the output handle (UTF-16 on a console), the CRT's
// environment and LoadLibraryExW.

#include "system/system.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <utility>

#include "system/environment.h"
#include "system/input_file.h"
#include "system/windows/wide.h"

namespace vexa::tool {

std::string SystemErrorText(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring wide = n > 0 && text != nullptr ? std::wstring(text, n) : L"";
  if (text != nullptr) ::LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' ||
                           wide.back() == L' ' || wide.back() == L'.')) {
    wide.pop_back();
  }
  std::string utf8;
  if (wide.empty() || !WideToUtf8(wide, &utf8)) utf8 = "system error";
  return utf8 + " (error " + std::to_string(code) + ")";
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                     &written, nullptr) ||
        written == 0) {
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(),
                                         static_cast<DWORD>(path.size()));
    if (n == 0) return L".";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

std::FILE* OpenForReading(const std::string& path) {
  std::wstring wide;
  if (!Utf8ToWide(path, &wide)) {
    errno = EILSEQ;
    return nullptr;
  }
  std::FILE* file = ::_wfopen(wide.c_str(), L"rb");
  if (file == nullptr) {
    // The C runtime cannot open a folder and says "permission denied".
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      errno = EISDIR;
    }
  }
  return file;
}

bool ExamineInput(std::FILE* file, InputKind* kind, long long* size) {
  const HANDLE handle =
      reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
  if (handle == INVALID_HANDLE_VALUE) {
    errno = EBADF;
    return false;
  }
  // Only a disk file can seek; a console, a pipe or NUL is read as a
  // stream.
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    *kind = InputKind::kStream;
    *size = 0;
    return true;
  }
  // A handle that says nothing of its size (standard input redirected by
  // some shells) is read as a stream too.
  LARGE_INTEGER bytes;
  if (!::GetFileSizeEx(handle, &bytes)) {
    *kind = InputKind::kStream;
    *size = 0;
    return true;
  }
  *kind = InputKind::kRegular;
  *size = static_cast<long long>(bytes.QuadPart);
  return true;
}

namespace {

// FILE_ID_INFO and its class, which the headers declare only for Windows 8
// and later; on Windows 7 the query fails and the file index is used.
constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
struct FileIdInfoRecord {
  ULONGLONG volume_serial_number;
  BYTE file_id[16];
};

}  // namespace

bool IdentifyFile(const std::string& path, FileIdentity* identity) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  bool owned = false;
  if (path == "-") {
    handle = ::GetStdHandle(STD_INPUT_HANDLE);
  } else {
    std::wstring wide;
    if (!Utf8ToWide(path, &wide)) return false;
    // Only the attributes are asked for, shared every way, so a file that
    // another program holds open is examined too; a link is followed.
    handle = ::CreateFileW(
        wide.c_str(), FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    owned = true;
  }
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  // The 128-bit file id (Windows 8 and later, ReFS included) where the
  // system has it: Wine, too, answers it for a redirected standard input,
  // where GetFileInformationByHandle fails. Windows 7 has only the 64-bit
  // file index, which is then what every name is compared by.
  FileIdInfoRecord id;
  BY_HANDLE_FILE_INFORMATION info;
  bool known = false;
  if (::GetFileInformationByHandleEx(handle, kFileIdInfo, &id, sizeof id)) {
    unsigned long long low = 0;
    unsigned long long high = 0;
    std::memcpy(&low, id.file_id, sizeof low);
    std::memcpy(&high, id.file_id + sizeof low, sizeof high);
    identity->volume = id.volume_serial_number;
    identity->index = low;
    identity->index_high = high;
    known = true;
  } else if (::GetFileInformationByHandle(handle, &info)) {
    identity->volume = info.dwVolumeSerialNumber;
    identity->index =
        (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) |
        info.nFileIndexLow;
    identity->index_high = 0;
    known = true;
  }
  if (owned) ::CloseHandle(handle);
  // Wine gives a standard input opened by its Unix shell volume 0.
  identity->volume_known = owned || identity->volume != 0;
  return known;
}

bool IsFolder(const std::string& path) {
  std::wstring wide;
  if (!Utf8ToWide(path, &wide)) return false;
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

namespace {

// The part of `path` up to and with its last separator (a drive's colon
// counts: "C:*.cld"), as typed; empty for a bare name.
std::string FolderPart(const std::string& path) {
  const auto end = path.find_last_of("\\/:");
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

// Runs FindFirstFileExW over `pattern` (UTF-16) and gives each match but
// "." and ".." to `take`. False with the system's error when the search
// cannot start for another reason than finding nothing.
template <typename Take>
bool FindMatches(const std::wstring& pattern, Take take, DWORD* error) {
  WIN32_FIND_DATAW data;
  const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic,
                                           &data, FindExSearchNameMatch,
                                           nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) {
    *error = ::GetLastError();
    return *error == ERROR_FILE_NOT_FOUND;
  }
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    take(name, data);
  } while (::FindNextFileW(search, &data));
  ::FindClose(search);
  return true;
}

}  // namespace

bool ListFolder(const std::string& path, std::vector<FolderEntry>* entries,
                std::string* reason) {
  std::wstring wide;
  if (!Utf8ToWide(path, &wide)) {
    *reason = "the path is not valid UTF-8";
    return false;
  }
  // A path such as "fleet/" or "C:" ends in a separator already.
  const bool ends_in_separator = FolderPart(path).size() == path.size();
  const std::string prefix = ends_in_separator ? path : path + "\\";
  entries->clear();
  DWORD error = 0;
  const bool listed = FindMatches(
      wide + (ends_in_separator ? L"*" : L"\\*"),
      [&](const std::wstring& name, const WIN32_FIND_DATAW& data) {
        std::string utf8;
        if (!WideToUtf8(name, &utf8)) return;
        FolderEntry entry{prefix + utf8, EntryKind::kOther};
        const DWORD attributes = data.dwFileAttributes;
        // A symbolic link or a junction (a mount point) leads elsewhere;
        // other reparse points (a cloud placeholder, say) are the file.
        const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                          (data.dwReserved0 == IO_REPARSE_TAG_SYMLINK ||
                           data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
        entry.kind = link ? EntryKind::kLink
                     : (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                         ? EntryKind::kFolder
                         : (attributes & FILE_ATTRIBUTE_DEVICE) != 0
                               ? EntryKind::kOther
                               : EntryKind::kFile;
        entries->push_back(std::move(entry));
      },
      &error);
  if (!listed) *reason = SystemErrorText(error);
  return listed;
}

bool ExpandWildcards(const std::string& argument,
                     std::vector<std::string>* matches) {
  const std::string folder = FolderPart(argument);
  if (argument.find_first_of("*?", folder.size()) == std::string::npos) {
    return false;
  }
  matches->clear();
  std::wstring wide;
  if (!Utf8ToWide(argument, &wide)) return true;
  DWORD error = 0;
  // The system matches as cmd.exe's dir does (case-insensitively, and
  // the short 8.3 names too); a search that fails finds nothing.
  FindMatches(
      wide,
      [&](const std::wstring& name, const WIN32_FIND_DATAW&) {
        std::string utf8;
        if (WideToUtf8(name, &utf8)) matches->push_back(folder + utf8);
      },
      &error);
  return true;
}

// The C runtime has no memory stream: the bytes go to a temporary file
// that the system deletes when the stream is closed ("D"), kept in memory
// as far as the cache allows ("T").
std::FILE* OpenMemoryStream(std::string_view bytes) {
  wchar_t folder[MAX_PATH + 1];
  wchar_t name[MAX_PATH + 1];
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH ||
      ::GetTempFileNameW(folder, L"vx", 0, name) == 0) {
    errno = EIO;
    return nullptr;
  }
  std::FILE* file = ::_wfopen(name, L"w+bTD");
  if (file == nullptr) {
    ::DeleteFileW(name);
    return nullptr;
  }
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
      std::fflush(file) != 0) {
    std::fclose(file);
    return nullptr;
  }
  std::rewind(file);
  return file;
}

namespace {

HANDLE StandardHandle(int stream) {
  return ::GetStdHandle(stream == 2 ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
}

// A console takes UTF-16. A UTF-8 character cut by the end of one write
// waits for the rest in `pending`; bytes that are not UTF-8 show as U+FFFD.
bool WriteConsole(HANDLE console, std::string_view bytes,
                  std::string* pending, std::string* reason) {
  std::string text = *pending + std::string(bytes);
  std::size_t keep = 0;
  for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto c = static_cast<unsigned char>(text[text.size() - back]);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte
    const std::size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (need > back) keep = back;
    break;
  }
  *pending = text.substr(text.size() - keep);
  text.resize(text.size() - keep);
  if (text.empty()) return true;
  const int units = ::MultiByteToWideChar(
      CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                        wide.data(), units);
  const wchar_t* data = wide.data();
  DWORD left = static_cast<DWORD>(wide.size());
  while (left > 0) {
    DWORD written = 0;
    if (!::WriteConsoleW(console, data, left, &written, nullptr) ||
        written == 0) {
      *reason = SystemErrorText(::GetLastError());
      return false;
    }
    data += written;
    left -= written;
  }
  return true;
}

}  // namespace

bool WriteStandardStream(int stream, std::string_view bytes,
                         std::string* reason) {
  static std::string pending[3];
  const HANDLE handle = StandardHandle(stream);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    *reason = "the stream is closed";
    return false;
  }
  DWORD mode = 0;
  if (::GetConsoleMode(handle, &mode)) {
    return WriteConsole(handle, bytes, &pending[stream == 2 ? 2 : 1], reason);
  }
  if (!WriteAll(handle, bytes)) {
    *reason = SystemErrorText(::GetLastError());
    return false;
  }
  return true;
}

bool CloseStandardOutput(std::string* reason) {
  // A file on a disk reports a failure that the writes did not see when
  // it is flushed; a pipe or a console has nothing more to tell.
  const HANDLE handle = StandardHandle(1);
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE &&
      ::GetFileType(handle) == FILE_TYPE_DISK &&
      !::FlushFileBuffers(handle)) {
    *reason = SystemErrorText(::GetLastError());
    return false;
  }
  return true;
}

void SetEnvironment(const std::string& name, const std::string& value) {
  std::wstring wide_name;
  std::wstring wide_value;
  Utf8ToWide(name, &wide_name);
  Utf8ToWide(value, &wide_value);
  // _wputenv sets the C runtime's table, which the peers' getenv reads,
  // and the process environment.
  const std::wstring entry = wide_name + L"=" + wide_value;
  ::_wputenv(entry.c_str());
}

std::vector<std::string> DefaultLibraryPaths() {
  const std::wstring folder = ProgramFolder();
  std::vector<std::string> paths;
  for (const std::wstring& path :
       {folder + L"\\Vexa.dll", folder + L"\\..\\bin\\Vexa.dll"}) {
    std::string utf8;
    if (WideToUtf8(path, &utf8)) paths.push_back(utf8);
  }
  return paths;
}

tool_interface::Library LoadToolLibrary(const std::string& path,
                                  std::string* reason) {
  std::wstring wide;
  if (!Utf8ToWide(path, &wide)) {
    *reason = "the path is not valid UTF-8";
    return nullptr;
  }
  // The SDK keeps the stand-in peers (PC.dll, NORL.dll, NORL_MERIAK.dll)
  // in their own folder beside bin; a build keeps them beside Vexa.dll,
  // which the altered search path finds for a library given by its path.
  const auto slash = wide.find_last_of(L"\\/");
  DWORD flags = 0;
  if (slash != std::wstring::npos) {
    const std::wstring stand_ins = wide.substr(0, slash) + L"\\..\\stand-ins";
    const DWORD attributes = ::GetFileAttributesW(stand_ins.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      ::SetDllDirectoryW(stand_ins.c_str());
    }
    wchar_t full[MAX_PATH + 1];
    const DWORD n = ::GetFullPathNameW(wide.c_str(), MAX_PATH + 1, full,
                                       nullptr);
    if (n > 0 && n <= MAX_PATH) wide = full;
    flags = LOAD_WITH_ALTERED_SEARCH_PATH;
  }
  const HMODULE library = ::LoadLibraryExW(wide.c_str(), nullptr, flags);
  if (library == nullptr) *reason = SystemErrorText(::GetLastError());
  return reinterpret_cast<tool_interface::Library>(library);
}

}  // namespace vexa::tool

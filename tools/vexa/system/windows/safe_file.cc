// Putting a user's file in place on Windows (see safe_file.h). The target
// is examined through a handle, so that a link is followed to its final
// target and a device name (NUL, CON, COM1, which exist in every folder)
// shows as what it is: only a disk file is replaced.

#include "system/safe_file.h"

#include <cstdio>

#include "system/environment.h"
#include "system/windows/wide.h"

namespace vexa::tool {
namespace {

std::string Reason() { return SystemErrorText(::GetLastError()); }

std::string Quoted(const std::wstring& wide) {
  std::string utf8;
  WideToUtf8(wide, &utf8);
  return "'" + utf8 + "'";
}

// The path the system opens for `handle`, without the "\\?\" that the
// system puts before it; empty when it cannot be had.
std::wstring FinalPath(HANDLE handle) {
  wchar_t path[32768];
  const DWORD n = ::GetFinalPathNameByHandleW(handle, path, 32768,
                                              FILE_NAME_NORMALIZED);
  if (n == 0 || n >= 32768) return L"";
  std::wstring result(path, n);
  if (result.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    result = L"\\" + result.substr(7);
  } else if (result.rfind(L"\\\\?\\", 0) == 0) {
    result = result.substr(4);
  }
  return result;
}

}  // namespace

std::string NotRegularFileKind(const std::string& path) {
  std::wstring wide;
  if (!Utf8ToWide(path, &wide)) return "";
  const HANDLE handle = ::CreateFileW(
      wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return "";
  std::string kind;
  switch (::GetFileType(handle)) {
    case FILE_TYPE_DISK: {
      BY_HANDLE_FILE_INFORMATION info;
      if (::GetFileInformationByHandle(handle, &info) &&
          (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        kind = "a directory";
      }
      break;
    }
    case FILE_TYPE_CHAR:
      kind = "a character device";
      break;
    case FILE_TYPE_PIPE:
      kind = "a pipe";
      break;
    default:
      kind = "not a disk file";
  }
  ::CloseHandle(handle);
  return kind;
}

bool WriteFileSafely(const std::string& path, std::string_view bytes,
                     WriteMode mode, std::string* placed, std::string* error) {
  std::wstring target;
  if (!Utf8ToWide(path, &target)) {
    *error = "'" + path + "' is not a valid file name (not UTF-8)";
    return false;
  }
  std::string shown = "'" + path + "'";
  bool exists = false;
  DWORD attributes = 0;
  const HANDLE probe = ::CreateFileW(
      target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    exists = true;
    const std::string kind = NotRegularFileKind(path);
    BY_HANDLE_FILE_INFORMATION info{};
    const bool examined = ::GetFileInformationByHandle(probe, &info) != 0;
    attributes = info.dwFileAttributes;
    if (kind.empty() && examined) {
      // A link is replaced at its final target.
      const std::wstring final_path = FinalPath(probe);
      if (!final_path.empty() &&
          (::GetFileAttributesW(target.c_str()) &
           FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        shown += " (a link to " + Quoted(final_path) + ")";
        target = final_path;
      }
    }
    ::CloseHandle(probe);
    if (!kind.empty()) {
      *error = shown + " is " + kind + "; only a regular file is replaced";
      return false;
    }
    if (!examined) {
      *error = "cannot examine " + shown + ": " + Reason();
      return false;
    }
  } else {
    const DWORD failure = ::GetLastError();
    if (failure != ERROR_FILE_NOT_FOUND && failure != ERROR_PATH_NOT_FOUND) {
      *error = "cannot examine " + shown + ": " + SystemErrorText(failure);
      return false;
    }
  }
  if (exists && mode.no_clobber) {
    *error = shown + " exists and --no-clobber was given";
    return false;
  }
  const bool read_only = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  if (exists && read_only && !mode.force) {
    *error = shown + " is read-only; --force replaces it anyway";
    return false;
  }

  const auto slash = target.find_last_of(L"\\/:");
  const std::wstring folder =
      slash == std::wstring::npos ? L"" : target.substr(0, slash + 1);
  std::wstring staging;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE;
       ++attempt) {
    std::wstring token;
    Utf8ToWide(UniqueToken(), &token);
    // A short name, so that no target name the folder takes is made too
    // long by the staging file's.
    staging = folder + L".vexa-" + token;
    file = ::CreateFileW(staging.c_str(), GENERIC_WRITE, 0, nullptr,
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE &&
        ::GetLastError() != ERROR_FILE_EXISTS) {
      break;
    }
  }
  if (file == INVALID_HANDLE_VALUE) {
    const std::wstring shown_folder =
        folder.size() > 1 && (folder.back() == L'\\' || folder.back() == L'/')
            ? folder.substr(0, folder.size() - 1)
            : folder;
    *error = "cannot create a file in " +
             Quoted(folder.empty() ? L"." : shown_folder) + " to write " +
             shown +
             ": " + Reason();
    return false;
  }
  auto fail = [&](const std::string& what) {
    *error = what + ": " + Reason();
    const DWORD saved = ::GetLastError();
    ::DeleteFileW(staging.c_str());
    ::SetLastError(saved);
    return false;
  };
  const bool written = WriteAll(file, bytes) && ::FlushFileBuffers(file);
  if (!written) {
    const DWORD saved = ::GetLastError();
    ::CloseHandle(file);
    ::SetLastError(saved);
    return fail("cannot write " + shown);
  }
  if (!::CloseHandle(file)) return fail("cannot write " + shown);

  if (!exists || mode.no_clobber) {
    // Without MOVEFILE_REPLACE_EXISTING a name that appeared meanwhile is
    // never replaced.
    if (!::MoveFileExW(staging.c_str(), target.c_str(),
                       MOVEFILE_WRITE_THROUGH)) {
      if (::GetLastError() == ERROR_ALREADY_EXISTS ||
          ::GetLastError() == ERROR_FILE_EXISTS) {
        ::DeleteFileW(staging.c_str());
        *error = mode.no_clobber
                     ? shown + " exists and --no-clobber was given"
                     : shown + " appeared while it was written; it is kept";
        return false;
      }
      return fail("cannot create " + shown);
    }
  } else {
    // A forced read-only target loses its mark for the replacement and
    // gets it back on the new file.
    if (read_only) {
      ::SetFileAttributesW(target.c_str(),
                           attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    // ReplaceFileW keeps the target's attributes, security and streams;
    // where the file system cannot, a plain replacing move does.
    bool replaced = ::ReplaceFileW(target.c_str(), staging.c_str(), nullptr,
                                   REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                                   nullptr) != 0;
    if (!replaced) {
      replaced = ::MoveFileExW(staging.c_str(), target.c_str(),
                               MOVEFILE_REPLACE_EXISTING |
                                   MOVEFILE_WRITE_THROUGH) != 0;
    }
    if (read_only) {
      const DWORD saved = ::GetLastError();
      ::SetFileAttributesW(target.c_str(), attributes);
      ::SetLastError(saved);
    }
    if (!replaced) return fail("cannot replace " + shown);
  }
  WideToUtf8(target, placed);
  return true;
}

}  // namespace vexa::tool

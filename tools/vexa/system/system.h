// The tool's operating-system services: the one seam between the commands
// and the system, with one implementation per system (posix/system.cc,
// windows/system.cc), as the library's platform layer has. Above the seam
// every path and every text is UTF-8; on Windows the implementation speaks
// UTF-16 to the system, so a file name works whatever the code page.
// The same files also implement OpenMemoryStream (input_file.h) and
// SetEnvironment (environment.h); safe_file.h, sound_listener.h and
// head_unit.h are the larger parts of the same seam, each with a file of
// its name in posix/ and windows/.
//
// Threading: one caller at a time.

#ifndef VEXA_TOOLS_VEXA_SYSTEM_SYSTEM_H_
#define VEXA_TOOLS_VEXA_SYSTEM_SYSTEM_H_

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "tool_interface/library_access.h"

namespace vexa::tool {

// Opens the file at the UTF-8 `path` for binary reading. Null on failure,
// with errno set.
std::FILE* OpenForReading(const std::string& path);

// What an open input is: a regular file (which can seek, of `*size`
// bytes), a directory, or a stream (a pipe, a console, a device). False
// with errno set when it cannot be examined.
enum class InputKind { kRegular, kDirectory, kStream };
bool ExamineInput(std::FILE* file, InputKind* kind, long long* size);

// Which file a name opens: the device and inode on POSIX, the volume
// serial number and file id (or index) on Windows. Two names of one file (a hard
// link, a symbolic link followed to its end) have the same identity.
struct FileIdentity {
  unsigned long long volume = 0;
  unsigned long long index = 0;
  unsigned long long index_high = 0;  // Windows' 128-bit file ids
  // False when the system gives the file but not its volume (Wine, for a
  // standard input redirected from a file): the file id alone then
  // decides, which errs toward treating two files as one.
  bool volume_known = true;
  bool operator==(const FileIdentity& other) const {
    return (volume == other.volume || !volume_known || !other.volume_known) &&
           index == other.index && index_high == other.index_high;
  }
};

// The identity of the file at the UTF-8 `path` ("-": what standard input
// reads), following links. False when there is no such file or it cannot
// be examined.
bool IdentifyFile(const std::string& path, FileIdentity* identity);

// What a folder holds, one entry per name ("." and ".." left out). A link
// (a symbolic link, or a junction on Windows) is kLink whatever it leads
// to, so that a walk can decide not to follow it.
enum class EntryKind { kFile, kFolder, kLink, kOther };
struct FolderEntry {
  std::string path;  // the folder's path as given, joined to the name
  EntryKind kind = EntryKind::kOther;
};

// Whether the UTF-8 `path` names a folder (a link to one counts).
bool IsFolder(const std::string& path);

// The entries of the folder at `path`, in no particular order. False with
// the system's reason when it cannot be read.
bool ListFolder(const std::string& path, std::vector<FolderEntry>* entries,
                std::string* reason);

// The names that the file argument `argument` stands for where the
// program, not the shell, expands wildcards (Windows: `*` and `?` in its
// last part, matched by the system), joined to the argument's folder as
// typed, in no particular order. False when the argument is a name as it
// stands: on POSIX always (the shell has expanded it), on Windows when it
// holds no wildcard.
bool ExpandWildcards(const std::string& argument,
                     std::vector<std::string>* matches);

// Writes all of `bytes` to standard output (`stream` 1) or standard error
// (2). False with the system's reason when a write fails.
bool WriteStandardStream(int stream, std::string_view bytes,
                         std::string* reason);

// Closes standard output after the last write, so that a failure that an
// earlier write could not see is reported. False with the system's reason.
bool CloseStandardOutput(std::string* reason);

// What simulate loads when not told, first to last: on the host
// libvexa.so by name (the tool's library path), then that of the build; on
// Windows Vexa.dll beside the tool, then in the SDK's bin folder.
std::vector<std::string> DefaultLibraryPaths();

// Loads the library at `path` (a file name or a path) as a navigation
// program loads it, with its peers found. Null on failure, with the
// system's reason in `*reason`.
tool_interface::Library LoadToolLibrary(const std::string& path,
                                  std::string* reason);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_SYSTEM_SYSTEM_H_

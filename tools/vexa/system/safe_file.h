// Putting a user's file in place without ever harming what the path names.
// The bytes go to a staging file in the target's own folder, are flushed to
// the disk, and the staging file then takes the target's name in one step,
// so a reader sees the old file or the new one and never half of either. A
// symbolic link is followed to its final target, which is replaced while
// the link stays a link; a hard link is split (the other names keep the old
// bytes). Only a regular file, or a name that does not exist yet, is
// replaced: a folder, a device, a FIFO or a socket is refused and left
// alone, and so is a file the user may not write (read-only) unless forced.
// On any failure the target is unchanged and the staging file gone.
//
// Each system has its own implementation:
// - posix/safe_file.cc: mkstemp, fsync, rename (link() for no-clobber); a
//   replaced file keeps its permission bits, and its owner and group when
//   the tool runs as root.
// - windows/safe_file.cc: CreateFileW, FlushFileBuffers, ReplaceFileW
//   (which keeps the target's attributes and security) or MoveFileExW with
//   MOVEFILE_WRITE_THROUGH; a name that opens a device (NUL, CON, COM1) or
//   a pipe is refused by GetFileType.
//
// Threading: one caller at a time (the process umask is read).

#ifndef VEXA_TOOLS_VEXA_SYSTEM_SAFE_FILE_H_
#define VEXA_TOOLS_VEXA_SYSTEM_SAFE_FILE_H_

#include <string>
#include <string_view>

namespace vexa::tool {

struct WriteMode {
  // An existing target is refused (and never replaced, even by a file that
  // appears meanwhile).
  bool no_clobber = false;
  // A target that the user may not write is replaced all the same (its
  // folder must allow it), keeping its read-only mode.
  bool force = false;
};

// Writes `bytes` to the file at `path` (UTF-8) as described above. On
// success `*placed` is the path of the file actually written (the link's
// final target). On failure returns false with a message that names the
// path and gives the system's reason.
bool WriteFileSafely(const std::string& path, std::string_view bytes,
                     WriteMode mode, std::string* placed, std::string* error);

// The same, never forced.
inline bool WriteFileSafely(const std::string& path, std::string_view bytes,
                            bool no_clobber, std::string* placed,
                            std::string* error) {
  return WriteFileSafely(path, bytes, WriteMode{no_clobber, false}, placed,
                         error);
}

// What the file at `path` is, for messages: "a directory", "a FIFO", ...;
// empty for a regular file or one that cannot be examined.
std::string NotRegularFileKind(const std::string& path);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_SYSTEM_SAFE_FILE_H_

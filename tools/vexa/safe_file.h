// Putting a user's file in place without ever harming what the path names.
// The bytes go to a staging file made with mkstemp in the target's own
// folder, are flushed to the disk with fsync, and the staging file is then
// renamed over the target in one step, so a reader sees the old file or the
// new one and never half of either. A symbolic link is followed to its
// final target, which is replaced while the link stays a link. Only a
// regular file, or a name that does not exist yet, is replaced: a folder, a
// device, a FIFO or a socket is refused and left alone. A replaced file
// keeps its permission bits, and its owner and group when the tool runs as
// root. On any failure the target is unchanged and the staging file gone.
//
// Threading: one caller at a time (the process umask is read).

#ifndef VEXA_TOOLS_VEXA_SAFE_FILE_H_
#define VEXA_TOOLS_VEXA_SAFE_FILE_H_

#include <string>
#include <string_view>

namespace vexa::tool {

// Writes `bytes` to the file at `path` as described above. With
// `no_clobber` an existing target is refused (and never replaced, even by
// a file that appears meanwhile). On success `*placed` is the path of the
// file actually written (the link's final target). On failure returns false
// with a message that names the path and gives the system's reason.
bool WriteFileSafely(const std::string& path, std::string_view bytes,
                     bool no_clobber, std::string* placed, std::string* error);

// What the file at `path` is, for messages: "a directory", "a FIFO", ...;
// empty for a regular file or one that cannot be examined.
std::string NotRegularFileKind(const std::string& path);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_SAFE_FILE_H_

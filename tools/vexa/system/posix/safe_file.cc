// Putting a user's file in place (see safe_file.h).

#include "system/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace vexa::tool {
namespace {

namespace fs = std::filesystem;

// The kernel's own limit on links in one path lookup.
constexpr int kMaxLinks = 40;

std::string Reason() { return std::strerror(errno); }

std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISREG(mode)) return "";
  return "not a regular file";
}

// Follows `path` through symbolic links to the name that is finally
// written; a dangling link leads to the missing name it points at.
bool FollowLinks(const std::string& path, std::string* target,
                 std::string* error) {
  fs::path current = path;
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat info;
    if (::lstat(current.c_str(), &info) != 0) {
      if (errno == ENOENT) {
        *target = current.string();
        return true;
      }
      *error = "cannot examine '" + current.string() + "': " + Reason();
      return false;
    }
    if (!S_ISLNK(info.st_mode)) {
      *target = current.string();
      return true;
    }
    std::error_code failure;
    const fs::path next = fs::read_symlink(current, failure);
    if (failure) {
      *error = "cannot read the link '" + current.string() +
               "': " + failure.message();
      return false;
    }
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  *error = "'" + path + "': too many levels of symbolic links";
  return false;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Makes the folder's entry for the renamed file durable too. Some file
// systems cannot sync a folder; the data itself is on disk already.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::string NotRegularFileKind(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return "";
  return KindOf(info.st_mode);
}

bool WriteFileSafely(const std::string& path, std::string_view bytes,
                     WriteMode mode, std::string* placed, std::string* error) {
  const bool no_clobber = mode.no_clobber;
  std::string target;
  if (!FollowLinks(path, &target, error)) return false;
  const std::string shown = target == path
                                ? "'" + path + "'"
                                : "'" + path + "' (a link to '" + target + "')";
  struct stat existing;
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (exists) {
    const std::string kind = KindOf(existing.st_mode);
    if (!kind.empty()) {
      *error = shown + " is " + kind + "; only a regular file is replaced";
      return false;
    }
    if (no_clobber) {
      *error = shown + " exists and --no-clobber was given";
      return false;
    }
    // rename() needs only the folder's permission, so a read-only file
    // would be replaced without a word; the owner's bits say otherwise.
    // Root passes access(), so a file without any write bit counts as
    // read-only by its mode.
    const bool no_write_bit =
        (existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    if (!mode.force &&
        (no_write_bit ||
         (::access(target.c_str(), W_OK) != 0 && errno == EACCES))) {
      char bits[8];
      std::snprintf(bits, sizeof bits, "%04o",
                    static_cast<unsigned>(existing.st_mode & 07777));
      *error = shown + " is read-only (mode " + bits +
               "); --force replaces it anyway";
      return false;
    }
  }

  const fs::path target_path(target);
  const std::string folder = target_path.has_parent_path()
                                 ? target_path.parent_path().string()
                                 : std::string(".");
  // A short name, so that no target name the folder takes is made too
  // long by the staging file's.
  std::string staging = folder + "/.vexa-XXXXXX";
  const int fd = ::mkstemp(staging.data());
  if (fd < 0) {
    *error = "cannot create a file in '" + folder + "' to write " + shown +
             ": " + Reason();
    return false;
  }
  auto fail = [&](const std::string& what) {
    *error = what + ": " + Reason();
    ::unlink(staging.c_str());
    return false;
  };
  bool written = WriteAll(fd, bytes);
  // chown clears the set-user-ID bits, so the owner comes before the mode.
  if (written && exists && ::geteuid() == 0) {
    written = ::fchown(fd, existing.st_uid, existing.st_gid) == 0;
  }
  if (written) {
    written =
        ::fchmod(fd, exists ? existing.st_mode & 07777 : NewFileMode()) == 0;
  }
  if (written) written = ::fsync(fd) == 0;
  if (!written) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return fail("cannot write " + shown);
  }
  if (::close(fd) != 0) return fail("cannot write " + shown);

  if (no_clobber) {
    // link() never replaces a name, unlike rename(): a file that appeared
    // since the check above is still refused.
    if (::link(staging.c_str(), target.c_str()) != 0) {
      if (errno == EEXIST) {
        *error = shown + " exists and --no-clobber was given";
        ::unlink(staging.c_str());
        return false;
      }
      return fail("cannot create " + shown);
    }
    ::unlink(staging.c_str());
  } else if (::rename(staging.c_str(), target.c_str()) != 0) {
    return fail("cannot replace " + shown);
  }
  SyncFolder(folder);
  *placed = target;
  return true;
}

}  // namespace vexa::tool

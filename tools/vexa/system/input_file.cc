// Reading the user's input files (see input_file.h).

#include "system/input_file.h"

#include <cerrno>
#include <cstring>

#include "system/system.h"
#include "text/text_codec.h"

namespace vexa::tool {
namespace {

std::string Reason(int error) { return std::strerror(error); }

// Reads all of `file` into `bytes`; false on a read error or when more than
// `limit` bytes come.
bool ReadStream(std::FILE* file, std::size_t limit, std::string* bytes,
                int* error) {
  bytes->clear();
  char buffer[16384];
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, file);
    bytes->append(buffer, n);
    if (bytes->size() > limit) {
      *error = EFBIG;
      return false;
    }
    if (n < sizeof buffer) break;
  }
  if (std::ferror(file)) {
    *error = errno != 0 ? errno : EIO;
    return false;
  }
  return true;
}

std::string TooLong(const std::string& path, std::size_t limit) {
  return InputName(path) + " is longer than " + std::to_string(limit) +
         " bytes";
}

}  // namespace

std::string InputName(const std::string& path) {
  return path == "-" ? std::string("standard input")
                     : "'" + ShownPath(path) + "'";
}

std::string InputAtTarget(const std::string& target,
                          const std::vector<std::string>& inputs) {
  FileIdentity written;
  if (target == "-" || !IdentifyFile(target, &written)) return "";
  for (const std::string& input : inputs) {
    FileIdentity read;
    if (!input.empty() && IdentifyFile(input, &read) && read == written) {
      return input;
    }
  }
  return "";
}

InputFile::~InputFile() {
  if (stream_ != nullptr && owns_) std::fclose(stream_);
}

bool InputFile::Open(const std::string& path, std::string* error) {
  std::FILE* file = stdin;
  if (path != "-") {
    errno = 0;
    file = OpenForReading(path);
    if (file == nullptr && errno == EISDIR) {
      *error = InputName(path) + " is a directory";
      return false;
    }
    if (file == nullptr) {
      *error = "cannot open " + InputName(path) + ": " + Reason(errno);
      return false;
    }
  }
  auto close = [&] {
    if (file != stdin) std::fclose(file);
  };
  InputKind kind = InputKind::kStream;
  long long size = 0;
  errno = 0;
  if (!ExamineInput(file, &kind, &size)) {
    *error = "cannot examine " + InputName(path) + ": " + Reason(errno);
    close();
    return false;
  }
  if (kind == InputKind::kDirectory) {
    *error = InputName(path) + " is a directory";
    close();
    return false;
  }
  if (kind == InputKind::kRegular) {
    stream_ = file;
    owns_ = file != stdin;
    size_ = size;
    return true;
  }
  int failure = 0;
  const bool read = ReadStream(file, kMaxStreamBytes, &memory_, &failure);
  close();
  if (!read) {
    too_long_ = failure == EFBIG;
    *error = failure == EFBIG
                 ? TooLong(path, kMaxStreamBytes)
                 : "cannot read " + InputName(path) + ": " + Reason(failure);
    return false;
  }
  stream_ = OpenMemoryStream(memory_);
  owns_ = true;
  size_ = static_cast<long long>(memory_.size());
  if (stream_ == nullptr) {
    *error = "cannot read " + InputName(path) + ": " + Reason(errno);
    return false;
  }
  return true;
}

std::string InputFile::Head(std::size_t limit) {
  std::string bytes(limit, '\0');
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), stream_));
  std::rewind(stream_);
  return bytes;
}

bool ReadWholeFile(const std::string& path, std::size_t limit,
                   std::string* bytes, std::string* error) {
  InputFile input;
  if (!input.Open(path, error)) return false;
  int failure = 0;
  if (!ReadStream(input.stream(), limit, bytes, &failure)) {
    *error = failure == EFBIG
                 ? TooLong(path, limit)
                 : "cannot read " + InputName(path) + ": " + Reason(failure);
    return false;
  }
  return true;
}

}  // namespace vexa::tool

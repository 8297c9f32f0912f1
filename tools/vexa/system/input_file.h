// Reading the user's input files: destination files for decode, GPX and
// CSV for encode. "-" is standard input. A regular file is read from its
// own stream; anything else (standard input, a pipe, a device) cannot seek,
// so it is read into memory and handed on as a memory stream, which the
// library's plans can seek in as in a file. Every failure names the path
// and gives the system's reason.
//
// Threading: one caller at a time.

#ifndef VEXA_TOOLS_VEXA_SYSTEM_INPUT_FILE_H_
#define VEXA_TOOLS_VEXA_SYSTEM_INPUT_FILE_H_

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vexa::tool {

// What the tool reads of an input that is not a regular file; no
// destination file comes anywhere near it.
constexpr std::size_t kMaxStreamBytes = 1 << 20;

// An input opened for reading, positioned at its start.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens `path` ("-": standard input). False with a message on failure
  // (the path cannot be opened or read, is a directory, or is a stream
  // longer than kMaxStreamBytes).
  bool Open(const std::string& path, std::string* error);

  std::FILE* stream() const { return stream_; }
  // The input's size in bytes.
  long long size() const { return size_; }
  // Its first bytes (at most `limit`); the stream stays at the start.
  std::string Head(std::size_t limit);
  // Whether Open failed because a stream was longer than kMaxStreamBytes.
  bool too_long() const { return too_long_; }

 private:
  std::string memory_;  // the bytes of an input that cannot seek
  std::FILE* stream_ = nullptr;
  bool owns_ = false;  // false for standard input
  long long size_ = 0;
  bool too_long_ = false;
};

// The whole of the file at `path` ("-": standard input), at most `limit`
// bytes. False with a message on failure or when it is longer.
bool ReadWholeFile(const std::string& path, std::size_t limit,
                   std::string* bytes, std::string* error);

// A memory stream over `bytes`, which must outlive it; null on failure.
// Each system has its own (posix/system.cc, windows/system.cc).
std::FILE* OpenMemoryStream(std::string_view bytes);

// The first of `inputs` that is the very file `target` names, through a
// hard or symbolic link too (system.h's IdentifyFile); empty when none is.
// "-" among the inputs stands for what standard input reads; a target of
// "-", or one that does not exist yet, is no input. Writing the target
// would replace that input, so a command asks before it reads anything.
std::string InputAtTarget(const std::string& target,
                          const std::vector<std::string>& inputs);

// "standard input" for "-", else the path in quotes.
std::string InputName(const std::string& path);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_SYSTEM_INPUT_FILE_H_

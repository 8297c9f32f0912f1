// Standard output that tells when it fails (see standard_output.h).

#include "standard_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <streambuf>

namespace vexa::tool {
namespace {

class CheckedBuffer : public std::streambuf {
 public:
  CheckedBuffer() { setp(buffer_, buffer_ + sizeof buffer_); }

  // The first errno of a failed write; 0 while all went well.
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override {
    if (Drain() != 0) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }

  int sync() override { return Drain(); }

 private:
  int Drain() {
    const char* data = pbase();
    std::size_t size = static_cast<std::size_t>(pptr() - pbase());
    setp(buffer_, buffer_ + sizeof buffer_);
    while (size > 0 && error_ == 0) {
      const ssize_t n = ::write(STDOUT_FILENO, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error_ = n < 0 ? errno : EIO;
        break;
      }
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return error_ == 0 ? 0 : -1;
  }

  char buffer_[8192];
  int error_ = 0;
};

// Never destroyed: the runtime flushes std::cout once more at exit, after
// every static object of the tool is gone.
CheckedBuffer& Buffer() {
  static CheckedBuffer* const buffer = new CheckedBuffer;
  return *buffer;
}

}  // namespace

void CheckStandardOutput() { std::cout.rdbuf(&Buffer()); }

int FinishStandardOutput(int status) {
  std::cout.flush();
  int error = Buffer().error();
  // Closing reports what an earlier write could not (NFS, say).
  if (error == 0 && ::close(STDOUT_FILENO) != 0 && errno != EBADF) {
    error = errno;
  }
  if (error == 0) return status;
  std::cerr << "vexa: error writing to standard output: "
            << std::strerror(error) << '\n';
  return 1;
}

}  // namespace vexa::tool

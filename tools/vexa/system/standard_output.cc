// Standard output that tells when it fails (see standard_output.h).

#include "system/standard_output.h"

#include <iostream>
#include <streambuf>
#include <string>

#include "system/system.h"

namespace vexa::tool {
namespace {

class CheckedBuffer : public std::streambuf {
 public:
  CheckedBuffer() { setp(buffer_, buffer_ + sizeof buffer_); }

  // Why the first failed write failed; empty while all went well.
  const std::string& error() const { return error_; }

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
    const std::string_view bytes(pbase(),
                                 static_cast<std::size_t>(pptr() - pbase()));
    setp(buffer_, buffer_ + sizeof buffer_);
    if (error_.empty() && !bytes.empty()) {
      WriteStandardStream(1, bytes, &error_);
    }
    return error_.empty() ? 0 : -1;
  }

  char buffer_[8192];
  std::string error_;
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
  std::string error = Buffer().error();
  if (error.empty() && !CloseStandardOutput(&error) && error.empty()) {
    error = "the stream cannot be closed";
  }
  if (error.empty()) return status;
  std::cerr << "vexa: error writing to standard output: " << error << '\n';
  return 1;
}

}  // namespace vexa::tool

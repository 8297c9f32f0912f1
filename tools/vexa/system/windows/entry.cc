// The tool's entry on Windows. The command line comes as UTF-16 (wmain), so
// an argument such as 目的地.cld arrives whole whatever the ANSI code page;
// the shared code gets it as UTF-8. Standard input and output carry bytes
// (binary mode, no CR added or dropped), and standard error goes through
// the same writer as standard output, so a console shows UTF-8 text as the
// characters it means.

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include "entry.h"
#include "system/system.h"
#include "system/windows/wide.h"

namespace {

// Standard error, unbuffered as std::cerr is; a failed write is ignored, as
// there is nowhere left to tell of it.
class ErrorBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      const char byte = traits_type::to_char_type(c);
      std::string ignored;
      vexa::tool::WriteStandardStream(2, std::string_view(&byte, 1), &ignored);
    }
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* data, std::streamsize size) override {
    std::string ignored;
    vexa::tool::WriteStandardStream(
        2, std::string_view(data, static_cast<std::size_t>(size)), &ignored);
    return size;
  }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ::_setmode(::_fileno(stdin), _O_BINARY);
  ::_setmode(::_fileno(stdout), _O_BINARY);
  static ErrorBuffer error_buffer;
  std::cerr.rdbuf(&error_buffer);

  std::vector<std::string> arguments(static_cast<std::size_t>(argc));
  std::vector<char*> pointers;
  for (int i = 0; i < argc; ++i) {
    if (!vexa::tool::WideToUtf8(argv[i], &arguments[i])) {
      std::cerr << "vexa: argument " << i
                << " holds an unpaired UTF-16 surrogate\n";
      return 2;
    }
    pointers.push_back(arguments[i].data());
  }
  pointers.push_back(nullptr);
  return vexa::tool::RunVexa(argc, pointers.data());
}

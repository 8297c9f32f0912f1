// A read-only standard I/O stream over bytes in memory that can be told to
// fail the way a real file on a removable medium fails: reads that stop
// with an I/O error after some bytes, a size at the end that is larger than
// what can be read, seeks or position queries that fail. With no fault set
// it behaves as a file of those bytes. glibc's fopencookie; host only.

#ifndef VEXA_TESTS_SUPPORT_FAULTY_STREAM_H_
#define VEXA_TESTS_SUPPORT_FAULTY_STREAM_H_

#include <cstddef>
#include <cstdio>
#include <string>

namespace vexa::test {

struct StreamFaults {
  // Reads deliver at most this many bytes in all, then fail with EIO.
  std::size_t readable = static_cast<std::size_t>(-1);
  // Seeking to the end reports this size instead of the true one.
  std::size_t reported_size = static_cast<std::size_t>(-1);
  bool seek_fails = false;  // every seek that moves fails
  bool tell_fails = false;  // asking for the position fails
};

// Opens a stream over a copy of `bytes`. Close it with std::fclose (or the
// library's CloseFile). Null when the stream cannot be created.
std::FILE* OpenFaultyStream(const std::string& bytes, const StreamFaults& faults = {});

}  // namespace vexa::test

#endif  // VEXA_TESTS_SUPPORT_FAULTY_STREAM_H_

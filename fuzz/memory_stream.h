// A read-only standard I/O stream over bytes in memory, with seeking, for
// feeding file contents of any size (zero included) to a plan's ReadPacket
// without touching the file system. glibc's fopencookie; host only.

#ifndef VEXA_FUZZ_MEMORY_STREAM_H_
#define VEXA_FUZZ_MEMORY_STREAM_H_

#include <cstddef>
#include <cstdio>

namespace vexa::fuzz {

// Opens a stream over `size` bytes at `data`, which must outlive it. Close
// it with std::fclose. Null when the stream cannot be created.
std::FILE* OpenMemoryStream(const unsigned char* data, std::size_t size);

}  // namespace vexa::fuzz

#endif  // VEXA_FUZZ_MEMORY_STREAM_H_

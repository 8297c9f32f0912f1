#include "memory_stream.h"

#include <sys/types.h>

#include <cstring>
#include <new>

namespace vexa::fuzz {

namespace {

struct Cursor {
  const unsigned char* data;
  std::size_t size;
  std::size_t position;
};

ssize_t Read(void* cookie, char* buffer, std::size_t wanted) {
  Cursor* cursor = static_cast<Cursor*>(cookie);
  const std::size_t left =
      cursor->position < cursor->size ? cursor->size - cursor->position : 0;
  const std::size_t n = wanted < left ? wanted : left;
  if (n > 0) std::memcpy(buffer, cursor->data + cursor->position, n);
  cursor->position += n;
  return static_cast<ssize_t>(n);
}

int Seek(void* cookie, off64_t* offset, int whence) {
  Cursor* cursor = static_cast<Cursor*>(cookie);
  off64_t base = 0;
  switch (whence) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = static_cast<off64_t>(cursor->position); break;
    case SEEK_END: base = static_cast<off64_t>(cursor->size); break;
    default: return -1;
  }
  const off64_t target = base + *offset;
  if (target < 0) return -1;
  // Like a file, the position may lie behind the end; reads there give 0.
  cursor->position = static_cast<std::size_t>(target);
  *offset = target;
  return 0;
}

int Close(void* cookie) {
  delete static_cast<Cursor*>(cookie);
  return 0;
}

}  // namespace

std::FILE* OpenMemoryStream(const unsigned char* data, std::size_t size) {
  Cursor* cursor = new (std::nothrow) Cursor{data, size, 0};
  if (cursor == nullptr) return nullptr;
  cookie_io_functions_t functions{};
  functions.read = Read;
  functions.seek = Seek;
  functions.close = Close;
  std::FILE* stream = fopencookie(cursor, "rb", functions);
  if (stream == nullptr) delete cursor;
  return stream;
}

}  // namespace vexa::fuzz

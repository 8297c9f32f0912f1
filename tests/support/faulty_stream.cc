#include "support/faulty_stream.h"

#include <sys/types.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace vexa::test {

namespace {

struct Cursor {
  std::string bytes;
  StreamFaults faults;
  std::size_t position = 0;
  std::size_t delivered = 0;
};

ssize_t Read(void* cookie, char* buffer, std::size_t wanted) {
  Cursor* c = static_cast<Cursor*>(cookie);
  if (c->delivered >= c->faults.readable && wanted > 0) {
    errno = EIO;
    return -1;
  }
  std::size_t left = c->position < c->bytes.size() ? c->bytes.size() - c->position : 0;
  std::size_t n = wanted < left ? wanted : left;
  const std::size_t budget = c->faults.readable - c->delivered;
  if (n > budget) n = budget;
  if (n > 0) std::memcpy(buffer, c->bytes.data() + c->position, n);
  c->position += n;
  c->delivered += n;
  return static_cast<ssize_t>(n);
}

int Seek(void* cookie, off64_t* offset, int whence) {
  Cursor* c = static_cast<Cursor*>(cookie);
  // The C library asks for the position with a seek by 0 from here.
  if (whence == SEEK_CUR && *offset == 0) {
    if (c->faults.tell_fails) {
      errno = EIO;
      return -1;
    }
    *offset = static_cast<off64_t>(c->position);
    return 0;
  }
  if (c->faults.seek_fails) {
    errno = EIO;
    return -1;
  }
  const std::size_t size = c->faults.reported_size != static_cast<std::size_t>(-1)
                               ? c->faults.reported_size
                               : c->bytes.size();
  off64_t base = 0;
  if (whence == SEEK_CUR) base = static_cast<off64_t>(c->position);
  if (whence == SEEK_END) base = static_cast<off64_t>(size);
  const off64_t target = base + *offset;
  if (target < 0) {
    errno = EINVAL;
    return -1;
  }
  c->position = static_cast<std::size_t>(target);
  *offset = target;
  return 0;
}

int Close(void* cookie) {
  delete static_cast<Cursor*>(cookie);
  return 0;
}

}  // namespace

std::FILE* OpenFaultyStream(const std::string& bytes, const StreamFaults& faults) {
  Cursor* cursor = new (std::nothrow) Cursor{bytes, faults};
  if (cursor == nullptr) return nullptr;
  cookie_io_functions_t functions{};
  functions.read = Read;
  functions.seek = Seek;
  functions.close = Close;
  std::FILE* stream = fopencookie(cursor, "rb", functions);
  if (stream == nullptr) delete cursor;
  return stream;
}

}  // namespace vexa::test

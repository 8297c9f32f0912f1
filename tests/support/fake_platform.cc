#include "support/fake_platform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vexa::test {
namespace {

ScopedFakeClock* g_clock = nullptr;
ScopedOpenFailure* g_open_failure = nullptr;

void CopyCut(char* out, std::size_t capacity, const char* text) {
  std::snprintf(out, capacity, "%s", text == nullptr ? "" : text);
}

}  // namespace

ScopedFakeClock::ScopedFakeClock(std::uint32_t start)
    : now_(start),
      outer_(g_clock),
      previous_(platform::host::CurrentServices().tick_count) {
  g_clock = this;
  platform::host::CurrentServices().tick_count = &Read;
}

ScopedFakeClock::~ScopedFakeClock() {
  platform::host::CurrentServices().tick_count = previous_;
  g_clock = outer_;
}

std::uint32_t ScopedFakeClock::Read() {
  ScopedFakeClock* self = g_clock;
  ++self->reads_;
  std::uint32_t now = self->now_;
  self->now_ += self->step_;
  return now;
}

ScopedOpenFailure::ScopedOpenFailure(const char* path_part)
    : path_part_(path_part),
      outer_(g_open_failure),
      previous_(platform::host::CurrentServices().open_file) {
  g_open_failure = this;
  platform::host::CurrentServices().open_file = &Open;
}

ScopedOpenFailure::~ScopedOpenFailure() {
  platform::host::CurrentServices().open_file = previous_;
  g_open_failure = outer_;
}

std::FILE* ScopedOpenFailure::Open(const char* path, const char* mode) {
  ScopedOpenFailure* self = g_open_failure;
  ++self->attempts_;
  CopyCut(self->last_path_, sizeof self->last_path_, path);
  CopyCut(self->last_mode_, sizeof self->last_mode_, mode);
  bool refuse = self->path_part_ == nullptr ||
                (path != nullptr && std::strstr(path, self->path_part_) != nullptr);
  if (!refuse) return self->previous_(path, mode);
  ++self->failures_;
  errno = ENOENT;
  return nullptr;
}

}  // namespace vexa::test

#include "frame/owned_text.h"

#include <cstddef>
#include <cstring>
#include <new>

namespace vexa {

bool OwnedText::Assign(const char* first, const char* second) {
  // Measured and copied before the old text goes: either piece may point
  // into it (path.Assign(path.c_str(), ...)).
  const std::size_t first_length = std::strlen(first);
  const std::size_t second_length = std::strlen(second);
  // Two lengths of objects in memory plus a terminator cannot wrap.
  char* text = new (std::nothrow) char[first_length + second_length + 1];
  if (text != nullptr) {
    std::memcpy(text, first, first_length);
    std::memcpy(text + first_length, second, second_length + 1);
  }
  delete[] text_;
  text_ = text;
  return text != nullptr;
}

}  // namespace vexa

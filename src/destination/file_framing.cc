#include "destination/file_framing.h"

#include <cstring>

#include "destination/guide_plan.h"
#include "vexa/vexa.h"

namespace vexa::destination {

std::uint32_t BodyLength(const unsigned char bytes[kBodyLengthSize]) {
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
         std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
}

int CheckBodyLength(std::uint32_t length) {
  if (length > static_cast<std::uint32_t>(kMaxTextLength)) {
    return VEXA_E_MSG_TOO_LONG;
  }
  return 0;
}

int CheckListSize(std::size_t size) {
  if (size > static_cast<std::size_t>(kMaxTextLength)) {
    return VEXA_E_LIST_TOO_BIG;
  }
  return 0;
}

int CheckListLeader(const char* bytes, std::size_t size) {
  if (size < kListLeaderSize ||
      std::memcmp(bytes, kListLeader, kListLeaderSize) != 0) {
    return VEXA_E_LIST_NO_SPACES;
  }
  return 0;
}

int FramedText(int plan, const char* bytes, std::size_t size,
               std::size_t* offset, std::size_t* length) {
  if (plan == 1) {
    if (size < kBodyLengthSize) return VEXA_E_MSG_NO_LENGTH;
    const std::uint32_t body =
        BodyLength(reinterpret_cast<const unsigned char*>(bytes));
    if (const int code = CheckBodyLength(body)) return code;
    if (size - kBodyLengthSize < body) return VEXA_E_MSG_SHORT_BODY;
    *offset = kBodyLengthSize;
    *length = body;
    return 0;
  }
  if (plan == 2) {
    if (const int code = CheckListSize(size)) return code;
    if (const int code = CheckListLeader(bytes, size)) return code;
    *offset = kListLeaderSize;
    *length = size - kListLeaderSize;
    return 0;
  }
  return VEXA_E_BAD_PLAN;
}

}  // namespace vexa::destination

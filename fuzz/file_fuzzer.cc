// Fuzzes a plan's file reader, ReadPacket, with the input as the whole file
// content (any size, zero included), read from an in-memory stream. The
// plan is VEXA_FUZZ_PLAN at build time: 1 the guide message file (4-byte
// little-endian length, then the body), 2 the destination list file (four
// spaces, then the list, at most 511 bytes in all).
//
// Besides crashes it checks, for every input, that the framing of the file
// is judged right: a file whose framing is bad gives the framing code, and
// a file whose framing is good gives exactly what parsing its text alone
// gives (ParseText on a copy of the body, result and packet). After a
// success the packet obeys the invariants of a filled packet.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "destination/destination_list_plan.h"
#include "destination/message_file_plan.h"
#include "packet_checks.h"
#include "support/faulty_stream.h"

#ifndef VEXA_FUZZ_PLAN
#error "VEXA_FUZZ_PLAN must be 1 or 2"
#endif

namespace {

using vexa::fuzz::Check;

#if VEXA_FUZZ_PLAN == 1
using Plan = vexa::destination::MessageFilePlan;
constexpr PacketKind kKind = GuideMessage;
#else
using Plan = vexa::destination::DestinationListPlan;
constexpr PacketKind kKind = DestinationList;
#endif

constexpr std::size_t kMaxText = 511;

// The framing's verdict: a framing code, or 0 with the body to parse.
int ExpectedFraming(const std::uint8_t* data, std::size_t size,
                    std::size_t* body_offset, std::size_t* body_size) {
#if VEXA_FUZZ_PLAN == 1
  if (size < 4) return VEXA_E_MSG_NO_LENGTH;
  const std::uint32_t length = std::uint32_t{data[0]} | std::uint32_t{data[1]} << 8 |
                               std::uint32_t{data[2]} << 16 |
                               std::uint32_t{data[3]} << 24;
  if (length > kMaxText) return VEXA_E_MSG_TOO_LONG;
  if (size - 4 < length) return VEXA_E_MSG_SHORT_BODY;
  *body_offset = 4;
  *body_size = length;
  return 0;
#else
  if (size > kMaxText) return VEXA_E_LIST_TOO_BIG;
  if (size < 4 || std::memcmp(data, "    ", 4) != 0) return VEXA_E_LIST_NO_SPACES;
  *body_offset = 4;
  *body_size = size - 4;
  return 0;
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 1 << 16) return 0;
  std::FILE* file = vexa::test::OpenFaultyStream(
      std::string(reinterpret_cast<const char*>(data), size));
  if (file == nullptr) return 0;
  Plan plan;
  DestinationPacket packet;
  std::memset(&packet, 0xA5, sizeof packet);
  const int result = plan.ReadPacket(file, &packet);
  std::fclose(file);

  std::size_t body_offset = 0;
  std::size_t body_size = 0;
  const int framing = ExpectedFraming(data, size, &body_offset, &body_size);
  if (framing != 0) {
    Check(result == framing, "wrong code for a badly framed file");
    return 0;
  }
  Check(vexa::fuzz::IsParseResult(result, kKind), "unexpected result code");

  // The same body through ParseText alone, in a buffer of exactly its size
  // plus the terminator.
  std::vector<char> body(data + body_offset, data + body_offset + body_size);
  body.push_back('\0');
  Plan reference_plan;
  DestinationPacket reference;
  const int expected = reference_plan.ParseText(body.data(), static_cast<int>(body_size),
                                                &reference);
  Check(result == expected, "file and text parse disagree on the result");
  if (result == 0) {
    vexa::fuzz::CheckFilledPacket(packet, kKind);
    Check(std::memcmp(&packet, &reference, sizeof packet) == 0,
          "file and text parse disagree on the packet");
  }
  return 0;
}

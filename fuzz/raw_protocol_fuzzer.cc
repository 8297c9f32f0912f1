// Fuzzes the raw-protocol entry, PTT_Parse_Raw_Protocol, with the plan
// given by VEXA_FUZZ_PLAN at build time (1 guide message, 2 destination
// list). The input is taken as UTF-16 text of any length, odd lengths
// included, and handed over in a heap block of exactly its size, so that a
// read past the given length is caught.
//
// Besides crashes it checks, for every input:
// - the result is 0, VEXA_E_NO_TEXT or a code of the plan's parser;
// - after a success the current packet obeys the invariants of a filled
//   packet, and the callback was called exactly once, with the address of
//   the current packet;
// - after a failure the current packet is byte for byte what it was, and
//   the callback was not called.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "destination/destination_service.h"
#include "packet_checks.h"
#include "vexa/vexa.h"

#ifndef VEXA_FUZZ_PLAN
#error "VEXA_FUZZ_PLAN must be 1 or 2"
#endif

namespace {

using vexa::fuzz::Check;

constexpr PacketKind kKind = VEXA_FUZZ_PLAN == 1 ? GuideMessage : DestinationList;

int g_callbacks = 0;
const DestinationPacket* g_callback_packet = nullptr;

int OnPacket(DestinationPacket* packet) {
  ++g_callbacks;
  g_callback_packet = packet;
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("VEXA_GUIDE_PLAN", VEXA_FUZZ_PLAN == 1 ? "1" : "2", 1);
  // No destination file may be found: Init must start from an empty packet.
  setenv("VEXA_DATA_DIR", "/nonexistent/vexa-fuzz", 1);
  setenv("VEXA_GUIDE_FILE", "/nonexistent/vexa-fuzz/guide.dat", 1);
  Check(PTT_Init() == 0, "PTT_Init failed");
  Check(PTT_Set_Callback(&OnPacket) == 0, "PTT_Set_Callback failed");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 1 << 20) return 0;
  // Exactly `size` bytes on the heap; malloc's alignment suits uint16_t.
  void* block = std::malloc(size);
  if (block == nullptr) return 0;
  if (size > 0) std::memcpy(block, data, size);
  const auto* text = static_cast<const std::uint16_t*>(block);

  DestinationPacket before;
  Check(PTT_Get_DataPacket(&before) == 0, "PTT_Get_DataPacket failed");
  g_callbacks = 0;
  g_callback_packet = nullptr;

  const int result = PTT_Parse_Raw_Protocol(text, static_cast<int>(size));

  DestinationPacket after;
  Check(PTT_Get_DataPacket(&after) == 0, "PTT_Get_DataPacket failed");
  const DestinationPacket& current =
      vexa::destination::DestinationService::Instance()->current_packet();

  Check(result == VEXA_E_NO_TEXT || vexa::fuzz::IsParseResult(result, kKind),
        "unexpected result code");
  if (size < 2) Check(result == VEXA_E_NO_TEXT, "text under one unit was parsed");
  if (result == 0) {
    vexa::fuzz::CheckFilledPacket(after, kKind);
    Check(g_callbacks == 1, "callback not called exactly once after a success");
    Check(g_callback_packet == &current, "callback got another address");
  } else {
    Check(std::memcmp(&before, &after, sizeof before) == 0,
          "a failed parse changed the current packet");
    Check(g_callbacks == 0, "callback called after a failure");
  }
  std::free(block);
  return 0;
}

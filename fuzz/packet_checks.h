// Checks shared by the harnesses: the invariants of a packet that a parser
// filled successfully, the result codes each entry point may give, and a
// crash with a readable message when a check fails (libFuzzer then saves
// the input that caused it).

#ifndef VEXA_FUZZ_PACKET_CHECKS_H_
#define VEXA_FUZZ_PACKET_CHECKS_H_

#include "vexa/vexa.h"

namespace vexa::fuzz {

// Prints `what` and aborts, so that the fuzzer records the input.
[[noreturn]] void Fail(const char* what);

// Aborts with `what` unless `condition` holds.
inline void Check(bool condition, const char* what) {
  if (!condition) Fail(what);
}

// Checks a packet after a successful parse of the plan that writes `kind`:
// the kind; a point count of 1 to 3 (guide message) or 0 to 5 (destination
// list); every byte behind the valid entries zero; every valid entry with
// non-zero coordinates, a route mode of 0 to 3 and a terminated name whose
// bytes behind the terminator are zero (and an empty name in a guide
// message); a guide message's points all share one route mode.
void CheckFilledPacket(const DestinationPacket& packet, PacketKind kind);

// Whether `result` is a code that ParseFields of the plan that writes
// `kind` may return (0 included).
bool IsParseResult(int result, PacketKind kind);

}  // namespace vexa::fuzz

#endif  // VEXA_FUZZ_PACKET_CHECKS_H_

// How the two plans frame the destination text in their files. Plan 1 (the
// guide message) puts a 4-byte little-endian body length of at most
// kMaxTextLength before the body; plan 2 (the destination list) opens with
// four spaces, and the file's size, at most kMaxTextLength, delimits the
// list. The plans' ReadPacket and FramedText apply the same checks, so a
// reader of the whole file (the companion tool) finds exactly the text the
// plan parses. Nothing here allocates; all functions are reentrant.

#ifndef VEXA_SRC_DESTINATION_FILE_FRAMING_H_
#define VEXA_SRC_DESTINATION_FILE_FRAMING_H_

#include <cstddef>
#include <cstdint>

namespace vexa::destination {

// Plan 1: the size of the body-length field.
constexpr std::size_t kBodyLengthSize = 4;

// Plan 2: the four spaces that open the file.
constexpr char kListLeader[] = "    ";
constexpr std::size_t kListLeaderSize = sizeof kListLeader - 1;

// The body length in its field, little-endian whatever the host's order.
std::uint32_t BodyLength(const unsigned char bytes[kBodyLengthSize]);

// 0 for a body length that a guide message may have, else
// VEXA_E_MSG_TOO_LONG.
int CheckBodyLength(std::uint32_t length);

// 0 for a list file of `size` bytes that is not too big, else
// VEXA_E_LIST_TOO_BIG.
int CheckListSize(std::size_t size);

// 0 when the `size` bytes at `bytes` open with the four spaces, else
// VEXA_E_LIST_NO_SPACES.
int CheckListLeader(const char* bytes, std::size_t size);

// The text that plan `plan` (1 or 2) hands to its parser from a file of
// the `size` bytes at `bytes`: 0 with the text at `bytes + *offset`,
// `*length` bytes long; else the plan's code for the framing fault (or
// VEXA_E_BAD_PLAN for another plan), and the outputs are left alone.
int FramedText(int plan, const char* bytes, std::size_t size,
               std::size_t* offset, std::size_t* length);

}  // namespace vexa::destination

#endif  // VEXA_SRC_DESTINATION_FILE_FRAMING_H_

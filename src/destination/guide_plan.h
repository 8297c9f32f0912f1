// GuidePlan: the destination plan interface. A plan knows where its
// destination file lies, how to read that file and how to parse the
// comma-separated fields of a destination text into a packet. The service
// owns exactly one plan object at a time (MessageFilePlan for plan 1,
// DestinationListPlan for plan 2).
//
// ParseText is shared by every plan: it cuts a text at commas into at most
// kMaxFields fields in place, zero-fills the packet and hands the fields to
// the plan's ParseFields. Nothing here allocates.
//
// Threading: plans hold no data; every call works on its arguments only.

#ifndef VEXA_SRC_DESTINATION_GUIDE_PLAN_H_
#define VEXA_SRC_DESTINATION_GUIDE_PLAN_H_

#include <cstdio>

#include "destination/destination_packet.h"
#include "frame/owned_text.h"

namespace vexa::destination {

// Most fields a text is split into; commas behind the last one stay text.
constexpr int kMaxFields = 200;

// Longest text a plan parses; its buffers hold this plus a terminator.
constexpr int kMaxTextLength = 511;

// Splits `text` at commas in place into at most kMaxFields NUL-terminated
// fields and returns their count. Commas behind a NUL inside the text still
// split; a field ends at its first NUL. A last byte that is NUL or a comma
// adds no empty last field.
// REQUIRES: `text` holds `length` bytes and a NUL at position `length`.
int SplitFields(char* text, int length, const char* fields[kMaxFields]);

class GuidePlan {
 public:
  // Reads an open destination file (binary, positioned at its start) and
  // parses it into `packet`. 0, or the plan's negative code.
  virtual int ReadPacket(std::FILE* file, DestinationPacket* packet) = 0;

  // Sets `path` to the 8-bit path of the plan's destination file. 0; any
  // other value is a failure (no memory for the path).
  virtual int GetFilePath(OwnedText& path) = 0;

  // Parses `count` (0 to kMaxFields) NUL-terminated fields into `packet`,
  // which is all zero on entry. 0, or the plan's negative code; on failure
  // the packet may hold part of the result and is to be discarded.
  virtual int ParseFields(const char* const* fields, int count,
                          DestinationPacket* packet) = 0;

  // Declared behind the operations so that their slots come first. Deleting
  // a plan frees it and calls none of them.
  virtual ~GuidePlan() = default;

  // Splits `text` as SplitFields does, zero-fills `packet` and returns
  // ParseFields' result.
  // REQUIRES: `text` holds `length` bytes and a NUL at position `length`.
  int ParseText(char* text, int length, DestinationPacket* packet);
};

}  // namespace vexa::destination

#endif  // VEXA_SRC_DESTINATION_GUIDE_PLAN_H_

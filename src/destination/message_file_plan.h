// MessageFilePlan, destination plan 1: the guide message. One final
// destination and up to two via points, in degrees and minutes, all with
// the one route preference of the message:
//
//   (TNC,002,<digit>,<lat ddmm.mmmm>,<lon dddmm.mmmm>[,B<n>,<lat>,<lon>...]
//
// The file (its path comes from the navigation configuration) is a 4-byte
// little-endian body length of at most 511, followed by the body; anything
// behind the body is not read. The packet gets the via points first, in
// message order, and the final destination as the last valid entry.

#ifndef VEXA_SRC_DESTINATION_MESSAGE_FILE_PLAN_H_
#define VEXA_SRC_DESTINATION_MESSAGE_FILE_PLAN_H_

#include "destination/guide_plan.h"

namespace vexa::destination {

class MessageFilePlan : public GuidePlan {
 public:
  // 0, VEXA_E_MSG_NO_LENGTH, VEXA_E_MSG_TOO_LONG, VEXA_E_MSG_SHORT_BODY or
  // a ParseFields code.
  int ReadPacket(std::FILE* file, DestinationPacket* packet) override;

  // The guide file path from the configuration. 0, or -1 when there is no
  // memory for the path.
  int GetFilePath(OwnedText& path) override;

  // 0 or VEXA_E_MSG_FEW_FIELDS ... VEXA_E_MSG_BAD_VIA, checked in message
  // order: the destination's coordinates before the via-point count.
  int ParseFields(const char* const* fields, int count,
                  DestinationPacket* packet) override;
};

}  // namespace vexa::destination

#endif  // VEXA_SRC_DESTINATION_MESSAGE_FILE_PLAN_H_

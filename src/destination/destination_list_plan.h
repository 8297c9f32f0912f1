// DestinationListPlan, destination plan 2: the destination list. Up to five
// named destinations in decimal degrees, each with its own route word:
//
//   (TNC[,<lon>,<lat>,<name>,<word>]...
//
// The file is dest.cld in the data directory: four spaces followed by the
// list, the whole file at most 511 bytes, delimited by its size. A raw
// message is the list alone. A last group of fewer than four fields, and
// everything behind the fifth group, is ignored.

#ifndef VEXA_SRC_DESTINATION_DESTINATION_LIST_PLAN_H_
#define VEXA_SRC_DESTINATION_DESTINATION_LIST_PLAN_H_

#include "destination/guide_plan.h"

namespace vexa::destination {

class DestinationListPlan : public GuidePlan {
 public:
  // 0, VEXA_E_LIST_SEEK ... VEXA_E_LIST_NO_SPACES or a ParseFields code.
  int ReadPacket(std::FILE* file, DestinationPacket* packet) override;

  // The data directory followed by "\dest.cld". 0, or -1 when there is no
  // memory for the path.
  int GetFilePath(OwnedText& path) override;

  // 0, VEXA_E_LIST_NO_TNC, VEXA_E_LIST_BAD_ROUTE or VEXA_E_LIST_BAD_COORD;
  // within a group the word is checked before the coordinates.
  int ParseFields(const char* const* fields, int count,
                  DestinationPacket* packet) override;
};

}  // namespace vexa::destination

#endif  // VEXA_SRC_DESTINATION_DESTINATION_LIST_PLAN_H_

// For builds that have neither files nor a navigation configuration (the
// web module): no plan names a file, so the path query always fails. The
// caller hands a file's bytes to ReadPacket itself.

#include "destination/destination_list_plan.h"
#include "destination/message_file_plan.h"

namespace vexa::destination {

int MessageFilePlan::GetFilePath(OwnedText&) { return -1; }

int DestinationListPlan::GetFilePath(OwnedText&) { return -1; }

}  // namespace vexa::destination

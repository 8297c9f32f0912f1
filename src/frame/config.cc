#include "frame/config.h"

#include "norl_meriak.h"

namespace vexa::config {

int GuidePlanNumber() { return Meriak_Config_GetOneKeyGuidePlan(); }

const char* GuideFilePath() { return Meriak_Config_GetOneKeyGuideFilePath(); }

void QueryDataDirectory(char* buffer) { Meriak_Config_GetDataDirectory(buffer); }

}  // namespace vexa::config

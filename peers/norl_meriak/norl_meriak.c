/* Stand-in for NORL_MERIAK over environment variables (see the header). */

#include "norl_meriak.h"

#include <stdlib.h>
#include <string.h>

enum { kDataDirSize = 256, kPathSize = 1024 };

static const char* DataDirSetting(void) {
  const char* dir = getenv("VEXA_DATA_DIR");
  return dir != NULL ? dir : ".";
}

int Meriak_Config_GetOneKeyGuidePlan(void) {
  const char* value = getenv("VEXA_GUIDE_PLAN");
  if (value == NULL || *value == '\0') return 1;
  return atoi(value);
}

const char* Meriak_Config_GetOneKeyGuideFilePath(void) {
  /* One static buffer, as the real library keeps its setting. */
  static char path[kPathSize];
  const char* file = getenv("VEXA_GUIDE_FILE");
  if (file != NULL) {
    strncpy(path, file, sizeof path - 1);
    path[sizeof path - 1] = '\0';
  } else {
    char dir[kDataDirSize];
    Meriak_Config_GetDataDirectory(dir);
    strcpy(path, dir);
    strcat(path, "\\guide.dat");
  }
  return path;
}

void Meriak_Config_GetDataDirectory(char* buffer) {
  const char* dir = DataDirSetting();
  size_t n = strlen(dir);
  if (n > kDataDirSize - 1) n = kDataDirSize - 1;
  memcpy(buffer, dir, n);
  buffer[n] = '\0';
}

/* Stand-in for PC: the platform code from VEXA_PLATFORM_CODE, default 1. */

#include "pc.h"

#include <stdlib.h>

int PC_GetPlatformCode(void) {
  const char* value = getenv("VEXA_PLATFORM_CODE");
  if (value == NULL || *value == '\0') return 1;
  return atoi(value);
}

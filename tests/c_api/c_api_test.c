/* The public header from plain C: it must compile as C, give the packet
 * the layout that callers read by offset, and link against libvexa.so as a
 * navigation program written in C would. */

#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "vexa/vexa.h"

_Static_assert(sizeof(DestinationEntry) == VEXA_ENTRY_SIZE, "entry size");
_Static_assert(sizeof(DestinationPacket) == VEXA_PACKET_SIZE, "packet size");
_Static_assert(offsetof(DestinationPacket, pointCount) == 4, "pointCount");
_Static_assert(offsetof(DestinationPacket, entries) == 8, "entries");
_Static_assert(offsetof(DestinationEntry, latitude) == 4, "latitude");
_Static_assert(offsetof(DestinationEntry, routeMode) == 8, "routeMode");
_Static_assert(offsetof(DestinationEntry, name) == 12, "name");

static int g_calls = 0;

static int OnDestination(DestinationPacket* packet) {
  (void)packet;
  ++g_calls;
  return 0;
}

int main(void) {
  DestinationPacket packet;
  static const uint16_t kText[] = {'(', 'T', 'N', 'C'};
  const unsigned char* bytes = (const unsigned char*)&packet;
  size_t i;

  memset(&packet, 0xAB, sizeof packet);
  if (PTT_Get_DataPacket(&packet) != VEXA_OK) return 1;
  for (i = 0; i < sizeof packet; ++i) {
    if (bytes[i] != 0) {
      fprintf(stderr, "byte %u of a fresh packet is not zero\n", (unsigned)i);
      return 1;
    }
  }
  if (PTT_Set_Callback(OnDestination) != VEXA_OK) return 1;
  /* No plan yet: nothing parsed, nobody called. */
  if (PTT_Parse_Raw_Protocol(kText, (int)sizeof kText) != VEXA_E_NO_PLAN) return 1;
  if (PTT_Get_DataPacket(NULL) != VEXA_E_NULL_BUFFER) return 1;
  if (g_calls != 0) return 1;
  /* Before CTL_Init there is no control variant. */
  if (CTL_IsExist() != 0 || CTL_Switch_To_Control() != 0) return 1;
  puts("c_api: ok");
  return 0;
}

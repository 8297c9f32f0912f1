/* A program outside the Vexa tree, built against an installed SDK: the
 * first call of the destination family hands out a packet of 568 zero
 * bytes. */

#include <stdio.h>
#include <string.h>

#include <vexa/vexa.h>

static int VEXA_CALL OnDestination(DestinationPacket* packet) {
  (void)packet;
  return 0;
}

int main(void) {
  DestinationPacket packet;
  const unsigned char* bytes = (const unsigned char*)&packet;
  size_t i;

  memset(&packet, 0xAB, sizeof packet);
  if (PTT_Get_DataPacket(&packet) != VEXA_OK) {
    fprintf(stderr, "PTT_Get_DataPacket failed\n");
    return 1;
  }
  for (i = 0; i < sizeof packet; ++i) {
    if (bytes[i] != 0) {
      fprintf(stderr, "byte %u of the packet is not zero\n", (unsigned)i);
      return 1;
    }
  }
  if (PTT_Set_Callback(OnDestination) != VEXA_OK) return 1;
  printf("%u zero bytes\n", (unsigned)sizeof packet);
  return 0;
}

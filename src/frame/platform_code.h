// The hardware platform code from the head unit's platform library PC
// (export number 12). The control module asks at every CTL_Init, the sound
// module once, at process attach.

#ifndef VEXA_SRC_FRAME_PLATFORM_CODE_H_
#define VEXA_SRC_FRAME_PLATFORM_CODE_H_

namespace vexa {

int PlatformCode();

}  // namespace vexa

#endif  // VEXA_SRC_FRAME_PLATFORM_CODE_H_

# 32-bit ARM Linux (armhf: ARMv7, hard-float VFP), the head units' processor,
# with Debian's cross compiler (g++-arm-linux-gnueabihf). Libraries come from
# Debian's multiarch folders (libpugixml-dev:armhf, libgtest-dev:armhf, ...),
# header-only ones from /usr/include, which every architecture shares.
#
# Programs run through qemu-arm (CMAKE_CROSSCOMPILING_EMULATOR), so CTest
# runs the whole host suite on the build machine. They load the armhf C and
# C++ runtime of Debian's multiarch packages (libc6:armhf, libstdc++6:armhf),
# whose dynamic loader lies where the programs look for it
# (/lib/ld-linux-armhf.so.3); -L / keeps it so whatever the emulator's
# default prefix. Not the cross compiler's copy in /usr/arm-linux-gnueabihf:
# it can be an older release than libc6:armhf, and that loader with the
# newer libc.so.6 (found through ld.so.cache) crashes the programs.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(VEXA_ARM_TRIPLE arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${VEXA_ARM_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${VEXA_ARM_TRIPLE}-g++)
# find_package and find_library look in /usr/lib/arm-linux-gnueabihf.
set(CMAKE_LIBRARY_ARCHITECTURE ${VEXA_ARM_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)

# GCC notes on every std::pair or small struct passed by value that its
# parameter passing changed in GCC 7.1; one compiler builds all of this, so
# the note says nothing here.
set(CMAKE_C_FLAGS_INIT "-Wno-psabi")
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")

find_program(VEXA_QEMU_ARM NAMES qemu-arm qemu-arm-static)
if(VEXA_QEMU_ARM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VEXA_QEMU_ARM} -L /)
endif()

# Cross build for 64-bit Windows with mingw-w64, POSIX thread flavour (the
# win32-thread flavour has no std::mutex). The GCC runtime, libstdc++ and
# winpthreads are linked statically, so Vexa.dll and the test programs import
# only system DLLs and the stand-in peers.
#
# Executables run through Wine (CMAKE_CROSSCOMPILING_EMULATOR), so CTest can
# run the Windows test programs on the build machine.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VEXA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VEXA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEXA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VEXA_MINGW_TRIPLE}-windres)
find_program(VEXA_DLLTOOL NAMES ${VEXA_MINGW_TRIPLE}-dlltool REQUIRED)
find_program(VEXA_OBJDUMP NAMES ${VEXA_MINGW_TRIPLE}-objdump REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${VEXA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Debian installs the 64-bit loader outside PATH; `wine` itself may pick a
# missing 32-bit loader.
find_program(VEXA_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine
             NO_CMAKE_FIND_ROOT_PATH)
if(VEXA_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VEXA_WINE64})
endif()

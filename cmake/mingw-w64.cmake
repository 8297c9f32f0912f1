# Cross build for Windows with mingw-w64, POSIX thread flavour (the
# win32-thread flavour has no std::mutex). The including toolchain file sets
# CMAKE_SYSTEM_PROCESSOR (i686 or x86_64) first. The GCC runtime, libstdc++
# and winpthreads are linked statically, so Vexa.dll and the test programs
# import only system DLLs and the stand-in peers.
#
# Executables run through Wine (CMAKE_CROSSCOMPILING_EMULATOR), so CTest can
# run the Windows test programs on the build machine: `wine` (the 32-bit
# loader) for i686, `wine64` for x86_64.

set(CMAKE_SYSTEM_NAME Windows)

set(VEXA_MINGW_TRIPLE ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${VEXA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEXA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VEXA_MINGW_TRIPLE}-windres)
find_program(VEXA_DLLTOOL NAMES ${VEXA_MINGW_TRIPLE}-dlltool REQUIRED)
find_program(VEXA_OBJDUMP NAMES ${VEXA_MINGW_TRIPLE}-objdump REQUIRED)
find_program(CMAKE_OBJCOPY NAMES ${VEXA_MINGW_TRIPLE}-objcopy REQUIRED)
find_program(CMAKE_STRIP NAMES ${VEXA_MINGW_TRIPLE}-strip REQUIRED)

# Appended, so that a consumer can add an SDK: -DCMAKE_FIND_ROOT_PATH=<sdk>.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${VEXA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Debian installs both loaders outside PATH (/usr/bin/wine is a wrapper that
# picks one by the program's word size and may pick a missing one).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(_vexa_wine_loader wine64)
else()
  set(_vexa_wine_loader wine)
endif()
find_program(VEXA_WINE NAMES ${_vexa_wine_loader} PATHS /usr/lib/wine /usr/lib64/wine
             NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT VEXA_WINE)
  find_program(VEXA_WINE NAMES ${_vexa_wine_loader} NO_CMAKE_FIND_ROOT_PATH)
endif()
if(VEXA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VEXA_WINE})
endif()

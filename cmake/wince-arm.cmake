# Windows CE on 32-bit ARM (ARMv4I/ARMv5 class: ARM mode with Thumb
# interworking, soft-float), the head units' own system. No CE compiler is
# packaged for Debian, so the library is compiled by the bare-metal
# arm-none-eabi g++ into one ELF image at a fixed base, and our converter
# (tools/cepe) writes that image out as a CE DLL whose imports come from
# coredll.dll and the peers. Nothing of newlib is linked: its headers only
# declare the C library, whose calls the DLL imports from coredll.
#
#  -march=armv4t -marm    what every head unit runs: no ldrd/strd, blx, clz,
#                         ldrex or barriers, and ARM code that interworks
#  -mfloat-abi=soft       no VFP; double arithmetic from libgcc's v4T code
#  -fshort-wchar          wchar_t is CE's 16-bit unit
#  -fno-short-enums       enums are ints, as CE's compiler lays them out
#  -fno-pic               the image is linked at its preferred base and
#                         moved by base relocations, as CE DLLs are

set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(VEXA_WINCE ON)

set(CMAKE_C_COMPILER arm-none-eabi-gcc)
set(CMAKE_CXX_COMPILER arm-none-eabi-g++)
find_program(CMAKE_OBJCOPY NAMES arm-none-eabi-objcopy REQUIRED)
find_program(CMAKE_STRIP NAMES arm-none-eabi-strip REQUIRED)
# The compiler checks link nothing: there is no C runtime to link against.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(_vexa_wince_flags "-march=armv4t -marm -mfloat-abi=soft -fshort-wchar \
-fno-short-enums -fno-pic -fno-unwind-tables -fno-asynchronous-unwind-tables \
-ffunction-sections -fdata-sections -Wno-psabi")
set(CMAKE_C_FLAGS_INIT "${_vexa_wince_flags}")
set(CMAKE_CXX_FLAGS_INIT "${_vexa_wince_flags} -fno-rtti")
set(CMAKE_ASM_FLAGS_INIT "-march=armv4t -marm")

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

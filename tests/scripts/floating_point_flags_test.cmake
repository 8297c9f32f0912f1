# Which targets compute with SSE2 instead of x87 (cmake/VexaFloatingPoint.cmake):
# every 32-bit x86 one, however its toolchain names the processor, and no
# other.
#   cmake -DSOURCE_DIR=... -P floating_point_flags_test.cmake
cmake_minimum_required(VERSION 3.25)
include(${SOURCE_DIR}/cmake/VexaFloatingPoint.cmake)

set(failures 0)
# processor, pointer size, emscripten, expected flags ("-" for none)
foreach(row
    "i686;4;;-msse2 -mfpmath=sse"        # mingw-w64 i686, an i686 system
    "i386;4;;-msse2 -mfpmath=sse"
    "x86;4;;-msse2 -mfpmath=sse"         # a Windows 32-bit toolchain
    "X86;4;;-msse2 -mfpmath=sse"
    "x86_64;4;;-msse2 -mfpmath=sse"      # -m32 on an x86-64 host
    "AMD64;4;;-msse2 -mfpmath=sse"
    "x86_64;8;;-"                        # 64-bit x86 uses SSE2 already
    "AMD64;8;;-"
    "arm;4;;-"                           # armhf and the head units
    "armv4t;4;;-"
    "aarch64;8;;-"
    "x86;4;1;-")                         # WebAssembly has no x87 unit
  list(GET row 0 CMAKE_SYSTEM_PROCESSOR)
  list(GET row 1 CMAKE_SIZEOF_VOID_P)
  list(GET row 2 EMSCRIPTEN)
  list(GET row 3 expected)
  vexa_floating_point_flags(flags)
  list(JOIN flags " " flags)
  if(flags STREQUAL "")
    set(flags "-")
  endif()
  if(NOT flags STREQUAL expected)
    message(SEND_ERROR "${CMAKE_SYSTEM_PROCESSOR}, ${CMAKE_SIZEOF_VOID_P}-byte pointers"
            "${EMSCRIPTEN}: flags '${flags}', expected '${expected}'")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()
if(failures EQUAL 0)
  message(STATUS "floating-point flags right for every kind of target")
endif()

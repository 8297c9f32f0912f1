# Floating point the same on every build: each operation rounded to its
# type, as the source writes it. Compilers for 32-bit x86 default to the
# x87 unit, which keeps intermediate results in 80 bits (FLT_EVAL_METHOD 2)
# and rounds them to double only when it spills them, wherever that is, so
# a coordinate on a rounding boundary came out one unit off on the 32-bit
# DLL. There every target (library, stand-ins, tests, tool) computes with
# SSE2 instead, which every x86 processor since the Pentium 4 has. Detected
# by processor and pointer size, so that the mingw i686 cross build and any
# 32-bit x86 host build (an i686 system, or -m32 on x86_64) both get it.
# scripts/check-x87.sh checks the release 32-bit DLL for x87 instructions,
# and src/destination/protocol_fields.cc refuses to compile with excess
# precision. Emscripten's toolchain names its processor x86 too, but
# WebAssembly has no x87 unit (every double operation is rounded to
# double), and emcc refuses SSE flags without SIMD.
# tests/scripts/floating_point_flags_test.cmake runs the decision for
# every kind of target.

# vexa_floating_point_flags(<var>): the flags this build needs for that.
function(vexa_floating_point_flags out)
  set(flags "")
  if(NOT EMSCRIPTEN AND CMAKE_SIZEOF_VOID_P EQUAL 4 AND
     CMAKE_SYSTEM_PROCESSOR MATCHES "^([iI][3-6]86|[xX]86|[xX]86_64|AMD64|amd64)$")
    set(flags -msse2 -mfpmath=sse)
  endif()
  set(${out} "${flags}" PARENT_SCOPE)
endfunction()

if(NOT CMAKE_SCRIPT_MODE_FILE)
  vexa_floating_point_flags(VEXA_FLOATING_POINT_FLAGS)
  if(VEXA_FLOATING_POINT_FLAGS)
    add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:${VEXA_FLOATING_POINT_FLAGS}>")
  endif()
endif()

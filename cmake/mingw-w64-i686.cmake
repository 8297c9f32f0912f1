# 32-bit Windows (i686), the head units' word size, with mingw-w64; see
# mingw-w64.cmake.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# Cross-compiles the 32-bit Windows build, the product, with MinGW-w64. On
# Windows with MinGW, configure without this file.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

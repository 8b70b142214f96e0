# Cross-compiles a 64-bit Windows twin of the build with MinGW-w64. The
# product is the 32-bit build; this one runs the Windows tests on machines
# that run no 32-bit code (some virtual machines), where Wine can only run
# 64-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

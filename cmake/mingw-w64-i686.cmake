# Cross-compiles the Windows x86 (32-bit) plug-in library with mingw-w64's posix-thread compilers,
# for the many hosts that are 32-bit programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Float arithmetic in SSE2 registers, as on x64, so that both libraries round alike (x87's wider
# registers would not). 32-bit hosts call in with stacks aligned to 4 bytes only: every function
# that keeps vectors on its stack realigns it. Moves of AVX values between stack slots are
# assembled unaligned, as in the x64 build.
set(qvFlags "-msse2 -mfpmath=sse -mstackrealign -Wa,-muse-unaligned-vector-move")
set(CMAKE_C_FLAGS_INIT "${qvFlags}")
set(CMAKE_CXX_FLAGS_INIT "${qvFlags}")

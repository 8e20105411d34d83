# 32-bit Windows, posix thread model: GoogleTest needs std::mutex, which the
# win32 model lacks. Only test programs are built with it; they never ship.
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)

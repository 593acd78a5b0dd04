# Cross build for the host's platform: 32-bit Windows, with Debian's
# mingw-w64 compilers. The posix thread model is needed for std::thread in
# the tests; its pthreads library is linked statically like libgcc and
# libstdc++, so nothing but Windows system DLLs is imported.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(QXV_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${QXV_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QXV_MINGW_PREFIX}-g++-posix)
set(CMAKE_ASM_COMPILER ${QXV_MINGW_PREFIX}-gcc-posix)
set(CMAKE_RC_COMPILER ${QXV_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QXV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config looks in the target's tree alone: the build machine's
# libraries (OpenImageIO for the tool) cannot be linked into a Windows
# program, and whatever needs them is left out instead.
set(ENV{PKG_CONFIG_LIBDIR} "${CMAKE_FIND_ROOT_PATH}/lib/pkgconfig:${CMAKE_FIND_ROOT_PATH}/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# Test programs run under wine (gtest discovery and ctest alike).
find_program(QXV_WINE wine)
if(QXV_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QXV_WINE})
endif()

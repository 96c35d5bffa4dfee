# Cross-compiling for 64-bit Windows on Debian: the mingw-w64 compilers with POSIX threads
# (g++-mingw-w64-x86-64-posix). The programs are linked statically, so they need no DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LPTSPOOL_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LPTSPOOL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LPTSPOOL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${LPTSPOOL_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LPTSPOOL_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests built for Windows run under Wine when it is there.
find_program(LPTSPOOL_WINE NAMES wine)
if(LPTSPOOL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${LPTSPOOL_WINE})
endif()

# Cross-compiles the Windows programs with Debian's mingw-w64 (posix threads,
# so that the standard library's threads and mutexes are complete). Every
# executable is linked statically: it runs on Windows with nothing installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KELVORA_MINGW_PREFIX x86_64-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${KELVORA_MINGW_PREFIX}-g++-posix ${KELVORA_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${KELVORA_MINGW_PREFIX}-gcc-posix ${KELVORA_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${KELVORA_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${KELVORA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests and other built programs run under Wine on the build machine.
find_program(KELVORA_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(KELVORA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KELVORA_WINE})
endif()

# GCC 12 warns wrongly about its own string concatenation at -O2 and above
# (-Wrestrict inside libstdc++); the warning says nothing about our code.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")

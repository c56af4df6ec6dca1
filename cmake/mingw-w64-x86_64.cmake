# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (the posix thread model, which std::thread and
# GoogleTest need) and runs the results under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELTARA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELTARA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELTARA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VELTARA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELTARA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: the programs run under Wine without MinGW's DLLs on a search path.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debian's wine64 package puts its loader outside PATH.
find_program(VELTARA_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(VELTARA_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELTARA_WINE64})
endif()

# Cross-building for 64-bit Windows with Debian's mingw-w64 (the posix
# threads flavour, which the C++ standard library's threads need).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUILLET_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLET_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLET_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLET_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QUILLET_MINGW_TRIPLE})
# The wxWidgets built for the target lies outside the compiler's root: the
# prefix of the wx-config named on the command line is a root too.
if(wxWidgets_CONFIG_EXECUTABLE)
  get_filename_component(QUILLET_WX_PREFIX "${wxWidgets_CONFIG_EXECUTABLE}" DIRECTORY)
  get_filename_component(QUILLET_WX_PREFIX "${QUILLET_WX_PREFIX}" DIRECTORY)
  list(APPEND CMAKE_FIND_ROOT_PATH ${QUILLET_WX_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# One program file: the C and C++ runtimes and winpthreads linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# The unit tests run the cross-built programs under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads,
# which std::thread needs). Tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
# wxWidgets for Windows is built into its own prefix (scripts/wx-windows).
if(wxWidgets_CONFIG_EXECUTABLE)
  # The prefix as wx-config names it: the real path of its bin folder's parent.
  get_filename_component(wx_prefix "${wxWidgets_CONFIG_EXECUTABLE}" DIRECTORY)
  get_filename_component(wx_prefix "${wx_prefix}/.." REALPATH)
  list(APPEND CMAKE_FIND_ROOT_PATH "${wx_prefix}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained programs: the C++ runtime, libgcc and winpthread linked in,
# so that only Windows' own DLLs are needed.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Windows only promises 16-byte stack alignment, and GCC spills 64-byte
# vectors with aligned moves: have the assembler make every such move
# unaligned, which costs nothing on aligned data.
set(CMAKE_CXX_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")

find_program(WINE_PROGRAM NAMES wine)
if(WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
endif()

# Libraries for a Windows cross build. Debian ships CLI11 as headers and
# GoogleTest as sources, so both serve any target; their Linux package
# configs do not, being outside the cross toolchain's root.

# CLI11: only its own header folder, never the rest of /usr/include.
set(cli11_include ${CMAKE_BINARY_DIR}/cross-include)
file(MAKE_DIRECTORY ${cli11_include})
if(NOT EXISTS ${cli11_include}/CLI)
  file(CREATE_LINK /usr/include/CLI ${cli11_include}/CLI SYMBOLIC)
endif()
add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${cli11_include})

if(TARVENNA_BUILD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

# Libraries for a cross build. Debian ships CLI11 as headers and
# GoogleTest as sources, so both serve any target; their Linux package
# configs do not, being outside the cross toolchain's root.

# CLI11, nlohmann-json, xxHash and Highway (as the search uses it) are headers: only their own files, never
# the rest of /usr/include.
set(cross_include ${CMAKE_BINARY_DIR}/cross-include)
file(MAKE_DIRECTORY ${cross_include})
foreach(header CLI nlohmann xxhash.h hwy)
  if(NOT EXISTS ${cross_include}/${header})
    file(CREATE_LINK /usr/include/${header} ${cross_include}/${header} SYMBOLIC)
  endif()
endforeach()
add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${cross_include})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${cross_include})
set(XXHASH_INCLUDE_DIR ${cross_include})
set(HWY_INCLUDE_DIR ${cross_include})

if(TARVENNA_BUILD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

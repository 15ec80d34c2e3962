# Project-wide warning set; CI turns warnings into errors.
add_library(tarvenna_warnings INTERFACE)
target_compile_options(tarvenna_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow
  -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
  -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough
  $<$<BOOL:${TARVENNA_WARNINGS_AS_ERRORS}>:-Werror>)
# GCC 12 warns of overlapping copies inside its own std::string when an
# optimised build inlines `string + string` (GCC bug 105651): noise, not ours.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(tarvenna_warnings INTERFACE -Wno-restrict)
endif()

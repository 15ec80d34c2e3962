# Project-wide warning set; CI turns warnings into errors.
add_library(tarvenna_warnings INTERFACE)
target_compile_options(tarvenna_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow
  -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
  -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough
  $<$<BOOL:${TARVENNA_WARNINGS_AS_ERRORS}>:-Werror>)

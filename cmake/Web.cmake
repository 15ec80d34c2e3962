# The browser build (Emscripten). Each Web Worker runs an instance of its
# own, so the build has no threads: a search given one runs on its caller.
# It makes the page's module (src/app/web_main.cpp) and the command, run by
# Node on the real file system so that its files can be compared with the
# native command's.

# The lane kernels' vector code becomes WebAssembly SIMD, ten times as fast
# as without it; a module using SIMD anywhere needs it to load at all, so
# everything is built with it. Exceptions are WebAssembly's own (Emscripten
# aborts on a throw without them); every browser with SIMD has them.
add_compile_options(-msimd128 -fwasm-exceptions)
add_link_options(-fwasm-exceptions -sALLOW_MEMORY_GROWTH=1)
# em++ optimises the module and its JavaScript at the link as well, and only
# when told so there.
add_link_options($<$<CONFIG:Release>:-O3>)

# Debian's em++ links with Node tools that find their modules (acorn) through
# NODE_PATH, which the web preset sets: keep it for builds run without the preset.
if(DEFINED ENV{NODE_PATH})
  set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=$ENV{NODE_PATH})
endif()

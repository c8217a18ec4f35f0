# The game as a web page (scripts/web): built with Emscripten, against the
# libraries scripts/web-libs builds for WebAssembly (found through pkg-config).
# The same shell, world and services as the real game, and the same SDL back
# end with its few browser differences marked __EMSCRIPTEN__; the entry point
# is src/web/web_main.cpp.

# This toolchain's C++ library lacks two C++20 pieces the game uses.
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-include${CMAKE_SOURCE_DIR}/src/web/cxx20_gaps.h>)
# 128-bit vectors for the pixel loops; every browser that runs the page has them.
option(SCRIBBLE_WEB_SIMD "Compile the game with WebAssembly's 128-bit vectors" ON)
if(SCRIBBLE_WEB_SIMD)
    add_compile_options(-msimd128)
endif()

# The pictures beyond 3 times finer would take the page past its size budget.
set(SCRIBBLE_FINEST_SCALE 3 CACHE STRING "The finest scale whose pictures are embedded" FORCE)

# The resource embedder runs at build time under node, on the host's files.
set(CMAKE_CROSSCOMPILING_EMULATOR node --no-experimental-fetch)
set(SCRIBBLE_EMBED_LINK_OPTIONS -sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1)

add_executable(scribble-squadron src/web/web_main.cpp)
target_link_libraries(scribble-squadron PRIVATE scribble_game scribble_sdl)
target_link_options(scribble-squadron PRIVATE
    # The main loop blocks, as the real game's does; ASYNCIFY lets each of its
    # waits hand control back to the browser and resume after.
    -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
    -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=67108864
    -sENVIRONMENT=web -sEXIT_RUNTIME=1
    # The page lays out the file system (the sounds, and the best score and
    # demos kept in the browser's IndexedDB) before main runs.
    -sFORCE_FILESYSTEM=1 -lidbfs.js
    "-sEXPORTED_RUNTIME_METHODS=['FS','addRunDependency','removeRunDependency']"
    # SDL's audio in the browser calls these (read from a file: the names start with $).
    -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_SOURCE_DIR}/web/sdl_audio_functions.json)

# The busy stage-10 frame timed in the browser (scripts/bench), as natively.
add_executable(scribble-frame-timing bench/browser/frame_timing.cpp)
target_include_directories(scribble-frame-timing PRIVATE ${CMAKE_SOURCE_DIR}/tools)
target_link_libraries(scribble-frame-timing PRIVATE scribble_harness)
target_link_options(scribble-frame-timing PRIVATE -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web
                                                  -sEXIT_RUNTIME=1)

# The headless harness built the same way, run under node on the host's files:
# its traces, frames and sound compared with the native harness's show that
# the browser's build plays, draws and sounds exactly the same.
set(SCRIBBLE_HEADLESS_LINK_OPTIONS -sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=node
                                   -sEXIT_RUNTIME=1)

# Lays out the page beside the game's .js, .wasm and .data in OUT: our own
# index.html and page.js, the game's licence and the licences of the fonts
# and of the libraries linked in (from DEPS/../src, built from Debian's
# sources) and of Emscripten's run-time.
foreach(file IN ITEMS index.html page.js)
  file(COPY_FILE ${SRC}/web/${file} ${OUT}/${file} ONLY_IF_DIFFERENT)
endforeach()
file(COPY_FILE ${SRC}/LICENSE ${OUT}/LICENSE.txt ONLY_IF_DIFFERENT)

set(sources ${DEPS}/../src)
set(notes "The Velotrax is under the MIT licence (LICENSE.txt). Its artwork is\n")
string(APPEND notes "rendered from the DejaVu fonts, and the page's program holds these\n")
string(APPEND notes "libraries, built from Debian's sources with Debian's Emscripten:\n")
file(STRINGS ${DEPS}/versions.txt versions)
foreach(line IN LISTS versions)
  string(APPEND notes "  ${line}\n")
endforeach()
string(APPEND notes "  and Emscripten's run-time (musl, libc++, libc++abi, compiler-rt)\n")
include(${SRC}/cmake/licence_notes.cmake)
add_licence("The game's own copyright file, with the DejaVu fonts' licence" ${SRC}/desktop/copyright)
add_licence("SDL2" ${sources}/libsdl2/LICENSE.txt)
add_licence("SDL2_mixer" ${sources}/libsdl2-mixer/LICENSE.txt)
add_licence("libpng" ${sources}/libpng1.6/LICENSE)
add_licence("zlib" ${sources}/zlib/debian/copyright)
add_licence("PCRE2" ${sources}/pcre2/LICENCE)
add_licence("Emscripten and its run-time" /usr/share/doc/emscripten/copyright)
file(WRITE ${OUT}/Licences.txt.new "${notes}")
file(COPY_FILE ${OUT}/Licences.txt.new ${OUT}/Licences.txt ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}/Licences.txt.new)

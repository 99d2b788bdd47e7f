# Lays out the portable Windows folder OUT/NAME and packs OUT/NAME.zip: the
# programs GAME and TOOL (stripped), the shipped game folder from SRC/game,
# the game's licence and the licences of the fonts and of the libraries
# linked in (SDL2, SDL2_mixer, libpng, PCRE2 from DEPS/../src, zlib and the MinGW-w64
# run-time from Debian's copyright files).
set(stage ${OUT}/${NAME})
file(REMOVE_RECURSE ${stage} ${OUT}/${NAME}.zip)
file(MAKE_DIRECTORY ${stage})
file(COPY ${SRC}/game/ DESTINATION ${stage})
foreach(program IN ITEMS ${GAME} ${TOOL})
  get_filename_component(name ${program} NAME)
  execute_process(COMMAND ${STRIP} -o ${stage}/${name} ${program} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "could not strip ${program}")
  endif()
endforeach()

# Windows editors expect CR LF in the texts beside the programs.
function(write_text to text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${to} "${text}")
endfunction()
file(READ ${SRC}/LICENSE licence)
write_text(${stage}/LICENSE.txt "${licence}")

set(sources ${DEPS}/../src)
file(READ ${SRC}/desktop/copyright fonts)
set(notes "The Velotrax is under the MIT licence (LICENSE.txt). Its artwork is\n")
string(APPEND notes "rendered from the DejaVu fonts, and the programs hold these libraries,\n")
string(APPEND notes "built from Debian's sources:\n")
file(STRINGS ${DEPS}/versions.txt versions)
foreach(line IN LISTS versions)
  string(APPEND notes "  ${line}\n")
endforeach()
string(APPEND notes "  zlib (Debian's libz-mingw-w64), the MinGW-w64 run-time and winpthreads\n")
include(${SRC}/cmake/licence_notes.cmake)
add_licence("The game's own copyright file, with the DejaVu fonts' licence" ${SRC}/desktop/copyright)
add_licence("SDL2" ${sources}/libsdl2/LICENSE.txt)
add_licence("SDL2_mixer" ${sources}/libsdl2-mixer/LICENSE.txt)
add_licence("libpng" ${sources}/libpng1.6/LICENSE)
add_licence("PCRE2" ${sources}/pcre2/LICENCE)
add_licence("zlib" /usr/share/doc/libz-mingw-w64-dev/copyright)
add_licence("MinGW-w64 run-time and winpthreads" /usr/share/doc/mingw-w64-x86-64-dev/copyright)
add_licence("GCC run-time (libstdc++, libgcc)" /usr/share/doc/gcc-mingw-w64-base/copyright)
write_text("${stage}/Licences.txt" "${notes}")

execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${NAME}.zip --format=zip -- ${NAME}
                WORKING_DIRECTORY ${OUT} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not pack ${OUT}/${NAME}.zip")
endif()

# make web: the browser's copy in build-web/. The game as the-velotrax.js and
# .wasm beside our own index.html and page.js; the shipped game folder packed
# as preloaded data at /usr/share/the-velotrax (read-only, as an installed
# copy's), the player's folder in IndexedDB (web/pre.js); the licences.
# velotrax-tool is built for Node into the game folder, for the test.
file(GLOB_RECURSE VELOTRAX_WEB_DATA CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/game/*)
set(VELOTRAX_WEB_COMMON -fexceptions -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1)
set_target_properties(the-velotrax PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
  LINK_DEPENDS "${CMAKE_SOURCE_DIR}/web/pre.js;${CMAKE_SOURCE_DIR}/web/sdl-audio-helpers.json;${VELOTRAX_WEB_DATA}")
# The nested loops of the dialogs and the race stay as they are: waiting for
# an event or a frame unwinds to the browser and comes back (ASYNCIFY).
option(VELOTRAX_WEB_ASYNCIFY "Build the browser's game with ASYNCIFY" ON)
# SDL's browser audio calls two of Emscripten's JavaScript helpers that only
# its own port of SDL asks for: without them opening the audio device throws
# out of the game, and every audio callback would. Their names begin with a
# dollar, so they come from a file (web/sdl-audio-helpers.json).
target_link_options(the-velotrax PRIVATE ${VELOTRAX_WEB_COMMON} -lidbfs.js
  -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_SOURCE_DIR}/web/sdl-audio-helpers.json
  $<$<BOOL:${VELOTRAX_WEB_ASYNCIFY}>:-sASYNCIFY> -sASYNCIFY_STACK_SIZE=262144
  -sINITIAL_MEMORY=67108864
  "SHELL:--pre-js ${CMAKE_SOURCE_DIR}/web/pre.js"
  "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/game@/usr/share/the-velotrax")
if(TARGET velotrax-tool)
  # Under Node, on the machine's own files, like the Linux tool.
  target_link_options(velotrax-tool PRIVATE ${VELOTRAX_WEB_COMMON} -sNODERAWFS=1
                      -sENVIRONMENT=node)
endif()
add_custom_target(web_page ALL
  COMMAND ${CMAKE_COMMAND} -DSRC=${CMAKE_SOURCE_DIR} -DOUT=${CMAKE_BINARY_DIR}
          -DDEPS=${VELOTRAX_WEB_DEPS} -P ${CMAKE_SOURCE_DIR}/cmake/make_web_page.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/web/index.html ${CMAKE_SOURCE_DIR}/web/page.js
  COMMENT "Laying out the page")

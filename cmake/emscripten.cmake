# Building for the browser with Debian's Emscripten. VELOTRAX_WEB_DEPS names
# the folder holding SDL2, libpng, zlib, PCRE2 and SDL2_mixer built with it
# (tools/web-deps.sh); nothing of the machine's own /usr is ever found.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
# Handed on to try_compile projects.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELOTRAX_WEB_DEPS)
if(VELOTRAX_WEB_DEPS)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${VELOTRAX_WEB_DEPS})
  list(PREPEND CMAKE_PREFIX_PATH ${VELOTRAX_WEB_DEPS})
  set(ENV{PKG_CONFIG_LIBDIR} ${VELOTRAX_WEB_DEPS}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()

# Cross-building for 64-bit Windows with Debian's MinGW-w64 compilers (the
# POSIX-threads flavour, for std::thread and std::mutex). Programs link
# statically, so the portable folder needs no DLLs beside them.
# VELOTRAX_WINDOWS_DEPS names the folder holding SDL2, libpng and PCRE2 built
# for Windows (tools/windows-deps.sh); zlib comes from Debian's own package.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELOTRAX_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELOTRAX_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELOTRAX_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VELOTRAX_MINGW}-windres)
set(CMAKE_AR ${VELOTRAX_MINGW}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${VELOTRAX_MINGW}-gcc-ranlib-posix CACHE FILEPATH "")
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)

# Handed on to try_compile projects.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELOTRAX_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${VELOTRAX_MINGW})
if(VELOTRAX_WINDOWS_DEPS)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${VELOTRAX_WINDOWS_DEPS})
  # pkg-config sees the Windows libraries only, never the machine's own.
  set(ENV{PKG_CONFIG_LIBDIR} ${VELOTRAX_WINDOWS_DEPS}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_STRIP ${VELOTRAX_MINGW}-strip CACHE FILEPATH "")

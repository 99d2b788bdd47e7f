#!/bin/sh
# The libraries of the Windows build: SDL2, SDL2_mixer (WAV only), libpng and
# PCRE2 built with MinGW-w64 from Debian's own sources (tools/install-deps.sh
# windows fetches them), zlib from Debian's MinGW package, nlohmann/json's headers from the
# machine's own. Built once into a folder under the user's cache, named after
# the versions and the compiler, and reused by every later build and clone;
# a folder that is missing or was left half-built is built again.
# Prints that folder on stdout; everything else goes to stderr.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cache="${VELOTRAX_WINDOWS_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velotrax/windows-deps}"
src="$cache/src"
"$root/tools/install-deps.sh" windows "$src" >&2

compiler=$(x86_64-w64-mingw32-gcc-posix -dumpfullversion)
key="sdl2-$(cat "$src/libsdl2.fetched")_mixer-$(cat "$src/libsdl2-mixer.fetched")"
key="${key}_png-$(cat "$src/libpng1.6.fetched")"
key="${key}_pcre2-$(cat "$src/pcre2.fetched")_gcc-$compiler"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
deps_var=VELOTRAX_WINDOWS_DEPS
jobs="${VELOTRAX_JOBS:-2}"
. "$root/tools/deps-common.sh"
deps_use_key "$key" Windows
build sdl2 "$src/libsdl2" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
# SDL2_mixer plays the game's WAV files and nothing else: no codec library,
# none of its own copies of them, no command-line music player.
build sdl2_mixer "$src/libsdl2-mixer" -DBUILD_SHARED_LIBS=OFF -DSDL2MIXER_VENDORED=OFF \
  -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF \
  -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS= \
  -DSDL2MIXER_WAVE=ON -DCMAKE_PREFIX_PATH="$prefix"
build libpng "$src/libpng1.6" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
  -DPNG_EXECUTABLES=OFF -DZLIB_ROOT=/usr/x86_64-w64-mingw32
build pcre2 "$src/pcre2" -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON \
  -DPCRE2_BUILD_PCRE2GREP=OFF -DPCRE2_BUILD_TESTS=OFF -DPCRE2_SUPPORT_JIT=OFF
# The versions go into the licence notes of the zip.
deps_finish libsdl2 libsdl2-mixer libpng1.6 pcre2

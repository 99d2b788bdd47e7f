#!/bin/sh
# The libraries of the browser build: SDL2, libpng, zlib, PCRE2 and SDL2_mixer
# (WAV only, no codecs) built with Debian's Emscripten from Debian's own
# sources (tools/install-deps.sh web fetches them), nlohmann/json's headers
# from the machine's own. Built once into a folder under the user's cache,
# named after the versions and the compiler, and reused by every later build
# and clone; a folder that is missing or was left half-built is built again.
# Prints that folder on stdout; everything else goes to stderr.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
base="${XDG_CACHE_HOME:-$HOME/.cache}/velotrax"
cache="${VELOTRAX_WEB_DEPS_CACHE:-$base/web-deps}"
src="$cache/src"
"$root/tools/install-deps.sh" web "$src" >&2
# Debian's Emscripten finds Debian's acorn for its optimiser through NODE_PATH.
NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
export NODE_PATH

compiler=$(emcc --version | sed -n '1s/.* \([0-9][0-9.]*\) .*/\1/p')
key="sdl2-$(cat "$src/libsdl2.fetched")_png-$(cat "$src/libpng1.6.fetched")"
key="${key}_zlib-$(cat "$src/zlib.fetched")_pcre2-$(cat "$src/pcre2.fetched")"
key="${key}_mixer-$(cat "$src/libsdl2-mixer.fetched")_emcc-$compiler"
toolchain="$root/cmake/emscripten.cmake"
deps_var=VELOTRAX_WEB_DEPS
jobs="${VELOTRAX_JOBS:-2}"
. "$root/tools/deps-common.sh"
deps_use_key "$key" "browser's"
# zlib by its own configure script: Debian's source leaves out the Windows
# files its CMake build wants.
echo "  zlib" >&2
cp -r "$src/zlib" "$work/zlib"
(cd "$work/zlib" && emconfigure ./configure --static --prefix="$prefix" &&
  nice -n 10 emmake make -j"$jobs" libz.a && emmake make install) >"$work/zlib.log" 2>&1 ||
  { tail -n 40 "$work/zlib.log" >&2; exit 1; }
build sdl2 "$src/libsdl2" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
build libpng "$src/libpng1.6" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
  -DPNG_EXECUTABLES=OFF -DPNG_HARDWARE_OPTIMIZATIONS=OFF -DZLIB_ROOT="$prefix"
build pcre2 "$src/pcre2" -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON \
  -DPCRE2_BUILD_PCRE2GREP=OFF -DPCRE2_BUILD_TESTS=OFF -DPCRE2_SUPPORT_JIT=OFF
build sdl2_mixer "$src/libsdl2-mixer" -DBUILD_SHARED_LIBS=OFF -DSDL2MIXER_VENDORED=OFF \
  -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF -DSDL2MIXER_WAVE=ON -DSDL2MIXER_FLAC=OFF \
  -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF \
  -DSDL2MIXER_VORBIS=OFF -DSDL2MIXER_WAVPACK=OFF
# The versions go into the licence notes of the page.
deps_finish libsdl2 libpng1.6 zlib pcre2 libsdl2-mixer

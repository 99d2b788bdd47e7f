# What tools/windows-deps.sh and tools/web-deps.sh share: a folder of
# libraries built once from Debian's sources, named after their versions and
# the compiler, reused by every later build and clone; one that is missing or
# was left half-built is built again. Sourced, with these set first:
#   cache      the folder that holds one such folder per key
#   src        where tools/install-deps.sh put the sources
#   toolchain  the CMake toolchain file
#   deps_var   the CMake variable that names the prefix to the toolchain
#   jobs       parallel jobs of each build

# Takes the key (versions and compiler): sets prefix, and when that folder is
# complete prints it and ends the calling script.
deps_use_key() {
  key=$(printf '%s' "$1" | tr -c 'A-Za-z0-9._\n-' '_')
  prefix="$cache/$key"
  if [ -f "$prefix/complete" ]; then
    echo "$prefix"
    exit 0
  fi
  echo "building the $2 libraries into $prefix" >&2
  rm -rf "$prefix" "$prefix.build"
  work="$prefix.build"
  mkdir -p "$work"
}

# Configures, builds and installs one library with CMake and Ninja; its log
# is shown on failure.
build() {  # NAME SOURCE_FOLDER CMAKE_OPTIONS...
  name=$1
  source=$2
  shift 2
  echo "  $name" >&2
  cmake -S "$source" -B "$work/$name" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -D"$deps_var"="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >"$work/$name.log" 2>&1 ||
    { cat "$work/$name.log" >&2; exit 1; }
  nice -n 10 cmake --build "$work/$name" -j "$jobs" >>"$work/$name.log" 2>&1 &&
    cmake --install "$work/$name" >>"$work/$name.log" 2>&1 ||
    { tail -n 40 "$work/$name.log" >&2; exit 1; }
}

# nlohmann/json's headers and package files as installed here, so that the
# package points at the prefix and not at the machine's /usr/include; the
# versions of the named sources, for the licence notes; then the folder is
# marked complete and printed.
deps_finish() {  # SOURCE_PACKAGES...
  mkdir -p "$prefix/include" "$prefix/share/cmake"
  cp -r /usr/include/nlohmann "$prefix/include/"
  cp -r /usr/share/cmake/nlohmann_json "$prefix/share/cmake/"
  for p in "$@"; do
    echo "$p $(cat "$src/$p.fetched")"
  done >"$prefix/versions.txt"
  rm -rf "$work"
  touch "$prefix/complete"
  echo "$prefix"
}

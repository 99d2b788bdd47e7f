#!/bin/sh
# Installs the Debian packages the game, its tools and its tests need, when
# they are missing. Runs apt-get as root, or through sudo. With "fuzz", also
# clang and its libFuzzer runtime (make fuzz). With "windows", the MinGW-w64
# cross compiler, Windows zlib and Wine (make windows, make test-windows), and
# Debian's own sources of SDL2, SDL2_mixer, libpng and PCRE2 at the versions
# the Linux build uses, unpacked into the folder given as second argument. With
# "web", Debian's Emscripten, Chromium (make test-web) and the sources of SDL2,
# libpng, zlib, PCRE2 and SDL2_mixer for the browser build, the same way.
set -e
PACKAGES="build-essential cmake pkg-config python3 libsdl2-dev libsdl2-mixer-dev libpng-dev zlib1g-dev libpcre2-dev \
nlohmann-json3-dev libfreetype-dev fonts-dejavu-core libgtest-dev libbenchmark-dev \
xvfb xauth xdotool imagemagick desktop-file-utils appstream"
[ "${1:-}" = "fuzz" ] && PACKAGES="$PACKAGES clang libclang-rt-dev"
[ "${1:-}" = "windows" ] && PACKAGES="$PACKAGES g++-mingw-w64-x86-64-posix libz-mingw-w64-dev ninja-build \
wine64 dpkg-dev"
[ "${1:-}" = "web" ] && PACKAGES="$PACKAGES emscripten chromium ninja-build dpkg-dev"
if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
if [ -n "$missing" ]; then
  echo "installing:$missing"
  $SUDO apt-get update -qq || true
  $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
case "${1:-}" in
  windows) devs="libsdl2-dev libsdl2-mixer-dev libpng-dev libpcre2-dev" ;;
  web) devs="libsdl2-dev libpng-dev libpcre2-dev zlib1g-dev libsdl2-mixer-dev" ;;
  *) exit 0 ;;
esac

# "windows"/"web" SRC_DIR: the source packages of the libraries the Linux
# build links, at the very versions installed, for the cross builds. A
# library the Linux build does not link comes at the version apt would
# install.
src_dir="${2:?usage: install-deps.sh windows|web SRC_DIR}"
need_sources=""
for dev in $devs; do
  if dpkg-query -W -f='${Status}' "$dev" 2>/dev/null | grep -q "install ok installed"; then
    pkg=$(dpkg-query -W -f='${source:Package}' "$dev")
    ver=$(dpkg-query -W -f='${source:Version}' "$dev")
  else
    pkg=$(apt-cache show --no-all-versions "$dev" | sed -n 's/^Source: \([^ ]*\).*/\1/p' | head -n 1)
    ver=$(apt-cache show --no-all-versions "$dev" | sed -n 's/^Source: .*(\(.*\))/\1/p' | head -n 1)
    [ -n "$ver" ] || ver=$(apt-cache show --no-all-versions "$dev" | sed -n 's/^Version: //p' | head -n 1)
    [ -n "$pkg" ] || pkg=$dev
  fi
  [ -f "$src_dir/$pkg.fetched" ] && [ "$(cat "$src_dir/$pkg.version" 2>/dev/null)" = "$ver" ] && continue
  need_sources="$need_sources $pkg=$ver"
done
[ -z "$need_sources" ] && exit 0
# apt-get source needs deb-src entries: the system's own Debian suites, as
# source. Added once beside the system's list, which is left as it is.
if ! grep -qs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
    /etc/apt/sources.list.d/*.sources; then
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && grep -q 'debian' "$f" || continue
    sed -n 's/^Types: deb$/Types: deb-src/; p' "$f" |
      $SUDO tee "/etc/apt/sources.list.d/velotrax-src-$(basename "$f")" >/dev/null
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*debian.*\)/deb-src \1/p' /etc/apt/sources.list |
      $SUDO tee /etc/apt/sources.list.d/velotrax-src.list >/dev/null
  fi
  $SUDO apt-get update -qq || true
fi
mkdir -p "$src_dir"
for wanted in $need_sources; do
  pkg=${wanted%%=*}
  ver=${wanted#*=}
  rm -rf "$src_dir/$pkg" "$src_dir/$pkg.version" "$src_dir/$pkg.fetched" "$src_dir/$pkg.tmp"
  mkdir -p "$src_dir/$pkg.tmp"
  # The installed version first; when the archive no longer serves its
  # source (a security update moved on, or a mirror keeps no sources of the
  # security suite), the newest source of the package the archive does serve.
  fetched=""
  for v in "$ver" $(apt-cache showsrc "$pkg" | sed -n 's/^Version: //p' | sort -rV); do
    if (cd "$src_dir/$pkg.tmp" && apt-get source -qq "$pkg=$v" >/dev/null 2>&1); then
      fetched=$v
      break
    fi
    rm -rf "$src_dir/$pkg.tmp" && mkdir -p "$src_dir/$pkg.tmp"
  done
  [ -n "$fetched" ] || { echo "apt-get source $pkg: no version could be fetched" >&2; exit 1; }
  [ "$fetched" = "$ver" ] || echo "apt-get source $pkg: $ver is not served, took $fetched" >&2
  tree=$(find "$src_dir/$pkg.tmp" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  [ -n "$tree" ] || { echo "apt-get source $wanted unpacked nothing" >&2; exit 1; }
  mv "$tree" "$src_dir/$pkg"
  rm -rf "$src_dir/$pkg.tmp"
  echo "$fetched" > "$src_dir/$pkg.fetched"
  echo "$ver" > "$src_dir/$pkg.version"
done

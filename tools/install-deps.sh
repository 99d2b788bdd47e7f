#!/bin/sh
# Installs the Debian packages the game, its tools and its tests need, when
# they are missing. Runs apt-get as root, or through sudo. With "fuzz", also
# clang and its libFuzzer runtime (make fuzz).
set -e
PACKAGES="build-essential cmake pkg-config python3 libsdl2-dev libpng-dev zlib1g-dev libpcre2-dev \
nlohmann-json3-dev libfreetype-dev fonts-dejavu-core libgtest-dev libbenchmark-dev \
xvfb xauth xdotool imagemagick desktop-file-utils appstream"
[ "${1:-}" = "fuzz" ] && PACKAGES="$PACKAGES clang libclang-rt-dev"
missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq || true
$SUDO apt-get install -y -qq --no-install-recommends $missing

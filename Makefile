# The two commands a newcomer needs:
#   make play   install what is missing, build, and start the game
#   make test   the same set-up, then every test, then again under ASan + UBSan
.PHONY: all deps build play test package windows test-windows fuzz assets circuits bench clean

all: build

deps:
	@./tools/install-deps.sh

build: deps
	cmake --preset default >/dev/null
	cmake --build --preset default

play: build
	cd build/game && ./the-velotrax

test: build
	ctest --preset default
	cmake --preset asan >/dev/null
	cmake --build --preset asan
	ctest --preset asan

# A .deb of the game for Debian 12, installing into /usr (build/*.deb).
package: build
	cd build && cpack -G DEB

# The portable Windows copy, cross-built with MinGW-w64:
# build-windows/TheVelotrax-VERSION-windows-x64.zip. SDL2, libpng and PCRE2
# are built for Windows once, from Debian's sources, into a folder under
# ~/.cache/velotrax that every later build reuses (tools/windows-deps.sh).
windows:
	@./tools/install-deps.sh
	deps=$$(./tools/windows-deps.sh) && cmake --preset windows -DVELOTRAX_WINDOWS_DEPS="$$deps" >/dev/null
	cmake --build --preset windows

# The Windows copy under Wine (headless, on Xvfb), against the Linux build.
test-windows: build windows
	./tests/windows/wine_test.sh build/game build-windows

# Builds the fuzzers with clang and runs each for FUZZ_SECONDS from its corpus
# in tests/fuzz/corpus; fails on any crash, hang, leak or sanitizer report.
FUZZ_SECONDS ?= 60
fuzz:
	@./tools/install-deps.sh fuzz
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz
	./tools/fuzz.sh $(FUZZ_SECONDS)

# Redraws every image of game/Images and game/Theme and the desktop icons
# (commit the result).
assets: build
	./build/tools/velotrax-assetgen game
	./build/tools/velotrax-assetgen --icons desktop/icons

# Remakes every circuit of game/Circuits from its source in tools/circuits.
circuits: build
	./tools/circuits/make_circuits.sh

bench: build
	@for b in build/bench/*; do [ -x "$$b" ] && "$$b"; done; true

clean:
	rm -rf build build-asan build-fuzz build-windows

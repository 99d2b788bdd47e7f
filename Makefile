# The two commands a newcomer needs:
#   make play   install what is missing, build, and start the game
#   make test   the same set-up, then every test, then again under ASan + UBSan
.PHONY: all deps build play test package assets circuits bench clean

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
	rm -rf build build-asan

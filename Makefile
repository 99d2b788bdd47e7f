# The two commands a newcomer needs:
#   make play   install what is missing, build, and start the game
#   make test   the same set-up, then every test, then again under ASan + UBSan
.PHONY: all deps build play test package windows test-windows web serve-web test-web fuzz assets \
        circuits bench clean

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

# The browser's copy in build-web/: index.html, the game's .js, .wasm and
# preloaded .data, the licences. SDL2, libpng, zlib, PCRE2 and SDL2_mixer are
# built with Debian's Emscripten once, from Debian's sources, into a folder
# under ~/.cache/velotrax that every later build reuses (tools/web-deps.sh).
WEB_ENV = NODE_PATH=/usr/share/nodejs$(if $(NODE_PATH),:$(NODE_PATH))
web:
	@./tools/install-deps.sh
	deps=$$(./tools/web-deps.sh) && $(WEB_ENV) cmake --preset web -DVELOTRAX_WEB_DEPS="$$deps" >/dev/null
	$(WEB_ENV) nice -n 10 cmake --build --preset web

# Serves the page on http://127.0.0.1:8000/ for a person to open.
serve-web: web
	cd build-web && python3 -m http.server --bind 127.0.0.1 8000

# The page in headless Chromium (a race saved, the page reloaded, the save
# loaded), and velotrax-tool under Node against the Linux tool.
test-web: build web
	python3 tests/web/web_test.py build-web build-web/shots
	./tests/web/tool_test.sh build/game build-web

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
	rm -rf build build-asan build-fuzz build-windows build-web

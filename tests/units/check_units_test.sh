#!/bin/sh
# tools/check-units.py on two small trees: one that keeps every layer and has
# no loop between units, and one that breaks a layer, includes a missing
# header, pulls SDL into the rules and has two units including each other.
# minigui's private header is in both and must not read as a loop.
# Usage: check_units_test.sh [REPO_ROOT]
set -u
ROOT=${1:-$(dirname "$0")/../..}
CHECK="$ROOT/tools/check-units.py"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*"; cat "$WORK/out"; exit 1; }

# put FILE LINE... : writes src/FILE of the current tree, one line per argument
put() { f="$T/src/$1"; shift; mkdir -p "$(dirname "$f")"; printf '%s\n' "$@" >"$f"; }

T="$WORK/clean"
put common/common.h '#pragma once'
put common/common.cpp '#include "common/common.h"'
put platform/services.h '#pragma once'
put platform/services.cpp '#include "platform/services.h"' '#include "common/common.h"' '#include <SDL.h>'
put race/movement.h '#pragma once'
put race/movement.cpp '#include "race/movement.h"' '#include "common/common.h"' \
  '#include "platform/services.h"' '// #include "game/screen.h"'
put minigui/mini_gui.h '#pragma once'
put minigui/mini_gui_internal.h '#include "minigui/mini_gui.h"'
put minigui/mini_gui.cpp '#include "minigui/mini_gui_internal.h"'
put minigui/mini_gui_text.cpp '#include "mini_gui_internal.h"'
put game/screen.h '#include "minigui/mini_gui.h"'
put game/screen.cpp '#include "game/screen.h"' '#include "race/movement.h"'
put main.cpp '#include "game/screen.h"'

python3 "$CHECK" "$T" >"$WORK/out" 2>&1 || fail "clean tree refused"
grep -qx 'unit graph: 6 units, 6 dependencies, no loops, layers kept' "$WORK/out" || fail "clean tree summary"

cp -R "$WORK/clean" "$WORK/broken"
T="$WORK/broken"
put race/movement.cpp '#include "race/movement.h"' '#include "game/screen.h"' '#include <SDL2/SDL_timer.h>'
put common/common.cpp '#include "common/common.h"' '#include "common/missing.h"'
put game/menu.h '#pragma once'
put game/menu.cpp '#include "game/menu.h"' '#include "game/screen.h"'
put game/screen.cpp '#include "game/screen.h"' '#include "game/menu.h"'

python3 "$CHECK" "$T" >"$WORK/out" 2>&1 && fail "broken tree accepted"
for line in \
  'src/race/movement.cpp:2: includes game/screen.h (race may include only race/, common/ and platform/services.h)' \
  'src/race/movement.cpp:3: includes <SDL2/SDL_timer.h> (race must not use SDL, libpng or PCRE2)' \
  'src/common/common.cpp:2: includes common/missing.h, which is not a file under src/' \
  'loop: game/menu -> game/screen -> game/menu (src/game/menu.cpp:2 includes game/screen.h; src/game/screen.cpp:2 includes game/menu.h)'
do
  grep -qxF "$line" "$WORK/out" || fail "missing: $line"
done
grep -q 'minigui' "$WORK/out" && fail "minigui's private header taken for a loop"
echo "check-units: both trees judged right"

#!/bin/sh
# Saved positions played in the real game under Xvfb: each save made by the
# race tests (SavedPositions: the grid with two driven cars, Top before a
# sharp corner, the last lap 6 MP before the line, a blocked way) is loaded
# through "Load Race" at its own screen size; Return takes the highlighted
# gear; "Save Race" then saves the race again, and the player's cars in that
# file show the move the real game made. Screenshots of the panel and of the
# move go to SCREENSHOT_DIR (positions_*.png).
# Usage: positions_test.sh GAME_DIR BUILD_DIR SCREENSHOT_DIR
set -u
GAME_DIR=$1
BUILD_DIR=$2
mkdir -p "$3"
SHOTS=$(cd "$3" && pwd)
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)
GAME_DIR=$(cd "$GAME_DIR" && pwd)
rm -f "$SHOTS"/positions_*
for tool in Xvfb xdotool import python3; do
  command -v $tool >/dev/null 2>&1 || { echo "missing $tool"; exit 1; }
done
[ -f "$GAME_DIR/Images/Tileset.png" ] || { echo "no art in $GAME_DIR yet"; exit 77; }
# The sanitizers' build plays them only when asked (VELOTRAX_POSITIONS=1):
# its smoke test runs the real game already, and these would take minutes
# of its time. There each step gets more time.
SLOW=1
case $BUILD_DIR in
  *asan*) [ "${VELOTRAX_POSITIONS:-0}" = 1 ] || { echo "skipped in the sanitizers' build"; exit 77; }
          SLOW=4 ;;
esac
# nap TENTHS: sleeps that many tenths of a second, times SLOW.
nap() { sleep "$(($1 * SLOW / 10)).$(($1 * SLOW % 10))"; }

# The positions, as the race tests make them.
SAVES="$BUILD_DIR/screenshots/positions"
rm -rf "$SAVES"
"$BUILD_DIR/tests/test_race" --gtest_filter='SavedPositions.*' >"$SHOTS/positions_make.txt" 2>&1 ||
  { echo "the positions could not be made:"; cat "$SHOTS/positions_make.txt"; exit 1; }

. "$(dirname "$0")/xvfb.sh"
WORK=$(mktemp -d)
XVFB=""
GAME=""
cleanup() {
  [ -n "$GAME" ] && kill -9 "$GAME" 2>/dev/null
  [ -n "$XVFB" ] && kill "$XVFB" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
unset SDL_VIDEODRIVER

# What the saved file holds of the player's cars: name, gear, node, lap,
# finished, one line each.
players() {
  python3 - "$1" <<'EOF'
import json, sys
race = json.load(open(sys.argv[1], encoding="utf-8"))
mine = sorted(key for key, d in race["Driver"].items() if d["user"] and key in race["Car"])
for key in mine:
    c = race["Car"][key]
    print(key.replace(" ", "_"), c["gear"], c["listInd"], c["lap"], c["finished"])
EOF
}

# play NAME WIDTH HEIGHT KEYS...: loads the save at that screen size, takes
# a screenshot of the first panel, presses the keys (Return answers a
# panel, space steps the race), a screenshot after each, then saves the
# race again.
play() {
  NAME=$1 W=$2 H=$3
  shift 3
  S=1
  [ "$W" -ge 3840 ] && [ "$H" -ge 2160 ] && S=2
  LW=$((W / S)) LH=$((H / S))
  start_xvfb 80 "${W}x${H}"
  DIR="$WORK/$NAME"
  cp -r "$GAME_DIR" "$DIR"
  rm -rf "$DIR/Saved Races" "$DIR/Results"
  mkdir -p "$DIR/Saved Races"
  cp "$SAVES/$NAME.json" "$DIR/Saved Races/"
  players "$SAVES/$NAME.json" >"$WORK/$NAME.before"
  cd "$DIR"
  VELOTRAX_NO_MESSAGE_BOX=1 ./the-velotrax 2>"$WORK/stderr.txt" &
  GAME=$!
  WIN=""
  for i in $(seq 1 50); do
    WIN=$(xdotool search --name "^The Velotrax$" 2>/dev/null | head -n 1)
    [ -n "$WIN" ] && break
    kill -0 "$GAME" 2>/dev/null || { echo "$NAME: the game ended early:"; cat "$WORK/stderr.txt"; exit 1; }
    sleep 0.2
  done
  [ -n "$WIN" ] || { echo "$NAME: no window"; exit 1; }
  # The greeting drawn, Escape opens the menu; "Load Race" is its second
  # button (the 352 x 480 menu centred, buttons from 96 down, 48 high).
  for i in $(seq 1 40); do
    import -window root "$WORK/shot.png" 2>/dev/null
    [ "$(convert "$WORK/shot.png" -format "%k" info: 2>/dev/null)" -ge 16 ] 2>/dev/null && break
    sleep 0.5
  done
  at() { xdotool mousemove $(($1 * S)) $(($2 * S)); }
  xdotool windowfocus "$WIN" 2>/dev/null
  at $((LW / 2)) $((LH / 2)); xdotool key Escape
  nap 2
  at $((LW / 2)) $(((LH - 480) / 2 + 96 + 48 + 24)); xdotool click 1
  nap 3
  # The list box (640 x 416, centred): its first line, then Return.
  at $(((LW - 640) / 2 + 84)) $(((LH - 416) / 2 + 72 + 12)); xdotool click 1
  sleep 0.3
  xdotool key Return
  nap 10
  import -window root "$SHOTS/positions_${NAME}_${W}x${H}_panel.png" 2>/dev/null
  n=0
  for key in "$@"; do
    xdotool key "$key"
    # "f" runs the race on: a longer wait.
    if [ "$key" = f ]; then nap 20; else nap 2; fi
    n=$((n + 1))
    import -window root "$SHOTS/positions_${NAME}_${W}x${H}_$n.png" 2>/dev/null
  done
  if [ "$NAME" = flag ]; then
    # The race runs to its end: the winner's line in the season's file.
    for i in $(seq 1 $((40 * SLOW))); do
      grep -qs "^ 1 " Results/*.txt && break
      sleep 0.5
    done
    grep -hs "^ 1 " Results/*.txt >"$WORK/$NAME.after"
  else
    # "Save Race": the side panel's second button (176 wide, from 40 in, at
    # 176 down, 32 high), at the panel of the player's next move.
    rm -f "Saved Races/$NAME.json"
    at $((LW - 256 + 40 + 88)) $((176 + 32 + 16)); xdotool click 1
    for i in $(seq 1 $((20 * SLOW))); do
      [ -f "Saved Races/$NAME.json" ] && break
      sleep 0.5
    done
    [ -f "Saved Races/$NAME.json" ] || { echo "$NAME: Save Race wrote nothing"; cat "$WORK/stderr.txt"; exit 1; }
    players "Saved Races/$NAME.json" >"$WORK/$NAME.after"
  fi
  kill -9 "$GAME" 2>/dev/null
  wait "$GAME" 2>/dev/null
  GAME=""
  kill "$XVFB" 2>/dev/null
  wait "$XVFB" 2>/dev/null
  XVFB=""
  cd "$WORK"
  echo "$NAME before:"; cat "$WORK/$NAME.before"
  echo "$NAME after:"; cat "$WORK/$NAME.after"
}

# field CAR COLUMN FILE: a column of the car's line (2 gear, 3 node, 4 lap,
# 5 finished).
field() { awk -v car="$1" -v col="$2" '$1 == car { print $col }' "$3"; }
fail() { echo "$*"; exit 1; }

# The grid, only 1st offered, two cars of the player's: Return moves each
# in 1st ("f" runs the race on to the next panel).
play grid 1024 768 Return f Return f
for car in $(cut -d' ' -f1 "$WORK/grid.before"); do
  [ "$(field "$car" 2 "$WORK/grid.before")" = 0 ] || fail "grid: $car was not in gear 0"
  [ "$(field "$car" 2 "$WORK/grid.after")" = 1 ] || fail "grid: $car did not move in 1st"
  [ "$(field "$car" 3 "$WORK/grid.after")" != "$(field "$car" 3 "$WORK/grid.before")" ] ||
    fail "grid: $car did not move"
done
[ "$(wc -l <"$WORK/grid.before")" -eq 2 ] || fail "grid: not two driven cars"

# Top before a sharp corner: Return keeps Top, and the car moves.
play top 1920 1080 Return f
car=$(cut -d' ' -f1 "$WORK/top.before")
[ "$(field "$car" 2 "$WORK/top.after")" = 6 ] || fail "top: $car left Top"
[ "$(field "$car" 3 "$WORK/top.after")" != "$(field "$car" 3 "$WORK/top.before")" ] || fail "top: $car did not move"

# The last lap, 6 MP before the line: the car finishes.
play flag 3840 2160 Return f
car=$(cut -d' ' -f1 "$WORK/flag.before" | tr _ ' ')
grep -q "  $car - " "$WORK/flag.after" || fail "flag: $car did not finish first"

# Two cars side by side ahead: the car moves up to them and no further.
play blocked 1280 800 Return f
car=$(cut -d' ' -f1 "$WORK/blocked.before")
before=$(field "$car" 3 "$WORK/blocked.before")
[ "$(field "$car" 3 "$WORK/blocked.after")" = $((before + 1)) ] || fail "blocked: $car is not behind the two cars"
echo "positions test passed"
exit 0

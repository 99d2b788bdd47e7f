#!/bin/sh
# The real game in a real X server: a borderless window of the whole screen,
# titled "The Velotrax", drawn, alive after Escape and a close request.
# Usage: smoke_test.sh GAME_DIR SCREENSHOT_DIR
set -u
GAME_DIR=$1
SHOTS=$2
mkdir -p "$SHOTS"
for tool in Xvfb xdotool import; do
  command -v $tool >/dev/null 2>&1 || { echo "missing $tool"; exit 1; }
done
[ -f "$GAME_DIR/Images/Tileset.png" ] || { echo "no art in $GAME_DIR yet"; exit 77; }

WORK=$(mktemp -d)
cp -r "$GAME_DIR"/. "$WORK"/
DISPLAY_NUM=$(( 90 + $$ % 9 ))
export DISPLAY=":$DISPLAY_NUM"
Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
GAME=""
cleanup() {
  [ -n "$GAME" ] && kill -9 "$GAME" 2>/dev/null
  kill "$XVFB" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
sleep 1

cd "$WORK"
unset SDL_VIDEODRIVER
VELOTRAX_NO_MESSAGE_BOX=1 ./the-velotrax 2>"$WORK/stderr.txt" &
GAME=$!

WIN=""
for i in $(seq 1 50); do
  WIN=$(xdotool search --name "^The Velotrax$" 2>/dev/null | head -n 1)
  [ -n "$WIN" ] && break
  kill -0 "$GAME" 2>/dev/null || { echo "game ended early:"; cat "$WORK/stderr.txt"; exit 1; }
  sleep 0.2
done
[ -n "$WIN" ] || { echo "no window titled The Velotrax"; exit 1; }
sleep 1

GEOM=$(xdotool getwindowgeometry "$WIN")
echo "$GEOM"
echo "$GEOM" | grep -q "Geometry: 1280x800" || { echo "window is not the desktop's size"; exit 1; }
echo "$GEOM" | grep -q "Position: 0,0" || { echo "window is not at 0,0"; exit 1; }

import -window root "$SHOTS/smoke_start.png" 2>/dev/null
xdotool windowfocus "$WIN" 2>/dev/null
xdotool mousemove 640 400 key Escape
sleep 0.5
xdotool key alt+F4
sleep 1
kill -0 "$GAME" 2>/dev/null || { echo "game ended after Escape / close request:"; cat "$WORK/stderr.txt"; exit 1; }
import -window root "$SHOTS/smoke_after_keys.png" 2>/dev/null

# The picture must not be the black of an unpainted screen only.
COLOURS=$(convert "$SHOTS/smoke_start.png" -format "%k" info: 2>/dev/null)
echo "distinct colours on screen: $COLOURS"
[ "${COLOURS:-0}" -ge 1 ] || { echo "could not read the screenshot"; exit 1; }
echo "smoke test passed"
exit 0

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
. "$(dirname "$0")/xvfb.sh"
start_xvfb 90 1280x800
GAME=""
cleanup() {
  [ -n "$GAME" ] && kill -9 "$GAME" 2>/dev/null
  kill "$XVFB" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

cd "$WORK"
unset SDL_VIDEODRIVER
# Starts the game and waits for its window (GAME, WIN).
start_game() {
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
}

# True while the game runs: a game that ended but is not reaped yet (a
# zombie, which kill -0 still finds) has ended.
running() {
  STATE=$(sed -n 's/^.*) \(.\).*$/\1/p' "/proc/$GAME/stat" 2>/dev/null)
  [ -n "$STATE" ] && [ "$STATE" != Z ]
}

# True when the game has ended within that many tenths of a second.
ends_within() {
  for i in $(seq 1 "$1"); do
    running || return 0
    sleep 0.1
  done
  ! running
}

start_game

GEOM=$(xdotool getwindowgeometry "$WIN")
echo "$GEOM"
echo "$GEOM" | grep -q "Geometry: 1280x800" || { echo "window is not the desktop's size"; exit 1; }
echo "$GEOM" | grep -q "Position: 0,0" || { echo "window is not at 0,0"; exit 1; }

# The first frame can take a while on a loaded machine (and under ASan):
# wait for the greeting to be drawn rather than for a fixed time.
for i in $(seq 1 40); do
  import -window root "$SHOTS/smoke_start.png" 2>/dev/null
  [ "$(convert "$SHOTS/smoke_start.png" -format "%k" info: 2>/dev/null)" -ge 16 ] 2>/dev/null && break
  sleep 0.5
done
xdotool windowfocus "$WIN" 2>/dev/null
xdotool mousemove 640 400 key Escape
sleep 0.5
xdotool key alt+F4
sleep 1
kill -0 "$GAME" 2>/dev/null || { echo "game ended after Escape / close request:"; cat "$WORK/stderr.txt"; exit 1; }
import -window root "$SHOTS/smoke_after_keys.png" 2>/dev/null

# The greeting and the menu were drawn: more than the black of a bare screen.
COLOURS=$(convert "$SHOTS/smoke_start.png" -format "%k" info: 2>/dev/null)
echo "distinct colours on screen: $COLOURS"
[ "${COLOURS:-0}" -ge 16 ] || { echo "the screen looks unpainted"; exit 1; }

# Escape closed the greeting; the menu is open. "Quit" is its third button:
# the 352 x 480 menu frame is centred on 1280 x 800, its buttons start 96
# pixels down and are 48 pixels high.
QUIT_Y=$((400 - 240 + 96 + 2 * 48 + 24))
xdotool mousemove 640 "$QUIT_Y" click 1
if ! ends_within 50; then
  import -window root "$SHOTS/smoke_quit.png" 2>/dev/null
  echo "the game did not quit from the menu"
  exit 1
fi
wait "$GAME"
STATUS=$?
GAME=""
[ "$STATUS" -eq 0 ] || { echo "the game ended with status $STATUS:"; cat "$WORK/stderr.txt"; exit 1; }

# What a player may leave in the game's folders never keeps the game from
# its menu: a circuit that cannot be raced (beside the shipped ones or
# alone), an empty or hostile "Drivers.csv", an empty Circuits folder. The
# race behind the menu skips or rests without a box: Escape closes the
# greeting and "Quit" ends the game.
ORIGINAL="$WORK/original"
mkdir "$ORIGINAL"
for f in "$WORK"/*; do [ "$f" = "$ORIGINAL" ] || cp -r "$f" "$ORIGINAL"/; done
for CASE in broken-beside broken-alone empty-drivers hostile-drivers no-circuits; do
  CASE_DIR="$WORK/$CASE"
  cp -r "$ORIGINAL" "$CASE_DIR"
  case $CASE in
    broken-beside) printf '{"Base": 1}' >"$CASE_DIR/Circuits/My Track.json" ;;
    broken-alone) rm -f "$CASE_DIR"/Circuits/*
                  printf '{"Base": 1}' >"$CASE_DIR/Circuits/My Track.json" ;;
    empty-drivers) : >"$CASE_DIR/Data/Drivers.csv" ;;
    hostile-drivers) head -c 3000 /dev/urandom | tr '\000' ',' >"$CASE_DIR/Data/Drivers.csv" ;;
    no-circuits) rm -f "$CASE_DIR"/Circuits/* ;;
  esac
  cd "$CASE_DIR"
  start_game
  sleep 1
  xdotool windowfocus "$WIN" 2>/dev/null
  xdotool mousemove 640 400 key Escape
  sleep 1
  import -window root "$SHOTS/smoke_$CASE.png" 2>/dev/null
  xdotool mousemove 640 "$QUIT_Y" click 1
  if ! ends_within 50; then
    import -window root "$SHOTS/smoke_${CASE}_stuck.png" 2>/dev/null
    echo "$CASE: the game did not reach its menu and quit from it:"; cat "$WORK/stderr.txt"
    exit 1
  fi
  wait "$GAME"
  STATUS=$?
  GAME=""
  [ "$STATUS" -eq 0 ] || { echo "$CASE: the game ended with status $STATUS:"; cat "$WORK/stderr.txt"; exit 1; }
  case $CASE in
    broken-alone) grep -q "skips My Track" "$WORK/stderr.txt" || { echo "$CASE: no word of the skipped circuit on stderr"; cat "$WORK/stderr.txt"; exit 1; } ;;
  esac
  echo "$CASE: reached the menu and quit"
  cd "$WORK"
done

# Ctrl+C in the terminal, kill, or the end of the desktop session: the game
# ends within a second, killed by the signal as any program is. Started in
# the background of this script, it must not keep the ignored SIGINT either.
for SIG in INT TERM; do
  start_game
  kill -s $SIG "$GAME"
  if ! ends_within 10; then
    echo "SIG$SIG did not end the game within a second"
    exit 1
  fi
  wait "$GAME"
  STATUS=$?
  GAME=""
  [ "$STATUS" -gt 128 ] || { echo "SIG$SIG: the game ended with status $STATUS, not by the signal"; exit 1; }
  echo "SIG$SIG ended the game (status $STATUS)"
done
echo "smoke test passed"
exit 0

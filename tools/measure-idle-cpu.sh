#!/bin/sh
# How much CPU the game takes on the screens a player looks at longest: the
# welcome box and the main menu (with the race behind them), the circuit
# editor waiting for input, the gear panel waiting for a gear, then the race
# running in automatic mode. A real window
# under Xvfb; the game's CPU time (user + system, from /proc) is read before
# and after SECONDS seconds.
#
# Usage: tools/measure-idle-cpu.sh [GAME_DIR] [SECONDS] [SIZE] [SHOT_DIR]
#   GAME_DIR  the built game folder (default build/game)
#   SECONDS   length of each measurement (default 10)
#   SIZE      screen size (default 1920x1080)
#   SHOT_DIR  where to keep a screenshot of each screen measured (optional)
# Prints one line per screen: "<screen>: <percent of one core>".
set -u
GAME_DIR=$(cd "${1:-build/game}" && pwd)
SECS=${2:-10}
SIZE=${3:-1920x1080}
SHOTS=${4:-}
PW=${SIZE%x*}
PH=${SIZE#*x}
# The game draws everything S times as large on a screen of at least S times
# 1920 x 1080 (the automatic UI scale): the layout below is in the game's own
# pixels, W x H, and every click is scaled back to the screen's.
S=$(( PW / 1920 < PH / 1080 ? PW / 1920 : PH / 1080 ))
[ "$S" -ge 1 ] || S=1
W=$(( PW / S ))
H=$(( PH / S ))
for tool in Xvfb xdotool; do
  command -v $tool >/dev/null 2>&1 || { echo "missing $tool" >&2; exit 1; }
done

WORK=$(mktemp -d)
cp -r "$GAME_DIR"/. "$WORK"/
DISPLAY_NUM=$(( 100 + $$ % 50 ))
export DISPLAY=":$DISPLAY_NUM"
Xvfb "$DISPLAY" -screen 0 "${SIZE}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
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
  sleep 0.2
done
[ -n "$WIN" ] || { echo "no game window" >&2; cat "$WORK/stderr.txt" >&2; exit 1; }
xdotool windowfocus "$WIN" 2>/dev/null
sleep 2

ticks() { awk '{print $14 + $15}' "/proc/$GAME/stat"; }
HZ=$(getconf CLK_TCK)
measure() {
  [ -n "$SHOTS" ] && command -v import >/dev/null 2>&1 &&
    import -window root "$SHOTS/idle-$1.png" 2>/dev/null
  kill -0 "$GAME" 2>/dev/null || { echo "the game ended before $1" >&2; exit 1; }
  a=$(ticks)
  sleep "$SECS"
  b=$(ticks)
  echo "$1: $(awk -v t=$((b - a)) -v hz="$HZ" -v s="$SECS" 'BEGIN { printf "%.1f %%", 100 * t / hz / s }')"
}
shot() {
  [ -n "$SHOTS" ] && command -v import >/dev/null 2>&1 &&
    import -window root "$SHOTS/step-$1.png" 2>/dev/null
}
click() { xdotool mousemove $(( $1 * S )) $(( $2 * S )) click 1; sleep "${3:-0.7}"; }
point() { xdotool mousemove $(( $1 * S )) $(( $2 * S )); }

# The pointer rests in the middle of the track view, away from the edges.
point $((W / 3)) $((H / 2))
measure welcome

xdotool key Escape
sleep 1
measure menu

# The circuit editor waiting for input on a new circuit: "Circuit Editor" is
# the fifth button of the menu; the first line of its list is a new circuit
# (the list as below), and Return takes the offered 24 x 16 cells. Escape
# leaves it (nothing drawn, nothing asked) for the menu again.
click $((W / 2)) $((H / 2 - 240 + 96 + 4 * 48 + 24)) 1.5
click $(( (W - 448) / 2 + 52 + 40 )) $(( (H - 416) / 2 + 72 + 4 + 9 )) 0.3
xdotool key Return
sleep 1
xdotool key Return
sleep 0.7
xdotool key Return
sleep 1.5
point $((W / 3)) $((H / 2))
measure editor
xdotool key Escape
sleep 1.5

# New Race: the main menu is a 352 x 480 frame in the middle, its buttons
# 96 pixels down, 48 high; the circuit list comes first (its first line is
# picked by Return), then car selection ("all", then OK), the cars the
# player drives (the first one, then OK).
click $((W / 2)) $((H / 2 - 240 + 96 + 24)) 1.5
# The circuit list: a 448 x 416 frame centred, its list 52, 72 in.
LX=$(( (W - 448) / 2 + 52 + 40 ))
LY=$(( (H - 416) / 2 + 72 + 4 + 9 ))
click $LX $LY 0.3
xdotool key Return
sleep 1.5
shot setup
# Car selection: a 768 x 608 frame centred; "all" at FX + 340, FY + 125;
# OK at FX + 276, FB - 80.
FX=$(( (W - 768) / 2 ))
FY=$(( (H - 608) / 2 ))
click $((FX + 340 + 40)) $((FY + 125 + 16))
click $((FX + 276 + 40)) $((FY + 608 - 80 + 16)) 1.5
# The cars to drive: a 320 x 608 frame centred; first line at FY + 70 + 6.
FX=$(( (W - 320) / 2 ))
shot drive
click $((FX + 40 + 30)) $((FY + 70 + 6 + 9))
click $((FX + 120 + 40)) $((FY + 608 - 80 + 16)) 1
point $((W / 3)) $((H / 2))
# The first car in the list is the leader of the grid here, so its move
# starts at once: the gear panel waits for its gear.
sleep 2
measure gear-panel

# "A" on the gear panel switches automatic mode on, Return keeps the gear:
# the race runs by itself until the player's car moves again.
xdotool key a
sleep 0.3
xdotool key Return
sleep 1
measure auto-mode

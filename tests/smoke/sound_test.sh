#!/bin/sh
# The race heard, on SDL's disk audio driver (no sound card needed): the real
# game under Xvfb races a new race in automatic mode, and the audio it writes
# is not silent in most of its seconds; with "SoundVolume=0" it writes
# nothing, or silence, though the race behind the menu would be heard.
# Usage: sound_test.sh GAME_DIR SCREENSHOT_DIR
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
GAME_DIR=$(cd "$1" && pwd)
SHOTS=$2
mkdir -p "$SHOTS"
for tool in Xvfb xdotool import python3; do
  command -v $tool >/dev/null 2>&1 || { echo "missing $tool"; exit 1; }
done
[ -f "$GAME_DIR/Sounds/Crash.wav" ] || { echo "no sounds in $GAME_DIR yet"; exit 77; }

WORK=$(mktemp -d)
. "$(dirname "$0")/xvfb.sh"
start_xvfb 110 1280x800
GAME=""
cleanup() {
  [ -n "$GAME" ] && kill -9 "$GAME" 2>/dev/null
  kill "$XVFB" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
unset SDL_VIDEODRIVER
export SDL_AUDIODRIVER=disk

# A fresh copy of the game folder with these settings lines.
copy_with() {
  rm -rf "$WORK/game"
  cp -r "$GAME_DIR" "$WORK/game"
  sed -i '/^SoundVolume\|^MenuRaceSound/d' "$WORK/game/The Velotrax.ini"
  printf '%s\r\n' "$@" >>"$WORK/game/The Velotrax.ini"
}
start_game() {
  cd "$WORK/game" || exit 1
  SDL_DISKAUDIOFILE="$WORK/audio.raw" VELOTRAX_NO_MESSAGE_BOX=1 ./the-velotrax 2>"$WORK/stderr.txt" &
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
stop_game() {
  kill -9 "$GAME" 2>/dev/null
  wait "$GAME" 2>/dev/null
  GAME=""
}
click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-1}"; }
# Seconds written since byte FROM, and how many of them hold sound.
measure() {
  python3 "$HERE/heard_seconds.py" "$WORK/audio.raw" "${1:-0}"
}

# A new race on the first circuit, every car the computer's, in automatic
# mode (the menu's "New Race", the circuit, all cars, none driven, "a").
copy_with "SoundVolume = 70" "MenuRaceSound = 0"
start_game
W_=1280
H_=800
xdotool windowfocus "$WIN" 2>/dev/null
xdotool mousemove 400 400 key Escape
sleep 1.5
# "New Race": the menu is 480 high and centred, its buttons 96 down, 48 apart.
click $((W_ / 2)) $((H_ / 2 - 240 + 96 + 24)) 2
LX=$(( (W_ - 448) / 2 + 52 + 40 ))
LY=$(( (H_ - 416) / 2 + 72 + 4 + 9 ))
click $LX $LY 0.5
xdotool key Return
sleep 2
FX=$(( (W_ - 768) / 2 ))
FY=$(( (H_ - 608) / 2 ))
click $((FX + 340 + 40)) $((FY + 125 + 16))
click $((FX + 276 + 40)) $((FY + 608 - 80 + 16)) 2
FX=$(( (W_ - 320) / 2 ))
click $((FX + 120 + 40)) $((FY + 608 - 80 + 16)) 1.5
xdotool mousemove 400 400
# From here on only the race is heard, not the menu's clicks.
FROM=$(stat -c %s "$WORK/audio.raw" 2>/dev/null || echo 0)
xdotool key a
sleep 12
import -window root "$SHOTS/sound_race.png" 2>/dev/null
kill -0 "$GAME" 2>/dev/null || { echo "the game ended in the race:"; cat "$WORK/stderr.txt"; exit 1; }
stop_game
set -- $(measure "$FROM")
echo "automatic race: $2 of $1 seconds hold sound"
[ "$1" -ge 8 ] || { echo "the disk driver wrote only $1 seconds"; cat "$WORK/stderr.txt"; exit 1; }
[ $(( $2 * 10 )) -ge $(( $1 * 7 )) ] || { echo "the race was silent too often"; exit 1; }

# Volume 0: no device is opened (nothing written) or only silence, though
# the race behind the menu would be heard.
rm -f "$WORK/audio.raw"
copy_with "SoundVolume = 0" "MenuRaceSound = 1"
start_game
sleep 5
import -window root "$SHOTS/sound_volume0.png" 2>/dev/null
stop_game
set -- $(measure)
echo "volume 0: $2 of $1 seconds hold sound"
[ "$2" -eq 0 ] || { echo "sound at volume 0"; exit 1; }
echo "sound test passed"
exit 0

#!/bin/sh
# The Windows copy as a player unzips it, run under Wine (Debian's wine64) on
# a headless X server, against the Linux build of the same source:
#  - velotrax-tool.exe simulate, on every shipped circuit, with a seed and
#    with a rolls file (the race saved and loaded again along the way, which
#    replaces a save in place), gives the Linux tool's output, "Drivers.csv",
#    "Last Race.txt" and season file; check gives the Linux tool's output.
#    The game folder's name and a circuit's name hold letters beyond ASCII.
#  - a name Windows can only show with "?" and a path too long for Windows
#    end in clear messages;
#  - the game starts, shows its welcome box and the menu's circuit list, runs
#    a race in automatic mode, heard through SDL's disk audio driver (not
#    silent in most of its seconds), and "Save Race" writes a save the Linux
#    tool loads. Screenshots go to SHOTS_DIR (default build-windows/shots).
# Usage: wine_test.sh LINUX_GAME_DIR WINDOWS_BUILD_DIR [SHOTS_DIR]
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
LINUX_GAME=$(cd "$1" && pwd)
WIN_BUILD=$(cd "$2" && pwd)
SHOTS=${3:-$WIN_BUILD/shots}
mkdir -p "$SHOTS"
SHOTS=$(cd "$SHOTS" && pwd)
WINE=/usr/lib/wine/wine64
for tool in Xvfb xdotool import convert "$WINE"; do
  command -v "$tool" >/dev/null 2>&1 || { echo "missing $tool"; exit 1; }
done
ZIP=$(ls "$WIN_BUILD"/TheVelotrax-*-windows-x64.zip 2>/dev/null | head -n 1)
[ -n "$ZIP" ] || { echo "no zip in $WIN_BUILD: make windows first"; exit 1; }
LINUX_TOOL="$LINUX_GAME/velotrax-tool"
[ -x "$LINUX_TOOL" ] || { echo "no Linux velotrax-tool in $LINUX_GAME"; exit 1; }

PASSED=0
FAILED=0
pass() { PASSED=$((PASSED + 1)); }
fail() { FAILED=$((FAILED + 1)); echo "FAIL: $*"; }

WORK=$(mktemp -d)
export WINEPREFIX="$WORK/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
DISPLAY_NUM=$(( 150 + $$ % 50 ))
export DISPLAY=":$DISPLAY_NUM"
Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
XVFB=$!
GAME=""
cleanup() {
  [ -n "$GAME" ] && kill -9 "$GAME" 2>/dev/null
  # This prefix's own server only.
  /usr/lib/wine/wineserver64 -k 2>/dev/null
  kill "$XVFB" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
sleep 1
unset SDL_VIDEODRIVER SDL_AUDIODRIVER
export SDL_AUDIODRIVER=dummy
# One server for every run of the test (a new one per program costs seconds).
"$WINE" wineboot -i >/dev/null 2>&1
/usr/lib/wine/wineserver64 -p 300 2>/dev/null

# The zip unpacked into a folder whose name holds letters beyond ASCII.
UNZIPPED="$WORK/unzipped"
mkdir -p "$UNZIPPED"
(cd "$UNZIPPED" && cmake -E tar xf "$ZIP") || { echo "could not unpack $ZIP"; exit 1; }
PACKED=$(ls -d "$UNZIPPED"/TheVelotrax-* | head -n 1)
for f in the-velotrax.exe velotrax-tool.exe LICENSE.txt Licences.txt "The Velotrax.ini" \
         Circuits Data Images Sounds Theme; do
  [ -e "$PACKED/$f" ] && pass || fail "the zip lacks $f"
done
grep -q "MIT License" "$PACKED/LICENSE.txt" && grep -q "Bitstream Vera" "$PACKED/Licences.txt" &&
  grep -q "==== SDL2_mixer ====" "$PACKED/Licences.txt" &&
  pass || fail "the zip's licences"
# Each program carries the game's icon and its version for Explorer.
for exe in the-velotrax.exe velotrax-tool.exe; do
  x86_64-w64-mingw32-objdump -h "$PACKED/$exe" | grep -q '\.rsrc' &&
    strings -el "$PACKED/$exe" | grep -qx "The Velotrax" &&
    pass || fail "$exe has no icon or version resource"
done

# A fresh Windows copy (W) and Linux copy (L) of the shipped game folder.
fresh_copies() {
  rm -rf "$WORK/Spiel Zürich" "$WORK/linux"
  cp -r "$PACKED" "$WORK/Spiel Zürich"
  mkdir -p "$WORK/linux"
  cp -r "$PACKED"/. "$WORK/linux"/
  rm -f "$WORK/linux"/*.exe
  W="$WORK/Spiel Zürich"
  L="$WORK/linux"
}
wtool() { (cd "$W" && "$WINE" ./velotrax-tool.exe "$@"); }
ltool() { (cd "$L" && "$LINUX_TOOL" "$@" --game-dir .); }
crlf_note=""
same_output() {  # WHAT WINDOWS_FILE LINUX_FILE
  if cmp -s "$2" "$3"; then
    pass
  elif tr -d '\r' <"$2" | cmp -s - "$3"; then
    pass
    case "$crlf_note" in *"[$1]"*) ;; *) crlf_note="$crlf_note [$1]" ;; esac
  else
    fail "$1 differs from Linux:"
    tr -d '\r' <"$2" | diff "$3" - | head -n 10
  fi
}
same_files() {  # WHAT: Data and Results of W and L, byte for byte
  for f in "Data/Drivers.csv" "Data/Last Race.txt"; do
    cmp -s "$W/$f" "$L/$f" && pass || fail "$1: $f differs from Linux"
  done
  wl=$(ls "$W/Results" 2>/dev/null)
  ll=$(ls "$L/Results" 2>/dev/null)
  [ "$wl" = "$ll" ] && [ -n "$ll" ] && pass || fail "$1: season files differ: [$wl] [$ll]"
  ls "$L/Results" 2>/dev/null | while IFS= read -r f; do
    cmp -s "$W/Results/$f" "$L/Results/$f" || echo "$f"
  done >"$WORK/differ.txt"
  [ -s "$WORK/differ.txt" ] && fail "$1: Results/$(head -n 1 "$WORK/differ.txt") differs" || pass
}

# Every shipped circuit, and one under a name beyond ASCII.
fresh_copies
cp "$W/Circuits/Puddleford Park.json" "$PACKED/Circuits/Zürich Ring.json"
cp "$W/Circuits/Puddleford Park SL.txt" "$PACKED/Circuits/Zürich Ring SL.txt"
season=0
seq 1 97 | awk '{ print ($1 * 37) % 100 + 1 }' >"$WORK/rolls.txt"
for json in "$PACKED"/Circuits/*.json; do
  name=$(basename "$json" .json)
  for dice in "--seed 7" "--rolls ROLLS"; do
    fresh_copies
    cp "$WORK/rolls.txt" "$W/rolls.txt"
    cp "$WORK/rolls.txt" "$L/rolls.txt"
    d=$(echo "$dice" | sed 's/ROLLS/rolls.txt/')
    # Two races of a new season, saved and loaded again every 40 steps.
    # shellcheck disable=SC2086
    season=$((season + 1))
    wtool simulate "Circuits/$name.json" --laps 2 --races 2 --new-season "Wine $season" \
      --reload-every 40 $d >"$WORK/w.out" 2>"$WORK/w.err"
    ws=$?
    # shellcheck disable=SC2086
    ltool simulate "Circuits/$name.json" --laps 2 --races 2 --new-season "Wine $season" \
      --reload-every 40 $d >"$WORK/l.out" 2>"$WORK/l.err"
    ls=$?
    [ "$ws" = "$ls" ] && [ "$ls" = 0 ] && pass ||
      { fail "simulate $name $dice: status $ws (Linux $ls)"; cat "$WORK/w.err" | head -n 5; }
    [ "$(wc -l <"$WORK/l.out")" -gt 20 ] && pass || fail "simulate $name $dice: little output"
    same_output "simulate's output" "$WORK/w.out" "$WORK/l.out"
    same_output "simulate's messages" "$WORK/w.err" "$WORK/l.err"
    same_files "simulate $name $dice"
  done
  wtool check "Circuits/$name.json" >"$WORK/w.out" 2>&1
  ltool check "Circuits/$name.json" >"$WORK/l.out" 2>&1
  same_output "check's output" "$WORK/w.out" "$WORK/l.out"
done
rm -f "$PACKED/Circuits/Zürich Ring.json" "$PACKED/Circuits/Zürich Ring SL.txt"
[ -n "$crlf_note" ] &&
  echo "the same but for CR LF where Linux writes LF (the console's text mode):$crlf_note"

# Settings in UTF-8 with a byte-order mark and CR LF lines, other points for
# the places: read alike on both systems.
fresh_copies
printf '\357\273\277; Einstellungen f\303\274r Z\303\274rich\r\nPoints$ = 8642\r\nLaps = 3\r\n' >"$W/The Velotrax.ini"
cp "$W/The Velotrax.ini" "$L/The Velotrax.ini"
wtool simulate "Circuits/Harbour Loop.json" --laps 1 --seed 11 --new-season "Bom" >"$WORK/w.out" 2>"$WORK/w.err"
ltool simulate "Circuits/Harbour Loop.json" --laps 1 --seed 11 --new-season "Bom" >"$WORK/l.out" 2>"$WORK/l.err"
same_output "simulate's output" "$WORK/w.out" "$WORK/l.out"
same_files "settings with a byte-order mark"
cmp -s "$W/The Velotrax.ini" "$L/The Velotrax.ini" && pass || fail "the settings file was changed"

# A circuit whose name the game can show only with "?" (no such letter in its
# code page): on Windows no file may carry "?", so its save cannot be
# written; the tool says so and why, and ends as a fatal error does.
fresh_copies
cp "$W/Circuits/Harbour Loop.json" "$W/Circuits/Łódź Ring.json"
wtool simulate "Circuits/Łódź Ring.json" --laps 1 --seed 3 --reload-every 40 \
  >"$WORK/w.out" 2>"$WORK/w.err"
ws=$?
grep -q "could not save: .*?ód? Ring.json: the name holds a character Windows does not allow" \
  "$WORK/w.err" && [ "$ws" = 1 ] && pass ||
  { fail "a name shown with ?: status $ws"; head -n 5 "$WORK/w.err"; }
# A path past what Windows takes: the save says so.
long=$(printf 'Long%.0s' $(seq 1 60))
cp "$W/Circuits/Harbour Loop.json" "$W/Circuits/$long.json"
wtool simulate "Circuits/$long.json" --laps 1 --seed 3 --reload-every 40 \
  >"$WORK/w.out" 2>"$WORK/w.err"
ws=$?
grep -q "the path is longer than Windows allows" "$WORK/w.err" && [ "$ws" = 1 ] && pass ||
  { fail "a path too long: status $ws"; head -n 5 "$WORK/w.err"; }

# The game itself, from the folder beyond ASCII.
fresh_copies
cd "$W" || exit 1
shot() { import -window root "$SHOTS/$1.png" 2>/dev/null; }
colours() { convert "$SHOTS/$1.png" -format "%k" info: 2>/dev/null || echo 0; }
click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-1}"; }
# The window of that title, once the game (GAME) shows it; empty if it ends first.
window_named() {
  for i in $(seq 1 150); do
    found=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$found" ] && { echo "$found"; return; }
    kill -0 "$GAME" 2>/dev/null || return
    sleep 0.2
  done
}
# Whether the game has ended within ten seconds.
ends() {
  for i in $(seq 1 100); do
    kill -0 "$GAME" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}
# Heard through SDL's disk driver, as on Linux (tests/smoke/sound_test.sh).
# (The file is named relative to the game's folder: a Windows path.)
AUDIO="$W/wine-audio.raw"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=wine-audio.raw VELOTRAX_NO_MESSAGE_BOX=1 \
  "$WINE" ./the-velotrax.exe >"$WORK/game.out" 2>"$WORK/game.err" &
GAME=$!
WIN=$(window_named "The Velotrax")
if [ -z "$WIN" ]; then
  fail "the game under Wine showed no window"
  cat "$WORK/game.err"
else
  pass
  # The welcome box, once it is drawn.
  for i in $(seq 1 60); do
    shot wine-welcome
    [ "$(colours wine-welcome)" -ge 16 ] 2>/dev/null && break
    sleep 0.5
  done
  [ "$(colours wine-welcome)" -ge 16 ] && pass || fail "the welcome box was not drawn"
  W_=1280
  H_=800
  xdotool windowfocus "$WIN" 2>/dev/null
  xdotool mousemove 400 400 key Escape
  sleep 1.5
  shot wine-menu
  # "New Race": the list of circuits.
  click $((W_ / 2)) $((H_ / 2 - 240 + 96 + 24)) 2
  shot wine-circuits
  LX=$(( (W_ - 448) / 2 + 52 + 40 ))
  LY=$(( (H_ - 416) / 2 + 72 + 4 + 9 ))
  click $LX $LY 0.5
  xdotool key Return
  sleep 2
  shot wine-setup
  FX=$(( (W_ - 768) / 2 ))
  FY=$(( (H_ - 608) / 2 ))
  click $((FX + 340 + 40)) $((FY + 125 + 16))
  click $((FX + 276 + 40)) $((FY + 608 - 80 + 16)) 2
  # No car of the player's: the computer drives them all.
  FX=$(( (W_ - 320) / 2 ))
  click $((FX + 120 + 40)) $((FY + 608 - 80 + 16)) 1.5
  xdotool mousemove 400 400
  # Automatic mode: the race goes on by itself.
  FROM=$(stat -c %s "$AUDIO" 2>/dev/null || echo 0)
  xdotool key a
  sleep 4
  shot wine-race
  sleep 8
  shot wine-race-later
  # Seconds written since "a", and how many of them hold sound.
  heard=$(python3 "$HERE/../smoke/heard_seconds.py" "$AUDIO" "$FROM")
  set -- $heard
  echo "the race under Wine: $2 of $1 seconds hold sound"
  [ "$1" -ge 8 ] && [ $(( $2 * 10 )) -ge $(( $1 * 7 )) ] && pass ||
    { fail "the race under Wine was not heard: $2 of $1 seconds hold sound"; cat "$WORK/game.err"; }
  # The race goes on by itself: the screen changed between the two.
  changed=$(compare -metric AE "$SHOTS/wine-race.png" "$SHOTS/wine-race-later.png" null: 2>&1)
  [ "${changed%% *}" -gt 100 ] 2>/dev/null && pass || fail "the race did not move ($changed)"
  kill -0 "$GAME" 2>/dev/null && pass || { fail "the game ended in the race"; cat "$WORK/game.err"; }
  [ "$(colours wine-race)" -ge 16 ] && pass || fail "the race was not drawn"
  # "Save Race": the second of the side panel's buttons.
  click $((W_ - 256 + 40 + 60)) $((176 + 32 + 16)) 2
  shot wine-saved
  SAVE=$(ls "$W/Saved Races/"*.json 2>/dev/null | head -n 1)
  if [ -n "$SAVE" ]; then
    pass
    (cd "$L" && "$LINUX_TOOL" check "$SAVE" --game-dir . >"$WORK/check.out" 2>&1) && pass ||
      { fail "the Linux tool does not load the save made under Wine"; head -n 5 "$WORK/check.out"; }
  else
    fail "Save Race wrote no save"
    ls -la "$W" "$W/Saved Races" 2>&1 | head -n 20
  fi
  kill -0 "$GAME" 2>/dev/null && pass || { fail "the game ended on saving"; cat "$WORK/game.err"; }
  # A close request leaves the game running, as on Linux; "Main Menu" and
  # "Quit" (answered Yes) end it with status 0.
  xdotool key alt+F4
  sleep 1.5
  kill -0 "$GAME" 2>/dev/null && pass || fail "the game ended on a close request"
  click $((W_ - 256 + 40 + 60)) $((176 + 64 + 16)) 1.5
  click $((W_ / 2)) $((H_ / 2 - 240 + 96 + 2 * 48 + 24)) 0.5
  # The race ran on by itself after its save, so "Quit" asks first: Return
  # answers Yes.
  shot wine-quit-question
  xdotool key Return
  sleep 0.5
  if ! ends; then
    shot wine-quit
    fail "the game did not quit from the menu"
  else
    wait "$GAME"
    status=$?
    GAME=""
    [ "$status" -eq 0 ] && pass || { fail "the game ended with status $status"; cat "$WORK/game.err"; }
  fi
fi
[ -n "$GAME" ] && kill "$GAME" 2>/dev/null
GAME=""

# The fatal box: a file where the game folder's "Results" belongs (as root,
# Wine writes into a read-only folder all the same) ends the game with
# Windows' own message box titled "Fatal Error" saying why, the same words
# on stderr, and status 1.
cd "$WORK" || exit 1
fresh_copies
cd "$W" || exit 1
rm -rf "$W/Results"
echo "not a folder" >"$W/Results"
"$WINE" ./the-velotrax.exe >"$WORK/game.out" 2>"$WORK/game.err" &
GAME=$!
BOX=$(window_named "Fatal Error")
if [ -n "$BOX" ]; then
  sleep 0.5
  shot wine-fatal
  pass
  xdotool windowfocus "$BOX" 2>/dev/null
  xdotool key Return
  ends || kill -9 "$GAME"
  wait "$GAME"
  status=$?
  GAME=""
  [ "$status" -eq 1 ] && grep -q "could not create directory: .*Results: a file of that name is in the way" "$WORK/game.err" &&
    pass || { fail "the fatal error ended with status $status:"; cat "$WORK/game.err"; }
else
  fail "no box titled Fatal Error"
  cat "$WORK/game.err"
fi
[ -n "$GAME" ] && kill "$GAME" 2>/dev/null
GAME=""
cd "$WORK" || exit 1

echo "screenshots in $SHOTS"
echo "$PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]

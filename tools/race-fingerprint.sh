#!/bin/sh
# Race fingerprint: records what velotrax-tool does with every circuit of a game
# folder, so that two builds (say before and after moving sources around) can be
# compared byte for byte with `diff -r OUT1 OUT2`.
#
#   tools/race-fingerprint.sh TOOL_GAME_DIR OUT_DIR
#
# TOOL_GAME_DIR is an assembled game folder holding velotrax-tool (e.g. build/game);
# it is never written to: every run gets a fresh copy of what the tool needs.
# For each circuit, OUT_DIR/<circuit>/<run>/ holds the run's stdout, stderr, exit
# status and the files it wrote. Runs: check, seed-1..3, rolls (a fixed list of
# rolls, kept in OUT_DIR/rolls.txt), reload-every-7 and grid-random (both seed 1).
# SDL_VIDEODRIVER is left as the caller set it.
set -u

[ $# -eq 2 ] || { echo "usage: $0 TOOL_GAME_DIR OUT_DIR" >&2; exit 2; }
game=$(cd "$1" && pwd) || exit 2
out=$2
tool=$game/velotrax-tool
[ -x "$tool" ] || { echo "$0: no velotrax-tool in $game" >&2; exit 2; }
if [ -d "$out" ] && [ -n "$(ls -A "$out")" ]; then
  echo "$0: $out is not empty" >&2; exit 2
fi
mkdir -p "$out" || exit 2
out=$(cd "$out" && pwd)

tmp=$(mktemp -d) || exit 2
trap 'rm -rf "$tmp"' EXIT
trap 'exit 1' HUP INT TERM

# 5000 rolls from 1 to 100 (Park-Miller, exact in any awk's doubles).
awk 'BEGIN { x = 20240601; for (i = 0; i < 5000; i++) { x = (x * 16807) % 2147483647; print x % 100 + 1 } }' \
  > "$tmp/rolls.txt" && cp "$tmp/rolls.txt" "$out/rolls.txt" || exit 1

# run NAME ARGS... : runs the tool with ARGS in a fresh copy of the game folder,
# $copy, and keeps what it printed and wrote under $out/$circuit/NAME.
copy=$tmp/game
runs=0 failed=0
run() {
  name=$1; shift
  rm -rf "$copy" && mkdir -p "$copy/Saved Races" "$copy/Results" &&
    cp -R "$game/The Velotrax.ini" "$game/Data" "$game/Circuits" "$copy/" || exit 1
  dir=$out/$circuit/$name
  mkdir -p "$dir"
  (cd "$copy" && "$tool" "$@") > "$dir/stdout.raw" 2> "$dir/stderr.raw"
  status=$?
  echo "$status" > "$dir/status"
  runs=$((runs + 1)); [ "$status" -eq 0 ] || failed=$((failed + 1))
  # The temporary folder's path changes from run to run: write it as TMP.
  for f in stdout stderr; do
    if grep -qF "$tmp" "$dir/$f.raw"; then
      LC_ALL=C awk -v p="$tmp" '{ while ((i = index($0, p)) > 0)
        $0 = substr($0, 1, i - 1) "TMP" substr($0, i + length(p)); print }' "$dir/$f.raw" > "$dir/$f"
      rm "$dir/$f.raw"
    else
      mv "$dir/$f.raw" "$dir/$f"
    fi
  done
  [ "$name" = check ] && return
  mkdir -p "$dir/Data"
  for f in Drivers.csv "Last Race.txt"; do
    [ -f "$copy/Data/$f" ] && cp "$copy/Data/$f" "$dir/Data/"
  done
  cp -R "$copy/Results" "$copy/Saved Races" "$dir/"
}

# sim NAME ARGS... : a two-race season of three laps on the circuit $c.
sim() {
  name=$1; shift
  run "$name" simulate "$c" --game-dir "$copy" --laps 3 --races 2 --new-season Fingerprint "$@"
}

ncircuits=0
for json in "$game"/Circuits/*.json; do
  [ -f "$json" ] || continue
  circuit=$(basename "$json" .json)
  ncircuits=$((ncircuits + 1))
  c=$copy/Circuits/$circuit.json
  run check check "$c" --game-dir "$copy"
  for s in 1 2 3; do sim "seed-$s" --seed "$s"; done
  sim rolls --rolls "$tmp/rolls.txt"
  sim reload-every-7 --seed 1 --reload-every 7
  sim grid-random --seed 1 --grid random
done

echo "race fingerprint: $ncircuits circuits, $runs runs, $failed with a non-zero status -> $out"

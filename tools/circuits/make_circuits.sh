#!/bin/sh
# Remakes every circuit of game/Circuits from its source here, with the tile
# table of game/Data (run after changing either). Needs a default build.
set -e
cd "$(dirname "$0")/../.."
tool=build/game/velotrax-tool
for source in tools/circuits/*.txt; do
  name=$(basename "$source" .txt)
  [ "$name" = scenery ] && continue
  "$tool" make-circuit "$source" "game/Circuits/$name.json" --game-dir game
done

#!/bin/sh
# The game installed into a scratch prefix, as a player's package would put it:
# the files land where Debian's games keep theirs, the launcher entry and the
# metainfo validate, the installed game starts headless and keeps the
# player's files under XDG_DATA_HOME, the installed velotrax-tool races with
# the same folders, and nothing under the prefix changes.
# Usage: install_test.sh BUILD_DIR
set -u
BUILD=$1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
P="$WORK/prefix"
SHARE="$P/share/the-velotrax"
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$BUILD" --prefix "$P" >"$WORK/install.log" 2>&1 || { cat "$WORK/install.log"; fail "cmake --install"; }

for f in games/the-velotrax games/velotrax-tool \
    "share/the-velotrax/The Velotrax.ini" share/the-velotrax/Data/Help.txt \
    share/the-velotrax/Data/Requesters.txt "share/the-velotrax/Data/Car Data.csv" \
    share/the-velotrax/Images/Tileset.png "share/the-velotrax/Theme/Terminal 14.png" \
    "share/the-velotrax/Circuits/Harbour Loop.json" \
    share/applications/org.velotrax.TheVelotrax.desktop \
    share/metainfo/org.velotrax.TheVelotrax.metainfo.xml \
    share/icons/hicolor/256x256/apps/the-velotrax.png \
    share/icons/hicolor/32x32/apps/the-velotrax.png \
    share/doc/the-velotrax/copyright; do
  [ -f "$P/$f" ] || fail "not installed: $f"
done
[ -x "$P/games/the-velotrax" ] || fail "the game is not executable"
for f in "Saved Races" Results; do
  [ -e "$SHARE/$f" ] && fail "the player's $f was installed"
done
grep -q "Bitstream Vera" "$P/share/doc/the-velotrax/copyright" || fail "font licence missing"
grep -q "^License: Expat" "$P/share/doc/the-velotrax/copyright" || fail "the game's own licence missing"
grep -q "<project_license>MIT</project_license>" "$P/share/metainfo/org.velotrax.TheVelotrax.metainfo.xml" || fail "project_license missing"

desktop-file-validate "$P/share/applications/org.velotrax.TheVelotrax.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$P/share/metainfo/org.velotrax.TheVelotrax.metainfo.xml" || fail "appstreamcli validate"

# Everything under the prefix, with sizes, modes and contents.
snapshot() { (cd "$P" && find . -printf '%p %s %m %T@\n' | sort && find . -type f -exec md5sum {} + | sort); }
snapshot >"$WORK/before"

XDG="$WORK/xdg"  # does not exist yet: the game makes it
MINE="$XDG/the-velotrax"
mkdir -p "$WORK/elsewhere"
cd "$WORK/elsewhere"

# The installed game, started from another folder, runs until it is killed:
# still in its menu after 8 seconds means start-up went through.
SDL_VIDEODRIVER=dummy XDG_DATA_HOME="$XDG" timeout -s KILL 8 "$P/games/the-velotrax" \
  >/dev/null 2>"$WORK/game.err"
status=$?
[ "$status" -eq 137 ] || { cat "$WORK/game.err"; fail "the installed game ended with status $status"; }
for f in "The Velotrax.ini" Data/Drivers.csv "Data/Last Race.txt"; do
  cmp -s "$MINE/$f" "$SHARE/$f" || fail "not seeded from the shipped copy: $f"
done
for d in "Saved Races" Results Circuits; do
  [ -d "$MINE/$d" ] || fail "the player's $d folder was not made"
done

# A short computer-only race through the installed tool, same folders.
XDG_DATA_HOME="$XDG" "$P/games/velotrax-tool" simulate "$SHARE/Circuits/Harbour Loop.json" \
  --laps 1 --seed 12 >"$WORK/race.out" 2>"$WORK/race.err" || { cat "$WORK/race.err"; fail "simulate"; }
grep -q "^=== results" "$WORK/race.out" || fail "no results from the race"
cmp -s "$MINE/Data/Drivers.csv" "$SHARE/Data/Drivers.csv" && fail "the race left the player's points as shipped"
cmp -s "$MINE/Data/Last Race.txt" "$SHARE/Data/Last Race.txt" && fail "the race left no record of itself"
[ -n "$(ls "$MINE/Results")" ] || fail "no season file in the player's Results"

# A player's folder that cannot be made: a clear message, status 1.
: >"$WORK/a-file"
SDL_VIDEODRIVER=dummy XDG_DATA_HOME="$WORK/a-file" timeout -s KILL 20 "$P/games/the-velotrax" \
  >/dev/null 2>"$WORK/bad.err"
status=$?
[ "$status" -eq 1 ] || fail "an uncreatable XDG_DATA_HOME ended with status $status"
grep -q "could not create directory: $WORK/a-file/the-velotrax" "$WORK/bad.err" ||
  { cat "$WORK/bad.err"; fail "no clear message for an uncreatable XDG_DATA_HOME"; }

snapshot >"$WORK/after"
diff "$WORK/before" "$WORK/after" || fail "the game or the tool changed the prefix"
echo "install test passed"

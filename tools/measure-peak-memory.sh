#!/bin/sh
# Peak memory (maximum resident set, MB) of the game started on the dummy
# video driver and left for SECONDS seconds at its welcome box, with the
# shipped files and with hostile ones a player might receive:
#   shipped       the game folder as built
#   requesters    "Requesters.txt" with a keyboard area 2048 characters wide
#                 and a margin of 8180 rows
#   png-header    Theme/Frame.png replaced by 69 bytes declaring 16384 x 16384
#   png-16384     Theme/Frame.png a valid 16384 x 16384 image (~260 KB)
#   png-4096      Theme/Frame.png a valid 4096 x 4096 image (the largest taken)
# Each case runs RUNS times; the median is printed with the game's status
# and the first line it wrote to stderr.
#
# Usage: tools/measure-peak-memory.sh [GAME_DIR] [SECONDS] [RUNS]
# Needs GNU time (/usr/bin/time, Debian package "time").
set -u
GAME_DIR=$(cd "${1:-build/game}" && pwd)
SECS=${2:-4}
RUNS=${3:-3}
[ -x /usr/bin/time ] || { echo "missing /usr/bin/time (apt-get install time)" >&2; exit 1; }
[ -x "$GAME_DIR/the-velotrax" ] || { echo "no game in $GAME_DIR (make build)" >&2; exit 1; }

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# A PNG of WIDTH x HEIGHT grey pixels, all 0; with "header", only its
# signature, header and a few bytes of data.
png() {
  width=$1 height=$2 kind=$3 out=$4
  # Perl (with zlib) is on every Debian system that builds the game.
  perl -e '
    use strict; use Compress::Zlib;
    my ($w, $h, $kind, $out) = @ARGV;
    sub chunk { my ($t, $d) = @_; pack("N", length $d) . $t . $d . pack("N", crc32($t . $d)); }
    my $png = "\x89PNG\r\n\x1a\n" . chunk("IHDR", pack("NNCCCCC", $w, $h, 8, 0, 0, 0, 0));
    if ($kind eq "header") {
      $png .= chunk("IDAT", "x\x9c\x03\x00");
    } else {
      my $d = deflateInit(-Level => 9) or die;
      my $z = "";
      my $row = "\0" x ($w + 1);
      for (1 .. $h) { my ($o) = $d->deflate($row); $z .= $o; }
      my ($o) = $d->flush(); $z .= $o;
      $png .= chunk("IDAT", $z);
    }
    $png .= chunk("IEND", "");
    open my $f, ">:raw", $out or die; print $f $png; close $f;
  ' "$width" "$height" "$kind" "$out"
}

setup() {
  rm -rf "$WORK/game"
  cp -r "$GAME_DIR" "$WORK/game"
  case $1 in
    requesters)
      printf '\r\n###, Hostile\r\nframe, -1, -1, 4, 4\r\nkeyboardarea, 0, 0, 2048, 0, 8180\r\n' \
        >>"$WORK/game/Data/Requesters.txt" ;;
    png-header) png 16384 16384 header "$WORK/game/Theme/Frame.png" ;;
    png-16384) png 16384 16384 full "$WORK/game/Theme/Frame.png" ;;
    png-4096) png 4096 4096 full "$WORK/game/Theme/Frame.png" ;;
  esac
}

for case in shipped requesters png-header png-16384 png-4096; do
  setup "$case"
  peaks=""
  for run in $(seq 1 "$RUNS"); do
    (
      cd "$WORK/game" || exit 1
      SDL_VIDEODRIVER=dummy VELOTRAX_NO_MESSAGE_BOX=1 /usr/bin/time -f "%M %x" -o "$WORK/time.txt" \
        sh -c './the-velotrax 2>"$0" & pid=$!; sleep "$1"; kill -TERM $pid 2>/dev/null; wait $pid' \
        "$WORK/stderr.txt" "$SECS"
    ) >/dev/null 2>&1
    peaks="$peaks $(tail -n 1 "$WORK/time.txt" | cut -d' ' -f1)"
  done
  median=$(echo "$peaks" | tr ' ' '\n' | grep . | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  said=$(head -n 1 "$WORK/stderr.txt" | cut -c1-70)
  echo "$case: $((median / 1024)) MB peak (median of $RUNS; KB:$peaks)${said:+; stderr: $said}"
done

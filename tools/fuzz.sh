#!/bin/sh
# Runs every fuzzer of build-fuzz/fuzz for SECONDS (default 60) each, fast
# readers first, niced, from a working copy of its committed corpus in
# tests/fuzz/corpus and with its dictionary from tests/fuzz/dict. Any crash,
# hang (10 s on one input), leak or sanitizer report stops the run with
# status 1; the input is left in build-fuzz/findings.
# Usage: tools/fuzz.sh [SECONDS] [NAME...]
# FUZZ_BUILD=build-fuzz-fast runs the fuzzers of the fuzz-fast preset (no
# ASan, three times the runs a second or more) on the same corpora; make test
# replays what they keep under ASan.
set -u
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-60}
[ $# -gt 0 ] && shift
NAMES=${*:-"png wav settings car_table tile_table drivers last_race requesters race_document"}
OUT=build-fuzz
BUILD=${FUZZ_BUILD:-$OUT}
# The readers are fed through files: keep them in memory when we can.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
mkdir -p "$OUT/findings"
for name in $NAMES; do
  fuzzer="$BUILD/fuzz/fuzz_$name"
  [ -x "$fuzzer" ] || { echo "no fuzzer $fuzzer (make fuzz builds them)"; exit 1; }
  work="$OUT/corpus/$name"
  mkdir -p "$work" "$OUT/dict"
  # Boundary numbers for every reader, and the reader's own words.
  dict="$OUT/dict/$name.dict"
  cat tests/fuzz/dict/numbers.dict "tests/fuzz/dict/$name.dict" >"$dict" 2>/dev/null ||
    cp tests/fuzz/dict/numbers.dict "$dict"
  # The text tables are a few kilobytes: longer inputs only slow the run
  # (the settings reader fell from 8,000 to 3,000 runs a second as inputs
  # grew to 64 KB). Circuits and images keep the room they need.
  case $name in
    race_document | png | wav) max_len=65536 ;;
    *) max_len=4096 ;;
  esac
  echo "=== $name: $SECONDS_EACH s"
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy nice -n 10 "$fuzzer" "$work" "tests/fuzz/corpus/$name" \
    -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 -max_len=$max_len -dict="$dict" \
    -print_final_stats=1 -artifact_prefix="$OUT/findings/$name-" 2>"$OUT/$name.log"
  status=$?
  grep -E "^#[0-9]+[[:space:]]+DONE" "$OUT/$name.log"
  grep -E "^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)" "$OUT/$name.log"
  if [ $status -ne 0 ]; then
    echo "fuzz_$name failed (status $status): see $OUT/$name.log and $OUT/findings"
    tail -40 "$OUT/$name.log"
    exit 1
  fi
done
echo "every fuzzer ran clean"

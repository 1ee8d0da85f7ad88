#!/usr/bin/env bash
# Installs what is missing, builds the native program (the program alone) and
# runs it. With no arguments it shows a demo: a copy long enough to stop with
# Ctrl+C, then the same command with /R finishing it. With arguments it runs
# blkcopy with them, paths taken from the folder it was started in.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
(cd "$repo" && bash scripts/setup.sh --native-only && bash scripts/build.sh --program-only)
if [ "$#" -gt 0 ]; then exec "$repo/build/blkcopy" "$@"; fi

Seconds=15                   # how long the demo copy should last here
BreakSeconds=10              # when the demo presses Ctrl+C if nobody has
Chunk=$((64 * 1024 * 1024))  # random bytes, repeated to make the sample
program="$repo/build/blkcopy"

demo=$(mktemp -d /var/tmp/blkcopy-demo.XXXXXX)
trap 'rm -rf "$demo"' EXIT
sample="$demo/sample.img"
copy="$demo/copy of sample.img"
now_ms() { date +%s%3N; }

# The sample is a random chunk written over and over: quick to make, real
# data on the disk (no holes), and as slow to copy as any file of its size.
append_chunks() {  # count
  local i
  for ((i = 0; i < $1; i++)); do cat "$demo/chunk"; done >>"$sample"
}
# On the disk, not in the cache: a copy measured while the sample's own
# writes are still being flushed, or read from memory, runs at another speed.
settle() { sync "$sample"; dd if="$sample" iflag=nocache count=0 status=none; }
# The slower of two copies of a 256 MiB sample, in ms.
measure() {
  local run start elapsed slowest=0
  for run in 1 2; do
    start=$(now_ms)
    "$program" "$sample" "$copy" 64K >/dev/null
    elapsed=$(($(now_ms) - start))
    [ "$elapsed" -le "$slowest" ] || slowest=$elapsed
    rm -f "$copy"
    settle
  done
  echo "$slowest"
}
echo "Measuring this disk's copy speed ..."
head -c "$Chunk" /dev/urandom >"$demo/chunk"
append_chunks 4
settle
elapsed=$(measure)
# Enough chunks for about $Seconds seconds at that speed, within a quarter of
# the free space (the sample and its copy both need room).
chunks=$((4 * Seconds * 1000 / (elapsed > 0 ? elapsed : 1)))
free=$(($(df -Pk "$demo" | awk 'NR == 2 { print $4 }') * 1024))
most=$((free / 4 / Chunk))
[ "$chunks" -le "$most" ] || chunks=$most
[ "$chunks" -ge 4 ] || chunks=4
echo "Writing a sample of $((chunks * Chunk / 1048576)) MiB to $demo ..."
append_chunks $((chunks - 4))
settle
# The demo's own break comes well before the copy's expected end, in case
# the disk is faster now than when it was measured.
expected_ms=$((chunks * elapsed / 4))
break_ms=$((BreakSeconds * 1000))
[ "$break_ms" -le $((expected_ms * 7 / 10)) ] || break_ms=$((expected_ms * 7 / 10))

# The copies run in the demo folder, so the box shows short names.
cd "$demo"
args=(sample.img "copy of sample.img" 64K)
shown="blkcopy sample.img 'copy of sample.img' 64K"
echo
echo "The copy takes about $((expected_ms / 1000)) seconds. Press Ctrl+C while it runs: blkcopy"
echo "stops in order after the block in progress, and the copy can be continued."
echo "If you don't within $((break_ms / 1000)) seconds, the demo presses Ctrl+C for you."
if [ -t 0 ]; then read -r -p "Press Enter to start the copy ... " _; fi
echo "\$ $shown"
# The demo's Ctrl+C is what the terminal's would be: SIGINT to this job's
# whole process group. This script outlives it (a trapped signal is reset
# for blkcopy, which stops in order).
trap : INT
(
  sleep "$((break_ms / 1000)).$(printf '%03d' $((break_ms % 1000)))"
  touch "$demo/auto-break"
  kill -INT 0
) &
watcher=$!
status=0
"$program" "${args[@]}" || status=$?
kill "$watcher" 2>/dev/null || true
wait "$watcher" 2>/dev/null || true
trap - INT
if [ "$status" -eq 4 ]; then
  echo
  [ ! -e "$demo/auto-break" ] || echo "(The demo pressed Ctrl+C after $((break_ms / 1000)) seconds.)"
  echo "Stopped in order. Now the same command with /R, to finish the copy:"
  echo "\$ $shown /R"
  status=0
  "$program" "${args[@]}" /R || status=$?
fi
echo
echo "blkcopy ended with exit code $status. Removing the demo files."
exit "$status"

#!/usr/bin/env bash
# Installs what is missing, builds the native program (the program alone) and
# runs it. With no arguments it shows a demo: a copy long enough to stop with
# Ctrl+C, then the same command with /R finishing it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --native-only
bash scripts/build.sh --program-only
if [ "$#" -gt 0 ]; then exec build/blkcopy "$@"; fi

Seconds=15                   # how long the demo copy should last here
Chunk=$((64 * 1024 * 1024))  # random bytes, repeated to make the sample

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
echo "Measuring this disk's copy speed ..."
head -c "$Chunk" /dev/urandom >"$demo/chunk"
append_chunks 4
start=$(now_ms)
build/blkcopy "$sample" "$copy" 64K >/dev/null
elapsed=$(($(now_ms) - start))
rm -f "$copy"
# Enough chunks for about $Seconds seconds at that speed, within a quarter of
# the free space (the sample and its copy both need room).
chunks=$((4 * Seconds * 1000 / (elapsed > 0 ? elapsed : 1)))
free=$(($(df -Pk "$demo" | awk 'NR == 2 { print $4 }') * 1024))
most=$((free / 4 / Chunk))
[ "$chunks" -le "$most" ] || chunks=$most
[ "$chunks" -ge 4 ] || chunks=4
echo "Writing a sample of $((chunks * Chunk / 1048576)) MiB to $demo ..."
append_chunks $((chunks - 4))
sync "$sample"

# The copies run in the demo folder, so the box shows short names.
program="$PWD/build/blkcopy"
cd "$demo"
args=(sample.img "copy of sample.img" 64K)
shown="blkcopy sample.img 'copy of sample.img' 64K"
echo
echo "The copy takes about $Seconds seconds. Press Ctrl+C while it runs: blkcopy"
echo "stops in order after the block in progress, and the copy can be continued."
if [ -t 0 ]; then read -r -p "Press Enter to start the copy ... " _; fi
echo "\$ $shown"
status=0
"$program" "${args[@]}" || status=$?
if [ "$status" -eq 4 ]; then
  echo
  echo "Stopped in order. Now the same command with /R, to finish the copy:"
  echo "\$ $shown /R"
  status=0
  "$program" "${args[@]}" /R || status=$?
fi
echo
echo "blkcopy ended with exit code $status. Removing the demo files."
exit "$status"

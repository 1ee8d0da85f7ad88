#!/usr/bin/env bash
# The cost of /V's read-back against reading both files with dd iflag=direct
# one after the other, caches dropped before each, at 64K, 1M and 8M blocks.
# The verify pass is timed alone: a finished copy run again with /R /V reads
# both files back and writes nothing (its resume check reads a few pieces
# more). Target: at most 1.10x the two dd reads. See bench/README.md.
#
# Environment:
#   BLKCOPY    the native program (default: build/blkcopy next to this folder)
#   BENCH_DIR  scratch folder on the disk to measure (default /var/tmp/blkcopy-bench)
#   SOURCE_MB  source size in MiB (default 1024; a 12,345-byte tail is added)
#   ROUNDS     alternating rounds per block size (default 3)
#   SIZES      block sizes (default "64K 1M 8M")
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
blkcopy="${BLKCOPY:-$here/../build/blkcopy}"
dir="${BENCH_DIR:-/var/tmp/blkcopy-bench}"
source_mb="${SOURCE_MB:-1024}"
rounds="${ROUNDS:-3}"
sizes="${SIZES:-64K 1M 8M}"
src="$dir/verify-source.bin"
dst="$dir/verify-dest.bin"

die() { echo "verify.sh: $*" >&2; exit 1; }
[ -x "$blkcopy" ] || die "no program at $blkcopy (build it first, or set BLKCOPY)"
[ -w /proc/sys/vm/drop_caches ] || die "dropping the caches needs root"
mkdir -p "$dir"
trap 'rm -f "$src" "$dst"' EXIT

dd if=/dev/urandom of="$src" bs=1M count="$source_mb" iflag=fullblock status=none
head -c 12345 /dev/urandom >>"$src"
"$blkcopy" "$src" "$dst" 1M >/dev/null
bytes=$(stat -c %s "$src")

drop() { sync; echo 3 >/proc/sys/vm/drop_caches; }
now() { date +%s%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

printf '%-6s %12s %12s %7s\n' block "dd reads s" "/V s" ratio
for size in $sizes; do
  dd_times=() verify_times=()
  for _ in $(seq "$rounds"); do
    drop; t=$(now)
    dd if="$src" of=/dev/null bs="$size" iflag=direct status=none
    dd if="$dst" of=/dev/null bs="$size" iflag=direct status=none
    dd_times+=($(( $(now) - t )))
    drop; t=$(now)
    out=$("$blkcopy" "$src" "$dst" "$size" /R /V) || die "the verify failed: $out"
    verify_times+=($(( $(now) - t )))
    grep -q "^Verified: " <<<"$out" || die "no verified line: $out"
  done
  d=$(printf '%s\n' "${dd_times[@]}" | median)
  v=$(printf '%s\n' "${verify_times[@]}" | median)
  awk -v s="$size" -v d="$d" -v v="$v" -v b="$bytes" \
    'BEGIN { printf "%-6s %12.2f %12.2f %7.2f  (%.0f MB/s read back)\n", s, d / 1e9, v / 1e9, v / d, 2 * b / 1048576 / (v / 1e9) }'
done

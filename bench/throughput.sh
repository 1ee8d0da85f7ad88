#!/usr/bin/env bash
# Throughput of blkcopy against dd with direct I/O on both files and a flush
# at the end (conv=fsync, the same promise blkcopy makes), at 64K, 1M
# and 8M blocks, with blkcopy's peak resident memory, CPU time, the cost of
# its final flush and the cost of its progress output. See bench/README.md.
#
# Environment:
#   BLKCOPY     the native program (default: build/blkcopy next to this folder)
#   BENCH_DIR   scratch folder on the disk to measure (default /var/tmp/blkcopy-bench);
#               needs twice the source size free
#   SOURCE_MB   source size in MiB (default 2048; a 12,345-byte tail is added)
#   ROUNDS      alternating rounds per block size (default 5)
#   SIZES       block sizes (default "64K 1M 8M")
#   KEEP_SOURCE 1 keeps the source file for the next run
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
blkcopy="${BLKCOPY:-$here/../build/blkcopy}"
dir="${BENCH_DIR:-/var/tmp/blkcopy-bench}"
source_mb="${SOURCE_MB:-2048}"
rounds="${ROUNDS:-5}"
sizes="${SIZES:-64K 1M 8M}"
tail_bytes=12345
src="$dir/source.bin"
dst="$dir/dest.bin"
log="$dir/time.txt"

die() { echo "throughput.sh: $*" >&2; exit 1; }

[ -x "$blkcopy" ] || die "no program at $blkcopy (build it first, or set BLKCOPY)"
if [ ! -x /usr/bin/time ]; then
  if [ "$(id -u)" = 0 ]; then apt-get install -y time >/dev/null; else die "install the 'time' package"; fi
fi
mkdir -p "$dir"
source_bytes=$(( source_mb * 1048576 + tail_bytes ))
free_bytes=$(( $(df -Pk "$dir" | awk 'NR==2 {print $4}') * 1024 ))
needed=$(( source_bytes * 2 ))
[ -f "$src" ] && [ "$(stat -c %s "$src")" = "$source_bytes" ] && needed=$source_bytes
[ "$free_bytes" -gt "$needed" ] || die "$dir needs $needed bytes free"

cleanup() {
  rm -f "$dst" "$log" "$dir/trace.txt" "$dir/copied"
  [ "${KEEP_SOURCE:-0}" = 1 ] || rm -f "$src"
}
trap cleanup EXIT

if [ ! -f "$src" ] || [ "$(stat -c %s "$src")" != "$source_bytes" ]; then
  echo "Writing a ${source_mb} MiB + ${tail_bytes} B source of random bytes to $src ..."
  dd if=/dev/urandom of="$src" bs=1M count="$source_mb" iflag=fullblock status=none
  head -c "$tail_bytes" /dev/urandom >>"$src"
  sync
fi

now() { date +%s%N; }
mbps() { awk -v b="$source_bytes" -v ns="$1" 'BEGIN { printf "%.1f", b / 1048576 / (ns / 1e9) }'; }
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
bytes_of() {  # 64K -> 65536
  local n="${1%[KMkm]}"
  case "$1" in *[Kk]) echo $(( n * 1024 ));; *[Mm]) echo $(( n * 1048576 ));; *) echo "$n";; esac
}

# One timed run; prints MB/s. The destination goes first so both tools create it.
run_blkcopy() {
  rm -f "$dst"; sync
  local start end
  start=$(now)
  /usr/bin/time -v -o "$log" "$blkcopy" "$src" "$dst" "$1" >/dev/null 2>&1 </dev/null ||
    die "blkcopy failed at $1 (exit $?)"
  end=$(now)
  mbps $(( end - start ))
}

# dd with conv=fsync: like blkcopy, it has the copy on the disk before it
# says it is done. A dd that never flushes leaves the disk's cache flush to
# whoever comes next (run_dd nofsync, shown for reference only).
run_dd() {
  rm -f "$dst"; sync
  local start end conv=conv=fsync
  [ "${2:-}" = nofsync ] && conv=conv=notrunc
  start=$(now)
  dd if="$src" of="$dst" bs="$1" iflag=direct oflag=direct "$conv" status=none
  end=$(now)
  mbps $(( end - start ))
}

# Total seconds blkcopy spends in fsync, from one traced run: the flush's own
# cost, which the comparison with dd conv=fsync includes on both sides.
flush_cost() {
  command -v strace >/dev/null || { echo "n/a"; return; }
  rm -f "$dst"; sync
  strace -f --seccomp-bpf -T -e trace=fsync,fdatasync -o "$dir/trace.txt" \
    "$blkcopy" "$src" "$dst" "$1" >/dev/null 2>&1 </dev/null || true
  awk -F'<' '/fsync|fdatasync/ { sub(/>.*/, "", $NF); s += $NF; n++ }
             END { printf "%.1f ms in %d call(s)", s * 1000, n }' "$dir/trace.txt"
}

printf '%s\n' "blkcopy: $blkcopy" "source:  $source_bytes bytes in $dir, $rounds rounds" ""
printf '%-5s %12s %12s %7s %14s %14s %11s %14s  %s\n' block blkcopy_MB/s dd_fsync_MB/s ratio \
  peak_RSS_KiB RSS_limit_KiB CPU_s dd_noflush_MB/s final_flush
status=0
for size in $sizes; do
  blk=() dd_runs=() rss=0 cpu=()
  for round in $(seq 1 "$rounds"); do
    # Alternate which tool goes first, so neither always meets a warmer disk.
    if (( round % 2 )); then
      blk+=("$(run_blkcopy "$size")"); dd_runs+=("$(run_dd "$size")")
    else
      dd_runs+=("$(run_dd "$size")"); blk+=("$(run_blkcopy "$size")")
    fi
    # run_dd may have gone last; the time log is blkcopy's either way.
    r=$(awk -F': ' '/Maximum resident/ { print $2 }' "$log")
    if (( r > rss )); then rss=$r; fi
    cpu+=("$(awk -F': ' '/User time/ { u = $2 } /System time/ { s = $2 } END { print u + s }' "$log")")
    if (( round == 1 )); then
      run_blkcopy "$size" >/dev/null
      cmp -s "$src" "$dst" || { echo "blkcopy's copy at $size differs from the source" >&2; status=1; }
    fi
  done
  b=$(printf '%s ' "${blk[@]}" | median)
  d=$(printf '%s ' "${dd_runs[@]}" | median)
  c=$(printf '%s ' "${cpu[@]}" | median)
  ratio=$(awk -v b="$b" -v d="$d" 'BEGIN { printf "%.3f", b / d }')
  # The process's own pages: 4 MiB, and 256 KiB more that Debian's hardening
  # costs (bind-now resolves every relocation at start, PIE makes more pages
  # private).
  limit=$(( $(bytes_of "$size") / 1024 + 4096 + 256 ))
  printf '%-5s %12s %12s %7s %14s %14s %11s %14s  %s\n' "$size" "$b" "$d" "$ratio" "$rss" "$limit" \
    "$c" "$(run_dd "$size" nofsync)" "$(flush_cost "$size")"
  if awk -v r="$ratio" 'BEGIN { exit !(r < 0.97) }'; then
    echo "  below 0.97 x dd at $size" >&2; status=1
  fi
  if (( rss > limit )); then
    echo "  peak RSS above block + 4.25 MiB at $size" >&2; status=1
  fi
done

# The progress box's cost: standard output on a terminal against redirected,
# at the smallest block, where refreshes are most frequent. The terminal is
# tmux, a real one that answers the cursor-position question at start-up (a
# bare pseudo-terminal would make every run wait out that question's timeout).
if command -v tmux >/dev/null; then
  size="${sizes%% *}"
  redirected=() terminal=()
  for round in $(seq 1 "$rounds"); do
    redirected+=("$(run_blkcopy "$size")")
    rm -f "$dst"; sync
    start=$(now)
    rm -f "$dir/copied"
    tmux -L blkcopy-bench new-session -d -x 120 -y 50 \
      "$(printf '%q ' "$blkcopy" "$src" "$dst" "$size"); touch $(printf '%q' "$dir/copied")" \
      >/dev/null 2>&1 </dev/null
    until [ -e "$dir/copied" ]; do sleep 0.01; done
    end=$(now)
    terminal+=("$(mbps $(( end - start )))")
  done
  r=$(printf '%s ' "${redirected[@]}" | median)
  t=$(printf '%s ' "${terminal[@]}" | median)
  echo
  awk -v r="$r" -v t="$t" -v s="$size" 'BEGIN {
    printf "progress at %s: redirected %.1f MB/s, terminal %.1f MB/s, cost %.2f%%\n", s, r, t, (r - t) / r * 100 }'
fi
exit "$status"

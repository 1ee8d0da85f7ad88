# Console round trips per refresh of the progress box, counted the way a
# Windows console pays for them: every console call blkcopy.exe makes, and
# every WriteFile on a console handle, traced by 64-bit Wine with +relay
# while the program draws in a real terminal (a tmux window). A 64 MiB copy
# at 64K refreshes after every 100th of its 1,024 full blocks; the console
# calls between one block's write and the next's are that refresh's, and the
# largest of the ten is the figure (the first second's refreshes redraw two
# fields, the later ones six). See bench/README.md.
#
# Environment:
#   BLKCOPY_EXE  the Windows program (default: build-win64/blkcopy.exe next to this folder)
#   WINEPREFIX   a prefix of your own (default ~/.wine-blkcopy-bench; made when missing)
#   WINE64       the 64-bit loader (default /usr/lib/wine/wine64)
#   LIMIT        round trips allowed per refresh (default 120); exit 1 above it
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
exe="$(realpath "${BLKCOPY_EXE:-$here/../build-win64/blkcopy.exe}")"
wine="${WINE64:-/usr/lib/wine/wine64}"
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-blkcopy-bench}"
export WINEDLLOVERRIDES="mscoree=;mshtml="
limit="${LIMIT:-120}"

die() { echo "refresh_calls.sh: $*" >&2; exit 1; }
[ -f "$exe" ] || die "no program at $exe (bash scripts/build.sh --with-win64, or set BLKCOPY_EXE)"
command -v tmux >/dev/null || die "tmux is needed: the box is drawn only in a terminal"
[ -x "$wine" ] || die "no 64-bit Wine at $wine"
[ -d "$WINEPREFIX" ] || WINEDEBUG=-all timeout -k 5 300 "$wine" wineboot -i >/dev/null 2>&1

dir="$(mktemp -d)"
session="blkcopy-refresh-$$"
cleanup() {
  tmux kill-session -t "$session" 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT

# The relay trace of one copy, cut down while it runs to the calls that reach
# the console: the thread that asks for screen-buffer information is
# blkcopy's own (Wine's console host serves that call, it never makes it).
cat >"$dir/copy.sh" <<EOF
cd "$dir"
WINEDEBUG=+relay timeout -k 5 600 "$wine" "$exe" "\$1" "\$2" 64K 2>&1 >/dev/tty |
  grep -E ':Call KERNEL32\.([A-Za-z]*Console[A-Za-z]*|WriteFile)\(' >"\$3"
tmux wait-for -S "$session"
EOF
# The calls of blkcopy's thread between two writes of file data, for every
# refresh (the 100th, 200th ... block write and the write after it):
# prints "calls name=count ..." of the largest, and the number of refreshes.
count() {
  awk -F'[:(,]' '
    { sub(/^Call /, "", $2); thread[NR] = $1; name[NR] = $2; handle[NR] = $3 }
    $2 == "KERNEL32.GetConsoleScreenBufferInfo" { own = $1; console[$3] = 1 }
    END {
      for (i = 1; i <= NR; ++i) {
        if (thread[i] != own) continue
        if (name[i] == "KERNEL32.WriteFile" && !(handle[i] in console)) {
          if (open && total > worst) { worst = total; detail = list }
          open = (++blocks % 100 == 0); total = 0; delete by; list = ""
          if (open) ++refreshes
          continue
        }
        if (!open) continue
        ++total; ++by[name[i]]
        list = ""
        for (n in by) list = list " " n "=" by[n]
      }
      print worst + 0, refreshes + 0, detail
    }' "$1"
}

tmux new-session -d -s "$session" -x 100 -y 40
truncate -s 64M "$dir/source.bin"
tmux send-keys -t "$session" "clear; bash '$dir/copy.sh' source.bin dest.bin trace.txt" Enter
timeout 900 tmux wait-for "$session" || die "the copy did not end"
cmp -s "$dir/source.bin" "$dir/dest.bin" || die "the copy differs from its source"
read -r worst refreshes detail < <(count "$dir/trace.txt")
[ "$refreshes" = 10 ] || die "counted $refreshes refreshes, not 10: is the trace whole?"
echo "Console round trips per refresh of the box (64 MiB at 64K, most of $refreshes): $worst (limit $limit)"
tr ' ' '\n' <<<"$detail" | grep . | sed 's/KERNEL32\./  /; s/=/ /' | sort
[ "$worst" -le "$limit" ]

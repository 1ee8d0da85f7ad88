#!/usr/bin/env bash
# The Windows program under Wine, stopped at random points by SIGKILL and by
# Ctrl+C (SIGINT, which Wine hands to the program as the console's Ctrl+C
# event), then finished with /R: the destination must end byte-identical every
# time, and the source untouched. (SIGTERM ends a Wine process outright: no
# Windows program can see it.)
#
# Usage: tests/reliability/stop_resume_wine.sh WINE BLKCOPY_EXE
# BLKCOPY_FAULT_SEED repeats a run's stopping points.
set -uo pipefail
. "$(dirname "$0")/../support/wine_script_args.sh" "$@"
export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-blkcopy}"
seed=${BLKCOPY_FAULT_SEED:-$$}
RANDOM=$seed

work=$(mktemp -d "${BLKCOPY_TEST_DIR:-/var/tmp}/blkcopy-wine-faults.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
size=$((128 * 1024 * 1024 + 12345))
head -c "$size" /dev/urandom >source
cp source original
failures=0

fail() {
  echo "FAILED (seed $seed): $*" >&2
  failures=$((failures + 1))
}

dest_size() { stat -c %s dest 2>/dev/null || echo 0; }

# Runs the program (paths relative to the work folder, which Wine maps as they
# are) with signals at their defaults; "output" gets what it writes.
start() { env --default-signal=INT,QUIT "$wine" "$exe" source dest "$@" >output 2>&1 </dev/null & }

# One trial: a copy with block size $1, stopped by signal $2 once the
# destination holds $3 bytes, then /R until it completes.
trial() {
  local block=$1 signal=$2 at=$3 code
  rm -f dest
  start "$block"
  local pid=$!
  # Bounded: a program that stalls is stopped after a minute all the same.
  local waited=0
  while kill -0 "$pid" 2>/dev/null && [ "$(dest_size)" -lt "$at" ] && [ "$waited" -lt 12000 ]; do
    sleep 0.005
    waited=$((waited + 1))
  done
  kill -s "$signal" "$pid" 2>/dev/null
  { wait "$pid"; } 2>/dev/null  # no "Killed" notice from the shell
  code=$?
  case "$signal:$code" in
    *:0) ;;  # it had finished
    KILL:137) ;;
    INT:4) grep -q '\[BREAK\] User halt\.' output || fail "$block $signal at $at: no break line" ;;
    *) fail "$block $signal at $at: exit code $code: $(cat output)" ;;
  esac
  local held
  held=$(dest_size)
  echo "$block $signal at $at: exit code $code, $held bytes held"
  if [ -e dest ] && ! cmp -s -n "$held" dest source; then
    fail "$block $signal at $at: the destination is no beginning of the source"
  fi
  timeout -k 5 300 "$wine" "$exe" source dest "$block" /R >output 2>&1 </dev/null
  code=$?
  [ "$code" -eq 0 ] || fail "$block $signal at $at: /R ended with $code: $(cat output)"
  cmp -s dest source || fail "$block $signal at $at: the destination differs after /R"
}

random_point() { echo $(((RANDOM * 32768 + RANDOM) % size)); }

trial 64K KILL 0  # before anything is written
for block in 64K 1M 64K 1M 64K 1M 64K 1M 64K; do trial "$block" KILL "$(random_point)"; done
for block in 64K 1M 64K 1M; do trial "$block" INT $((size / 4 + RANDOM * 1024)); done
cmp -s source original || fail "the source changed"

if [ "$failures" -gt 0 ]; then exit 1; fi
echo "all trials byte-identical (seed $seed)"

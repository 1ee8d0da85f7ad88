#!/usr/bin/env bash
# The Windows program under Wine in the cases of the hostile world that exist
# on Windows: an equal-sized /R onto another file, a source cut short and a
# second writer during the copy, the same file under another name, and NUL
# (a character device) on either side. Each case checks the exit code, the
# line, and the bytes on both sides. Every run is bounded by timeout -k.
#
# Usage: tests/reliability/hostile_wine.sh WINE BLKCOPY_EXE
set -uo pipefail
. "$(dirname "$0")/../support/wine_script_args.sh" "$@"
export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-blkcopy}"

work=$(mktemp -d "${BLKCOPY_TEST_DIR:-/var/tmp}/blkcopy-wine-hostile.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

run() { timeout -k 5 120 "$wine" "$exe" "$@" </dev/null 2>&1; }
# expect CODE LINE OUTPUT-FILE: the exit code and a line of the output.
expect() {
  local code=$1 line=$2 got=$3 output=$4
  [ "$got" -eq "$code" ] || fail "$line: exit code $got: $(cat "$output")"
  grep -qF "$line" "$output" || fail "no line \"$line\": $(cat "$output")"
}
dest_size() { stat -c %s "$1" 2>/dev/null || echo 0; }
# Starts a copy of $1 to dest in the background; returns once dest holds 8 MB.
start_copy() {
  rm -f dest
  run "$1" dest 64K >first &
  copier=$!
  while kill -0 "$copier" 2>/dev/null && [ "$(dest_size dest)" -lt 8000000 ]; do sleep 0.005; done
}

head -c 100000 /dev/urandom >small
head -c 100000 /dev/urandom >other
cp other other.orig
run small other /R >output; expect 2 "The destination is not a partial copy of the source" $? output
cmp -s other other.orig || fail "an equal-sized /R changed the destination"
cp small same
run small same /R >output; expect 0 "File copy completed!" $? output
cmp -s small same || fail "a finished /R changed the destination"

run small ./small >output; expect 2 "Source and destination are the same file" $? output
run small NUL >output; expect 2 "The destination is not a file or a disk" $? output
run NUL fromnul >output; expect 2 "The source is not a file or a disk" $? output
[ ! -e fromnul ] || fail "a refused copy created its destination"

head -c $((200 * 1024 * 1024 + 12345)) /dev/urandom >source
start_copy source
run source dest 64K /R >output
expect 2 "The destination is being written by another blkcopy" $? output
wait "$copier"; expect 0 "File copy completed!" $? first
cmp -s source dest || fail "the first copy was not byte-identical with a second writer refused"

cp source shrinking
start_copy shrinking
truncate -s 1000000 shrinking
wait "$copier"; expect 3 "The source got shorter during the copy" $? first
grep -qF "It had 209727545 bytes when the copy began and has 1000000 now" first ||
  fail "the shrink message lacks the sizes: $(cat first)"
cmp -s -n 1000000 shrinking dest || fail "the destination is no beginning of the source"

if [ "$failures" -gt 0 ]; then exit 1; fi
echo "all hostile cases as expected"

#!/usr/bin/env bash
# The Windows program under Wine in the cases of the hostile world that exist
# on Windows: an equal-sized /R onto another file or onto a source changed
# since, a source cut short, a second writer and another program writing
# either file during the copy, the same file under another name, standard
# output as the destination, device paths in several spellings, NUL (a
# character device) on either side, the largest block size, and a copy read
# back with /V. Each case checks the exit code, the line,
# and the bytes on both sides. Every run is bounded by timeout -k.
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
# A copy blkcopy finished carries its source's size and times (Wine may give
# it the same creation time too): it is no other name of the source.
run small again >output; expect 0 "File copy completed!" $? output
run small again >output; expect 0 "File copy completed!" $? output
run small again /R >output; expect 0 "File copy completed!" $? output
cmp -s small again || fail "a finished copy copied again is not byte-identical"
# Read back with /V: a fresh copy, then the finished one under /R /V.
run small verified /V >output; expect 0 "Verified: 100,000 bytes read back from the disk" $? output
run small verified /r /v >output; expect 0 "Verified: 100,000 bytes read back from the disk" $? output
cmp -s small verified || fail "a verified copy is not byte-identical"

run small ./small >output; expect 2 "Source and destination are the same file" $? output
run small NUL >output; expect 2 "The destination is not a file or a disk" $? output
run NUL fromnul >output; expect 2 "The source is not a file or a disk" $? output
[ ! -e fromnul ] || fail "a refused copy created its destination"

# /R onto what the source could not have produced: a source written since the
# copy stopped, or a first byte that differs.
head -c 2097152 /dev/urandom >grown
head -c 1048576 grown >part
cp part part.orig
touch -d '+1 hour' grown
run grown part /R >output; expect 2 "The source was changed after the copy was stopped" $? output
touch -d '-1 hour' grown
printf 'Z' | dd of=part bs=1 count=1 conv=notrunc 2>/dev/null
run grown part /R >output; expect 2 "The destination is not a partial copy of the source" $? output
cp part.orig part
run grown part /R >output; expect 0 "File copy completed!" $? output
cmp -s grown part || fail "a good /R is not byte-identical"

# Standard output into the destination (as Git Bash or MSYS2 would redirect
# it): refused before anything is written, the lines on standard error.
echo "what d held" >d
timeout -k 5 120 "$wine" "$exe" small d >>d 2>err </dev/null
expect 2 "The destination is the file that standard output writes to" $? err
[ "$(cat d)" = "what d held" ] || fail "standard output into the destination changed it: $(head -c 200 d)"
timeout -k 5 120 "$wine" "$exe" small d >d 2>err </dev/null
expect 2 "The destination is the file that standard output writes to" $? err
[ ! -s d ] || fail "the destination got the program's lines: $(head -c 200 d)"

for path in '\\?\C:' '//./C:' '//?/C:' '\\?\PhysicalDrive0' '\\.\C:'; do
  run "$path" fromdevice >output; expect 2 "The source is a device or volume path" $? output
  run small "$path" >output; expect 2 "The destination is a device or volume path" $? output
done
[ ! -e fromdevice ] || fail "a refused device path created the destination"

# The largest block, 2047M: a 64-bit program gets it and copies; the 32-bit
# one (large-address-aware, so it may get it on a 64-bit system) copies, or
# says it can't have the buffer before the destination is touched.
cp other big.orig
cp other big
run small big 2047M >output
code=$?
if [ "$code" -eq 0 ] || objdump -p "$exe" | grep -qE "^Magic[[:space:]]+020b"; then
  expect 0 "File copy completed!" "$code" output
  cmp -s small big || fail "the copy with 2047M blocks is not byte-identical"
else
  expect 3 "Could not allocate a block buffer of 2,146,435,072 bytes" "$code" output
  cmp -s big big.orig || fail "a buffer that could not be had changed the destination"
fi

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
grep -qF "It had 209,727,545 bytes when the copy began and has 1,000,000 now" first ||
  fail "the shrink message lacks the sizes: $(cat first)"
cmp -s -n 1000000 shrinking dest || fail "the destination is no beginning of the source"

# Another program writing during the copy: past the destination's end, or
# over the source's first block.
cp source written
start_copy written
dd if=/dev/urandom of=dest bs=4096 count=1 seek=100000 conv=notrunc 2>/dev/null
wait "$copier"; expect 3 "Another program changed the destination during the copy" $? first
start_copy written
dd if=/dev/urandom of=written bs=4096 count=1 conv=notrunc 2>/dev/null
wait "$copier"; expect 3 "Another program changed the source during the copy" $? first

if [ "$failures" -gt 0 ]; then exit 1; fi
echo "all hostile cases as expected"

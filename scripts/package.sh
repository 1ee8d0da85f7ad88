#!/usr/bin/env bash
# Makes the Debian package from build/ and the Windows zip from build-win32/
# (both built already, as scripts/build.sh does), and checks that each holds
# what a user installs, that the .deb's fields are filled in, and that the man
# page renders. The packages are left in build*/packages/.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(blkcopy VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
status=0
fail() { echo "  FAIL $*"; status=1; }
holds() {  # LISTING NAME...
  local listing="$1" name
  shift
  for name in "$@"; do grep -qxF -- "$name" <<<"$listing" || fail "the package lacks $name"; done
}

rm -rf build/packages build-win32/packages
(cd build && cpack -G DEB >/dev/null)
deb="build/packages/blkcopy_${version}_$(dpkg --print-architecture).deb"
echo "== $deb"
holds "$(dpkg-deb -c "$deb" | awk '{ print $6 }')" ./usr/bin/blkcopy \
  ./usr/share/man/man1/blkcopy.1.gz ./usr/share/doc/blkcopy/README.md \
  ./usr/share/doc/blkcopy/copyright ./usr/share/doc/blkcopy/changelog.gz
expected="Package: blkcopy
Version: $version"
[ "$(dpkg-deb -f "$deb" Package Version)" = "$expected" ] || fail "package name or version"
for field in Maintainer Description Depends; do
  [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "no $field field"
done
dpkg-deb -f "$deb" Depends | grep -q 'libc6' || fail "libc6 is not among the dependencies"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
page=$(MANWIDTH=80 timeout -k 5 30 man -l "$unpacked/usr/share/man/man1/blkcopy.1.gz" 2>&1)
for section in SYNOPSIS OPTIONS "EXIT STATUS" REFUSALS EXAMPLES "blkcopy $version"; do
  grep -qF -- "$section" <<<"$page" || fail "the man page shows no \"$section\""
done
# Debian's own checker: its errors fail the package, its warnings are shown,
# and the program must have Debian's hardening (no hardening-* tag, not even
# an informational one).
if command -v lintian >/dev/null; then
  lint=$(timeout -k 5 300 lintian -I --pedantic --fail-on error "$deb" 2>&1) ||
    fail "lintian reports errors"
  grep -v '^running with root' <<<"$lint" || true
  grep -q 'hardening-' <<<"$lint" && fail "the program lacks some of Debian's hardening"
else
  fail "lintian is not installed (bash scripts/setup.sh)"
fi
head -c 100000 /dev/urandom >"$unpacked/sample"
timeout -k 5 30 "$unpacked/usr/bin/blkcopy" "$unpacked/sample" "$unpacked/copy" >/dev/null &&
  cmp -s "$unpacked/sample" "$unpacked/copy" ||
  fail "the packaged program does not copy"

(cd build-win32 && cpack -G ZIP >/dev/null)
zip="build-win32/packages/blkcopy-${version}-win32.zip"
echo "== $zip"
top="blkcopy-${version}-win32"
listing=$(cmake -E tar tf "$zip")
holds "$listing" "$top/blkcopy.exe" "$top/README.txt" "$top/LICENSE.txt"
grep -q 'README\.md$' <<<"$listing" && fail "the zip holds the developers' README.md"
# Notepad before Windows 10 shows a file with LF line ends as one long line.
(cd "$unpacked" && cmake -E tar xf "$OLDPWD/$zip" "$top/README.txt" "$top/LICENSE.txt")
for paper in README.txt LICENSE.txt; do
  [ "$(grep -c $'\r$' "$unpacked/$top/$paper")" = "$(wc -l <"$unpacked/$top/$paper")" ] ||
    fail "$paper has lines that don't end in CR LF"
done
# The zip's program is the shipped 32-bit one (the 64-bit build is for tests).
(cd "$unpacked" && cmake -E tar xf "$OLDPWD/$zip" "$top/blkcopy.exe")
bash scripts/check_exe.sh "$unpacked/$top/blkcopy.exe" >/dev/null || fail "the zip's blkcopy.exe"

[ "$status" -eq 0 ] && echo "both packages hold what they should"
exit "$status"

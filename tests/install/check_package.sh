#!/usr/bin/env bash
# Builds the Debian package and the .tar.gz of a release build with CPack, checks the .deb with
# lintian (no error allowed), installs it into this machine with dpkg -i, plays it from /usr as a
# user who cannot write there (play_installed.sh) and removes it again. Needs root. The build is
# configured as Debian wants a game: -DCMAKE_INSTALL_BINDIR=games (the programs in /usr/games).
#   check_package.sh BUILD_DIR WORK
set -euo pipefail
build=$(cd "$1" && pwd)
work=$2
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
[[ $(id -u) -eq 0 ]] || fail "installing the package needs root"
rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)

(cd "$build" && cpack -G "DEB;TGZ" -B "$work/packages" > "$work/cpack.log") || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/packages/quillmarch_*.deb)
tgz=$(ls "$work"/packages/quillmarch-*.tar.gz)
echo "packages: $(basename "$deb") ($(du -k "$deb" | cut -f1) kB), $(basename "$tgz") ($(du -k "$tgz" | cut -f1) kB)"
dpkg-deb --field "$deb" Depends

# lintian's errors fail the build; its warnings are printed for whoever reads the log.
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reported errors"

if dpkg-query -W -f='${Status}' quillmarch 2>/dev/null | grep -q "install ok installed"; then
  fail "a quillmarch package is installed already; remove it first (dpkg -r quillmarch)"
fi
trap 'dpkg -r quillmarch > /dev/null 2>&1 || true' EXIT
dpkg -i "$deb" > "$work/dpkg.log" || { cat "$work/dpkg.log"; fail "dpkg -i"; }
game=/usr/games/quillmarch
[[ -x $game ]] || fail "the package has no $game"
"$here/play_installed.sh" "$game" "$work/player"
dpkg -r quillmarch > "$work/dpkg-remove.log" || fail "dpkg -r"
trap - EXIT
[[ ! -e $game && ! -e /usr/share/quillmarch ]] || fail "dpkg -r left the game behind"
echo "the package installs, plays for a user who cannot write in /usr and removes cleanly"

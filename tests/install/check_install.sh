#!/usr/bin/env bash
# Installs the build into a fresh prefix with `cmake --install`, checks the layout and the desktop
# files (desktop-file-validate, appstreamcli), moves the whole tree elsewhere (the game finds its
# data from its own path), makes it read-only and plays it with play_installed.sh.
#   check_install.sh BUILD_DIR WORK
set -euo pipefail
build=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
if [[ -d $work ]]; then chmod -R u+w "$work"; rm -rf "$work"; fi
mkdir -p "$work"
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" > "$work/install.log"

id=net.quillmarch.Quillmarch
for f in bin/quillmarch bin/quillmarch-level share/quillmarch/Config.lullwick share/quillmarch/Shaders/vcolor.glsl \
         share/quillmarch/Assets/Levels/level1.json share/quillmarch/Assets/Icons/quillmarch-64.png \
         share/quillmarch/Assets/Runs/level1.qinput share/quillmarch/Assets/Runs/level3.qinput \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml share/man/man6/quillmarch.6.gz \
         share/doc/quillmarch/copyright share/doc/quillmarch/changelog.gz; do
  [[ -e $prefix/$f ]] || fail "$f was not installed"
done
for size in 16 24 32 48 64 128 256; do
  f=share/icons/hicolor/${size}x${size}/apps/quillmarch.png
  [[ -e $prefix/$f ]] || fail "$f was not installed"
  file "$prefix/$f" | grep -q "$size x $size" || fail "$f is not $size x $size"
done
for tool in quillmarch-solve bench_pathfinding; do
  [[ ! -e $prefix/bin/$tool ]] || fail "the developer tool $tool was installed"
done
[[ $(head -c 2 "$prefix/share/quillmarch/Config.lullwick") == 00 ]] || fail "the shipped configuration is not 00"

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
version=$("$prefix/bin/quillmarch" --version | awk '{print $2}')
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml" \
  || fail "the metainfo has no release $version"
zcat "$prefix/share/man/man6/quillmarch.6.gz" | grep -q "Quillmarch $version" || fail "the manual page is not of $version"

# Relocatable: the tree works from wherever it is moved to.
mv "$prefix" "$work/moved"
chmod -R a-w "$work/moved"
"$here/play_installed.sh" "$work/moved/bin/quillmarch" "$work/player"
chmod -R u+w "$work/moved"

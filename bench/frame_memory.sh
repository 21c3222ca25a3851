#!/bin/sh
# Largest resident size of the game after a short and a long run of each scene, drawn for real on
# SDL's offscreen driver (Mesa), with fixed frame times. A scene whose size keeps growing between
# the two runs is holding memory per frame.
#
#   bench/frame_memory.sh [EXE] [SIZE] [SHORT] [LONG] [SCENES...]
#   defaults: build/release/quillmarch 1280x720 300 3000, scenes 1 (a splash screen), 4 (main
#   menu), 6, 7, 8 (the levels)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-$here/build/release/quillmarch}
size=${2:-1280x720}
short=${3:-300}
long=${4:-3000}
[ $# -ge 4 ] && shift 4 || shift $#
scenes=${*:-1 4 6 7 8}

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
ln -s "$here/build/release/Shaders" "$data/Shaders"
ln -s "$here/build/release/Assets" "$data/Assets"
printf '00' > "$data/Config.lullwick"

peak_kb() {
  XDG_DATA_HOME="$data/user-data" SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy /usr/bin/time -f '%M' -o "$data/time.txt" \
    "$exe" --windowed --size "$size" --frames "$2" --fixed-dt 0.016 --scene "$1" --seed 7 --no-dialogs \
    --data "$data" >/dev/null 2>&1
  cat "$data/time.txt"
}

printf '%-6s %10s %10s %8s\n' scene "MB@$short" "MB@$long" growth
for scene in $scenes; do
  a=$(peak_kb "$scene" "$short")
  b=$(peak_kb "$scene" "$long")
  awk -v s="$scene" -v a="$a" -v b="$b" \
    'BEGIN { printf "%-6s %10.1f %10.1f %7.1f%%\n", s, a / 1024, b / 1024, (b - a) * 100 / a }'
done

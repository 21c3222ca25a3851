#!/bin/bash
# Milliseconds per finished frame of the release game, offscreen at 1280x720 with fixed frame
# times: the splash screens, the main menu, each shipped level, and the last level with the guards'
# vision cones and spotter arrows switched off (their cost is the difference). Builds nothing.
#
# Start-up and shutdown are left out by running each scene twice, for a short and a long number of
# frames, and dividing the difference by the extra frames. The game presents every frame and waits
# for the GPU two frames back, so the long run holds only finished frames. Two figures each:
#   wall_ms  wall-clock per frame (what a player sees; only meaningful on a quiet machine)
#   cpu_ms   processor time (user + system, every thread of the software renderer) per frame,
#            steadier than wall-clock on a shared machine
# Each figure is the smallest of QM_REPEAT pairs of runs.
#
#   bench/frame_times.sh            (needs build/release built: cmake --preset release && cmake
#                                    --build --preset release --target quillmarch)
#   QM_BUILD    another build folder (default build/release)
#   QM_SHORT, QM_LONG   frames of the two runs (default 60 and 360)
#   QM_REPEAT   pairs of runs per scene (default 2)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QM_BUILD:-$here/build/release}
short=${QM_SHORT:-60}
long=${QM_LONG:-360}
repeat=${QM_REPEAT:-2}
game="$build/quillmarch"
[ -x "$game" ] || { echo "no game at $game: build the release preset first" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/qm-frame-times.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The game reads its switches from the player's settings file, in the per-user folder under
# XDG_DATA_HOME: each folder here is one such home.
mkdir -p "$work/cones_on/quillmarch" "$work/cones_off/quillmarch"
printf 'fullscreen = false\nvision_cones = true\nspotter_arrows = true\n' > "$work/cones_on/quillmarch/Settings.lullwick"
printf 'fullscreen = false\nvision_cones = false\nspotter_arrows = false\n' > "$work/cones_off/quillmarch/Settings.lullwick"

# run FOLDER SCENE FRAMES -> "wall user+sys" seconds
run() {
  (cd "$1" && XDG_DATA_HOME="$1" SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy /usr/bin/time -f "%e %U %S" -o "$work/time" \
    "$game" --scene "$2" --frames "$3" --fixed-dt 0.016 --seed 1 --windowed --size 1280x720 --no-dialogs \
    --data "$build" >/dev/null 2>&1) || { echo "scene $2 failed" >&2; exit 1; }
  awk '{ printf "%f %f\n", $1, $2 + $3 }' "$work/time"
}

# scene LABEL SCENE FOLDER
scene() {
  local best_wall="" best_cpu=""
  for _ in $(seq "$repeat"); do
    read -r w1 c1 <<< "$(run "$3" "$2" "$short")"
    read -r w2 c2 <<< "$(run "$3" "$2" "$long")"
    read -r wall cpu <<< "$(awk -v w1="$w1" -v w2="$w2" -v c1="$c1" -v c2="$c2" -v n=$((long - short)) \
      'BEGIN { printf "%f %f\n", (w2 - w1) * 1000 / n, (c2 - c1) * 1000 / n }')"
    best_wall=$(awk -v a="$wall" -v b="${best_wall:-1e9}" 'BEGIN { print (a < b) ? a : b }')
    best_cpu=$(awk -v a="$cpu" -v b="${best_cpu:-1e9}" 'BEGIN { print (a < b) ? a : b }')
  done
  printf '%-28s %6s %9.2f %9.2f\n' "$1" "$2" "$best_wall" "$best_cpu"
}

echo "1280x720 offscreen, frames $short..$long, best of $repeat"
printf '%-28s %6s %9s %9s\n' scene id wall_ms cpu_ms
scene "splash screens" 2 "$work/cones_on"
scene "main menu" 4 "$work/cones_on"
scene "level 1 (alley)" 6 "$work/cones_on"
scene "level 2 (villa)" 7 "$work/cones_on"
scene "level 3 (market)" 8 "$work/cones_on"
scene "level 3, cones and arrows off" 8 "$work/cones_off"

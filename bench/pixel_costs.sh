#!/bin/sh
# Builds and runs bench/gl/pixel_costs.cpp: what each piece of GL state and of the texture program
# costs per pixel on this machine's GL (see the program's header for the scenes and the rows).
#
#   bench/pixel_costs.sh [FRAMES [ROUNDS]]     wall and processor ms per frame (best of ROUNDS)
#   QM_COUNT=1 bench/pixel_costs.sh            instructions per frame under callgrind instead:
#                                              steady on a shared machine, but slow (run few
#                                              rows: QM_ONLY=TEXT keeps rows whose name holds TEXT,
#                                              QM_ONLY==NAME the row named NAME)
# LP_NUM_THREADS=0 keeps the renderer's work on one thread (steadier processor times). Note that
# LP_PERF=no_linear is no switch for the renderer's fast 2-D path: it turns texture filtering to
# nearest, which changes the picture; LP_PERF=no_rast_linear leaves the picture as it is.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/qm-pixel-costs.XXXXXX")
trap 'rm -rf "$work"' EXIT
c++ -O2 -std=c++20 "$here/bench/gl/pixel_costs.cpp" -o "$work/pixel_costs" $(sdl2-config --cflags --libs) -lSDL2_image -lepoxy
if [ "${QM_COUNT:-0}" = 1 ]; then
  (cd "$work" && LP_NUM_THREADS=0 SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen} valgrind --tool=callgrind \
    --callgrind-out-file="$work/cg.%p" ./pixel_costs "$here/Shaders" "$here/Assets/food.png" 1 1 >/dev/null 2>&1)
  printf '%-45s %12s\n' "row | scene" "M instr/frame"
  for f in $(ls "$work"/cg.*.* | sort -t. -k3 -n); do
    name=$(grep -m1 '^desc: Trigger' "$f" | sed 's/^desc: Trigger: Client Request: //')
    total=$(grep -m1 -E '^(totals|summary):' "$f" | awk '{print $2}')
    awk -v n="$name" -v t="$total" 'BEGIN { printf "%-45s %12.1f\n", n, t / 1e6 }'
  done
else
  SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen} "$work/pixel_costs" "$here/Shaders" "$here/Assets/food.png" "${1:-10}" "${2:-3}"
fi

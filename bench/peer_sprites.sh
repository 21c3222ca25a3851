#!/bin/sh
# Side by side on one machine, one window size (1280x720), the same N alpha-blended, linearly
# filtered sprites at two sizes: 20 x 20 unrotated (the cost is per draw) and 43 x 116 turned (the
# cost is filling pixels); our renderer (bench_sprites' BM_PeerSprites, offscreen), SFML 2.5 (one
# draw() per sprite, under xvfb-run) and SDL2's own renderer (SDL_RenderCopyEx on its OpenGL back
# end, under xvfb-run). Every frame is finished (glFinish or a one-pixel read-back) before the next.
# The peers are benchmark-only: they are built here, never linked into the game.
#
# All three draw every sprite at its picture's own size, as a 2-D game does: each row has its own
# picture, food.png resized to 20 x 20 or 43 x 116 (bench/sprites/, written by
# tools/gen_bench_sprites.py), and all N sprites of a row come from that one texture. Shrinking one
# bigger picture instead would not compare the same work: we would blend mipmap levels (dearer per
# pixel, and a smoother picture) where the peers, which have none, would draw an aliased one.
#
#   bench/peer_sprites.sh [N...]      (default 500 2000 8000 32000; needs build/release built;
#   QM_BUILD picks another build folder, QM_PEER_FRAMES the frames each peer times, 60,
#   QM_PEER_ROUNDS the rounds, 3)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QM_BUILD:-$here/build/release}
counts=${*:-500 2000 8000 32000}
work=$(mktemp -d "${TMPDIR:-/tmp}/qm-peer-sprites.XXXXXX")
trap 'rm -rf "$work"' EXIT

need=""
dpkg -s libsfml-dev >/dev/null 2>&1 || need="$need libsfml-dev"
command -v xvfb-run >/dev/null 2>&1 || need="$need xvfb xauth"
if [ -n "$need" ]; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $need >/dev/null
fi

c++ -O2 -std=c++17 "$here/bench/peers/sfml_sprites.cpp" -o "$work/sfml_sprites" \
  -lsfml-graphics -lsfml-window -lsfml-system -lGL
c++ -O2 -std=c++17 "$here/bench/peers/sdl_sprites.cpp" -o "$work/sdl_sprites" \
  $(sdl2-config --cflags --libs) -lSDL2_image

small="$here/bench/sprites/food_20x20.png"
big="$here/bench/sprites/food_43x116.png"

# QM_PEER_ROUNDS rounds (default 3), each running ours, SFML and SDL in turn; each figure in the
# table is the best of its rounds, so a busy moment on a shared machine does not pick the winner.
filter=$(echo "$counts" | sed 's/ /|/g')
for _ in $(seq "${QM_PEER_ROUNDS:-3}"); do
  # Ours: Google Benchmark's CSV, one line per (N, size).
  (cd "$build" && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ./bench/bench_sprites \
    --benchmark_filter="BM_PeerSprites/sprites:($filter)/" --benchmark_format=csv 2>/dev/null) |
    awk -F, '/^name,/ { for (i = 1; i <= NF; ++i) { gsub(/"/, "", $i); column[$i] = i } }
             /BM_PeerSprites/ { gsub(/"/, "", $1); split($1, p, "[:/]"); size = (p[5] == 1) ? "43x116" : "20x20";
             print size, p[3], $3, $column["objects_ms"] + $column["send_ms"], $column["pixels_ms"] }' >> "$work/ours.txt"
  xvfb-run -a -s "-screen 0 1280x720x24" "$work/sfml_sprites" "$small" "$big" $counts >> "$work/sfml.txt"
  xvfb-run -a -s "-screen 0 1280x720x24" "$work/sdl_sprites" "$small" "$big" $counts >> "$work/sdl.txt"
done
best() { awk -v s="$1" -v n="$2" '$1 == s && $2 == n && (b == "" || $3 < b) { b = $3 } END { print b }' "$3"; }

printf '%-7s %6s %10s %10s %10s %10s %10s\n' size N ours_ms sfml_ms sdl_ms sfml/ours sdl/ours
for size in 20x20 43x116; do
  for n in $counts; do
    o=$(best $size $n "$work/ours.txt")
    f=$(best $size $n "$work/sfml.txt")
    d=$(best $size $n "$work/sdl.txt")
    awk -v s=$size -v n=$n -v o="${o:-0}" -v f="${f:-0}" -v d="${d:-0}" 'BEGIN {
      printf "%-7s %6d %10.2f %10.2f %10.2f %10.2f %10.2f\n", s, n, o, f, d, (o > 0 ? f / o : 0), (o > 0 ? d / o : 0) }'
  done
done

# Where the frames went (from each side's best round): the submitting thread's part (ours: the
# object pass and the send, which holds the software renderer's vertex stage and binning; SFML's:
# its draw() calls) and the wait for the renderer's threads to fill the pixels. No side's frame is
# shorter than its pixels' part: both fill the same sprites (ours with the nearest texel where that
# gives the same picture, SFML with linear filtering).
split() { awk -v s="$1" -v n="$2" '$1 == s && $2 == n && NF >= 5 && (b == "" || $3 < b) { b = $3; f = $4 " " $5 }
                                    END { print (f == "" ? "0 0" : f) }' "$3"; }
printf '\n%-7s %6s %13s %13s %13s %13s\n' size N ours_submit ours_pixels sfml_submit sfml_pixels
for size in 20x20 43x116; do
  for n in $counts; do
    printf '%-7s %6d %13.2f %13.2f %13.2f %13.2f\n' $size $n $(split $size $n "$work/ours.txt") \
      $(split $size $n "$work/sfml.txt")
  done
done

#!/bin/bash
# A long fuzz session: runs each libFuzzer target of the debug-asan build in turn, one worker at a
# time (one core), on a working copy of its seed corpus that grows in the build folder.
#
#   nice -n 10 tools/fuzz_long.sh [SECONDS_PER_TARGET] [TARGET...]     # default 720 s, all targets
#
# Crashes, timeouts and out-of-memory inputs do not stop a target (-fork=1 -ignore_*): they land in
# build/debug-asan/fuzz-long/artifacts/<target>/ and the session goes on. summary.txt gets a line
# per target; <target>.log holds libFuzzer's progress lines (the last "#N: cov: ... ft: ... corp:"
# line gives the executions, coverage and corpus size).
set -u
cd "$(dirname "$0")/../build/debug-asan" || exit 1
seconds=${1:-720}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(attributes bank input level tga tga_file png_file)
mkdir -p fuzz-long/bin
# The session runs copies of the targets, so a rebuild while it runs (libFuzzer starts a new child
# process for every job) never swaps the program under it.
for t in "${targets[@]}"; do cp tests/fuzz_"$t" fuzz-long/bin/ || exit 1; done
for t in "${targets[@]}"; do
  corpus=fuzz-long/corpus/$t
  artifacts=fuzz-long/artifacts/$t/
  mkdir -p "$corpus" "$artifacts"
  cp -n ../../tests/fuzz/corpus/"$t"/* "$corpus"/ 2>/dev/null
  echo "$t start $(date +%FT%T) corpus $(ls "$corpus" | wc -l)" >> fuzz-long/summary.txt
  start=$(date +%s)
  # The malloc limit is the suite's: no reader may ask for more than the input can back.
  ./fuzz-long/bin/fuzz_"$t" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -malloc_limit_mb=256 \
    -artifact_prefix="$artifacts" "$corpus" > fuzz-long/"$t".log 2>&1
  rc=$?
  echo "$t end $(date +%FT%T) rc $rc seconds $(( $(date +%s) - start )) corpus $(ls "$corpus" | wc -l)" \
       "findings $(ls "$artifacts" | wc -l)" >> fuzz-long/summary.txt
  grep '^#[0-9]*: cov:' fuzz-long/"$t".log | tail -1 >> fuzz-long/summary.txt
done

#!/usr/bin/env bash
# Builds the mesh-loader fuzz target with clang (libFuzzer, address and
# undefined-behaviour sanitizers) into build-fuzz/ and runs it for a bounded
# time: scripts/fuzz.sh [seconds]  (default 120). New inputs collect in
# build-fuzz/corpus; the seeds (tests/fuzz/seeds) and every input that ever
# failed (tests/fuzz/regressions) are read, never written. Fails on a crash,
# a sanitizer report, a leak, a failed check or an input slower than 20 s;
# the input is then in build-fuzz/artifacts: add it to tests/fuzz/regressions
# (the unit test LoadCase runs it) and fix the fault.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLOWSKIN_FUZZ=ON \
  -DFLOWSKIN_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target mesh_load_fuzz >/dev/null
mkdir -p build-fuzz/corpus build-fuzz/artifacts
export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
status=0
./build-fuzz/tests/fuzz/mesh_load_fuzz build-fuzz/corpus tests/fuzz/seeds tests/fuzz/regressions \
  -dict=tests/fuzz/ply.dict -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=4096 \
  -print_final_stats=1 -artifact_prefix=build-fuzz/artifacts/ >build-fuzz/fuzz.log 2>&1 </dev/null || status=$?
grep -E "INITED|DONE|stat::number_of_executed_units|stat::peak_rss_mb" build-fuzz/fuzz.log || true
if [ "$status" -ne 0 ]; then
  tail -n 80 build-fuzz/fuzz.log
  echo "fuzz run failed (exit $status); inputs kept in build-fuzz/artifacts:"
  ls -l build-fuzz/artifacts
  exit 1
fi
echo "fuzz run: 0 failures"

#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, address and undefined-
# behaviour sanitizers) into build-fuzz/ and runs each for a bounded time:
#   scripts/fuzz.sh [seconds]  (default 120: the mesh loader for that long,
#                               the picture check of "Load image..." for a quarter of it,
#                               the import path (worker and all) for half of it)
# New inputs collect in build-fuzz/corpus-<target>; the seeds and every input
# that ever failed (tests/fuzz/regressions, bitmap_regressions, vtk_regressions,
# vtk_collection_regressions)
# are read, never written. Fails on a crash, a sanitizer report, a leak, a
# failed check or an input slower than 20 s; the input is then in
# build-fuzz/artifacts: add it to the target's regressions folder (the unit
# tests LoadCase, BitmapCase and VtkCase run them) and fix the fault.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLOWSKIN_FUZZ=ON \
  -DFLOWSKIN_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target mesh_load_fuzz bitmap_check_fuzz mesh_import_fuzz >/dev/null
# The simulation-file readers, legacy and XML, and the files that name others
# (multiblock, piece, partition, time collection and series files), an eighth
# of the time each.
cmake --build build-fuzz -j "$(nproc)" --target vtk_legacy_fuzz vtk_xml_fuzz vtk_collection_fuzz >/dev/null
mkdir -p build-fuzz/artifacts
export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer

# run_target NAME SECONDS MAX_LEN INPUT-FOLDERS... [-- EXTRA FLAGS]
run_target() {
  local name=$1 secs=$2 max_len=$3
  shift 3
  local folders=() extra=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do folders+=("$1"); shift; done
  [ $# -gt 0 ] && shift && extra=("$@")
  mkdir -p "build-fuzz/corpus-$name"
  local status=0
  "./build-fuzz/tests/fuzz/$name" "build-fuzz/corpus-$name" "${folders[@]}" "${extra[@]}" -max_total_time="$secs" \
    -timeout=20 -rss_limit_mb=2048 -max_len="$max_len" -print_final_stats=1 -artifact_prefix=build-fuzz/artifacts/ \
    >"build-fuzz/$name.log" 2>&1 </dev/null || status=$?
  echo "-- $name"
  grep -E "INITED|DONE|stat::number_of_executed_units|stat::peak_rss_mb" "build-fuzz/$name.log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 80 "build-fuzz/$name.log"
    echo "fuzz run of $name failed (exit $status); inputs kept in build-fuzz/artifacts:"
    ls -l build-fuzz/artifacts
    exit 1
  fi
}

run_target mesh_load_fuzz "$seconds" 4096 tests/fuzz/seeds tests/fuzz/regressions -- -dict=tests/fuzz/ply.dict
run_target bitmap_check_fuzz "$((seconds / 4))" 65536 tests/fuzz/bitmap_seeds tests/fuzz/bitmap_regressions
run_target vtk_legacy_fuzz "$((seconds / 8))" 8192 tests/fuzz/vtk_seeds/legacy tests/fuzz/vtk_regressions
run_target vtk_xml_fuzz "$((seconds / 8))" 16384 tests/fuzz/vtk_seeds/xml tests/fuzz/vtk_regressions
run_target vtk_collection_fuzz "$((seconds / 8))" 4096 tests/fuzz/vtk_seeds/collection \
  tests/fuzz/vtk_collection_regressions
# The import path: faults of the library end in the worker and pass; the first
# few such inputs are kept in build-fuzz/import-findings (copy new kinds into
# tests/fuzz/import_regressions, where the unit test ImportCase runs them).
mkdir -p build-fuzz/import-findings
FLOWSKIN_IMPORT_FINDINGS=build-fuzz/import-findings \
  run_target mesh_import_fuzz "$((seconds / 2))" 8192 tests/fuzz/import_seeds tests/fuzz/import_regressions
echo "import path: $(ls build-fuzz/import-findings | wc -l) inputs ended in the worker's failure (kept)"
echo "fuzz run: 0 failures"

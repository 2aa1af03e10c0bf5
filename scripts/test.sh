#!/usr/bin/env bash
# Installs, builds and runs every test, four times over:
#   1. the optimised build (build/, the one the benchmarks use),
#   2. the whole suite again built with the address and undefined-behaviour
#      sanitizers (build-sanitize/): unit, GL and GUI tests alike, then five
#      minutes of random user actions on the window (soak_window, seed
#      $SOAK_SEED or 1),
#   3. the unit and GL tests and short runs of the threaded benchmarks again
#      built with the thread sanitizer (build-tsan/): a data race fails the run,
#   4. the fuzz targets (scripts/fuzz.sh): the mesh loader for two minutes, the
#      picture check and the import path for part of that.
# GL and GUI tests need an X display: when none is set, a private Xvfb is
# started for the run and stopped afterwards. Arguments go to every ctest run
# (for example -L unit).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
bash scripts/check-layers.sh

xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    # -noreset: without it the server resets whenever its last client leaves, and a
    # test process connecting during that moment fails to open the display.
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    break
  done
  for _ in $(seq 1 50); do
    xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break
    sleep 0.1
  done
fi
export QT_QPA_PLATFORM=xcb
export LIBGL_ALWAYS_SOFTWARE=1

echo "== optimised build"
(cd build && ctest --output-on-failure -j 2 "$@" </dev/null)

echo "== sanitizer build (address, undefined behaviour, leaks)"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DFLOWSKIN_SANITIZE=ON -DFLOWSKIN_BUILD_BENCH=OFF >/dev/null
cmake --build build-sanitize -j "$(nproc)"
export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
(cd build-sanitize && ctest --output-on-failure -j 2 "$@" </dev/null)

echo "== window soak (sanitizer build, 300 s of random user actions)"
(cd build-sanitize && ./tests/soak_window --seconds 300 --seed "${SOAK_SEED:-1}" </dev/null)

echo "== thread-sanitizer build (data races): unit and GL tests, short runs of the threaded benchmarks"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLOWSKIN_TSAN=ON >/dev/null
cmake --build build-tsan -j "$(nproc)"
(cd build-tsan && ctest --output-on-failure -j 2 -L 'unit|gl' "$@" </dev/null)
build-tsan/bench/mesh_load_bench 200 100 >/dev/null
build-tsan/bench/flow_synth_bench 20000 2 10 >/dev/null
build-tsan/bench/source_drag_glbench 3 20000 >/dev/null

echo "== fuzz run"
bash scripts/fuzz.sh 120

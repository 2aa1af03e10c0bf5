#!/usr/bin/env bash
# Installs, builds and runs every test. GL and GUI tests need an X display: when
# none is set, a private Xvfb is started for the run and stopped afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
bash scripts/check-layers.sh

# First the plain-C++ tests, built with the address and undefined-behaviour
# sanitizers (the GL and GUI binaries are left out: Mesa and X are not ours).
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DFLOWSKIN_SANITIZE=ON -DFLOWSKIN_BUILD_BENCH=OFF >/dev/null
built=()
for d in tests/*/; do
  d=$(basename "$d")
  ls "tests/$d"/*_test.cpp >/dev/null 2>&1 && built+=("unit_$d")
done
cmake --build build-sanitize -j "$(nproc)" --target "${built[@]}"
(cd build-sanitize && UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j 2 -L unit </dev/null)

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
cd build
ctest --output-on-failure -j 2 "$@" </dev/null


#!/usr/bin/env bash
# Installs what is missing, builds the program alone (not the tests or the
# benchmarks: scripts/test.sh and scripts/build.sh build those) and opens
# Flowskin on a mesh (default: the bundled sphere).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target flowskin
exec ./build/flowskin "${1:-examples/sphere.ply}"

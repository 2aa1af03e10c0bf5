#!/usr/bin/env bash
# Installs, builds and opens Flowskin on a mesh (default: the bundled sphere).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
exec ./build/flowskin "${1:-examples/sphere.ply}"

#!/usr/bin/env bash
# The core (mesh, flow, data, colour conversion, CPU half of advection) is
# plain C++: no GL, no GLU, no Qt. This keeps it so.
set -euo pipefail
cd "$(dirname "$0")/.."
core_files=$(find src/colorconversion src/flowskinmain/mesh src/flowskinmain/flow src/flowskinmain/data \
  src/flowskinmain/advection -name '*.cpp' -o -name '*.h' | grep -v '_gl\.\(cpp\|h\)$' || true)
core_files+=" $(find src/flowskinmain -maxdepth 1 -name '*.h') $(find src/flowskinmain -name '*_math.cpp' -o -name '*_math.h')"
bad=$(grep -nE '\bgl[A-Z][A-Za-z0-9]*\(|\bglu[A-Z]|#include *<(Q[A-Za-z]*|GL/)' $core_files || true)
if [ -n "$bad" ]; then
  echo "GL or Qt used in core code:"; echo "$bad"; exit 1
fi

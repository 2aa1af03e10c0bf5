#!/usr/bin/env bash
# The core (mesh, formats, loading, flow, data, colour conversion, CPU half of
# advection, and the plain *_math files of render and interaction) is
# plain C++: no GL, no GLU, no Qt. This keeps it so.
set -euo pipefail
cd "$(dirname "$0")/.."
core_files=$(find src/colorconversion src/flowskinmain/mesh src/flowskinmain/formats src/flowskinmain/loading \
  src/flowskinmain/flow src/flowskinmain/data src/flowskinmain/advection -name '*.cpp' -o -name '*.h' | grep -v '_gl\.\(cpp\|h\)$' || true)
core_files+=" $(find src/flowskinmain -maxdepth 1 -name '*.h') $(find src/flowskinmain -name '*_math.cpp' -o -name '*_math.h')"
bad=$(grep -nE '\bgl[A-Z][A-Za-z0-9]*\(|\bglu[A-Z]|#include *<(Q[A-Za-z]*|GL/)' $core_files || true)
if [ -n "$bad" ]; then
  echo "GL or Qt used in core code:"; echo "$bad"; exit 1
fi

# Rooms of src/flowskinmain and the rooms each may include (besides itself and
# the shared app_state.h / view_record.h): the graph has no cycle, and no core
# room reaches the shell. src/flowskinmain/README.md says what each room holds.
declare -A may_use=(
  [mesh]=""
  [formats]="mesh"
  [loading]="mesh formats flow data"
  [flow]="mesh"
  [data]="mesh flow colorconversion"
  [advection]="mesh colorconversion"
  [render]="mesh flow advection colorconversion"
  [output]="advection"
  [window]="mesh formats loading flow data advection render output glpanel colorconversion"
  [interaction]="mesh flow window glpanel"
  [batch]="mesh formats loading flow advection render output window glpanel colorconversion"
)
status=0
for dir in src/flowskinmain/*/; do
  room=$(basename "$dir")
  if [ -z "${may_use[$room]+set}" ]; then
    echo "room $room is not listed in scripts/check-layers.sh"; status=1; continue
  fi
  while IFS= read -r line; do
    used=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"${line#*:*:}")
    [ "$used" = "$room" ] && continue
    case " ${may_use[$room]} " in *" $used "*) ;; *) echo "$room may not include $used: $line"; status=1 ;; esac
  done < <(grep -rnE '#include "[a-z_]+/' "$dir" || true)
done
exit $status

#!/bin/bash
# Re-makes the OpenFOAM files of the format corpus (tests/formats/corpus/foam/).
#
# The case (foam/case/: system/, constant/, 0/) is a wind box with three
# blocks standing on a ground plane. It is meshed with blockMesh, the blocks
# are cut out with topoSet + subsetMesh, the cells around the front blocks are
# split with refineHexMesh (their neighbours become polyhedra), then simpleFoam
# runs and wallShearStress is computed for every written time. foamToVTK
# writes three exports, copied as they are:
#   foam/VTK/     default export: internal mesh and all patches, every time
#   foam/walls/   wall patches only (ground, obstacle1-3), latest time
#   foam/legacy/  the same wall patches in legacy .vtk format
# make_refs.py then writes the .ref files beside them.
#
# Needs Debian's openfoam package (OpenFOAM 1912) and python3-vtk9.
# Usage: tests/formats/corpus/make_foam.sh [work-dir]
#   work-dir is kept for inspection when given, else a temporary one is used.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
out="$here/foam"
python=/usr/bin/python3

# The Debian build finds its etc/ files through WM_PROJECT_DIR; sourcing
# etc/bashrc works too but complains about helper scripts Debian leaves out.
export WM_PROJECT_DIR=/usr/share/openfoam
export FOAM_SIGFPE=true

if [ $# -ge 1 ]; then
    work="$1"
    mkdir -p "$work"
else
    work="$(mktemp -d)"
    trap 'rm -rf "$work"' EXIT
fi
# The case folder's name is the stem of foamToVTK's file names.
case="$work/blocks"
rm -rf "$case"
mkdir -p "$case"
cp -r "$out/case/system" "$out/case/constant" "$case/"
cd "$case"

run() {
    local log="log.$1"
    [ -e "$log" ] && log="$log.$(ls log.$1* | wc -l)"
    echo "== $*"
    nice -n 10 "$@" > "$log" 2>&1 || { tail -30 "$log"; exit 1; }
}

# Mesh
run blockMesh
for i in 1 2 3; do
    run topoSet -dict system/topoSetDict.obstacle$i
    run subsetMesh -overwrite -patch obstacle$i fluid
done
run topoSet -dict system/topoSetDict.refine
run refineHexMesh -overwrite near
rm -rf constant/polyMesh/sets
run checkMesh

# Flow
cp -r "$out/case/0" 0
run simpleFoam
run simpleFoam -postProcess -func wallShearStress

# Exports
walls='(ground "obstacle.*")'
run foamToVTK
run foamToVTK -name walls -latestTime -no-internal -patches "$walls"
run foamToVTK -name legacy -legacy -latestTime -no-internal -patches "$walls"

# Copy into the corpus, replacing the previous exports
for d in VTK walls legacy; do
    rm -rf "${out:?}/$d"
    cp -r "$d" "$out/$d"
done

nice -n 10 "$python" "$out/make_refs.py" "$out"
echo "done: $(du -sh "$out" | cut -f1) in $out"

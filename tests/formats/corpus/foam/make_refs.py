#!/usr/bin/python3
"""Writes the .ref files beside the OpenFOAM exports of the format corpus.

Run by ../make_foam.sh after foamToVTK; may be run again on its own:
    /usr/bin/python3 tests/formats/corpus/foam/make_refs.py [foam-dir]

Every value comes from the files as VTK's own readers see them (python3-vtk9).
A .ref holds, one per line:
    writer ..., settings ...
    points N                  points of all pieces taken
    bounds xmin xmax ymin ymax zmin zmax
    area A                    surface filter -> triangle filter -> mass properties
    point_array NAME C s_0 .. per-component sums over the N points
    cell_array NAME C min_0 max_0 ..   over the cells making the surface
    times t_0 t_1 ..          .series only
A multiblock holding both volume and surface pieces is taken as its surface
pieces only; a .series is taken as its first step.
"""

import glob
import json
import math
import os
import sys

import numpy as np
import vtk
from vtk.util.numpy_support import vtk_to_numpy

WRITER = "OpenFOAM 1912 foamToVTK"
SETTINGS = {
    "VTK": "default export, internal mesh and all patches",
    "walls": "wall patches only (-no-internal -patches '(ground \"obstacle.*\")'), latest time",
    "legacy": "legacy format (-legacy), wall patches only (-no-internal -patches '(ground \"obstacle.*\")'), latest time",
}

NUMERIC = {
    vtk.VTK_FLOAT, vtk.VTK_DOUBLE, vtk.VTK_CHAR, vtk.VTK_SIGNED_CHAR,
    vtk.VTK_UNSIGNED_CHAR, vtk.VTK_SHORT, vtk.VTK_UNSIGNED_SHORT, vtk.VTK_INT,
    vtk.VTK_UNSIGNED_INT, vtk.VTK_LONG, vtk.VTK_UNSIGNED_LONG,
    vtk.VTK_LONG_LONG, vtk.VTK_UNSIGNED_LONG_LONG, vtk.VTK_ID_TYPE,
}


def g(x):
    return "%.17g" % x


def read(path):
    """The dataset or multiblock a file holds, read by VTK."""
    ext = os.path.splitext(path)[1]
    reader = {
        ".vtm": vtk.vtkXMLMultiBlockDataReader,
        ".vtp": vtk.vtkXMLPolyDataReader,
        ".vtu": vtk.vtkXMLUnstructuredGridReader,
        ".vtk": vtk.vtkDataSetReader,
    }[ext]()
    reader.SetFileName(path)
    if ext == ".vtk":
        reader.ReadAllScalarsOn()
        reader.ReadAllVectorsOn()
        reader.ReadAllFieldsOn()
    reader.Update()
    return reader.GetOutput()


def leaves(obj):
    if not obj.IsA("vtkCompositeDataSet"):
        return [obj]
    out = []
    it = obj.NewIterator()
    it.SkipEmptyNodesOn()
    it.InitTraversal()
    while not it.IsDoneWithTraversal():
        out.append(it.GetCurrentDataObject())
        it.GoToNextItem()
    return out


def max_cell_dimension(ds):
    types = vtk.vtkCellTypes()
    ds.GetCellTypes(types)
    cell = vtk.vtkGenericCell()
    dims = [-1]
    for i in range(types.GetNumberOfTypes()):
        cell.SetCellType(types.GetCellType(i))
        dims.append(cell.GetCellDimension())
    return max(dims)


def taken_pieces(obj):
    pieces = leaves(obj)
    dims = [max_cell_dimension(p) for p in pieces]
    if 3 in dims and any(d < 3 for d in dims):
        pieces = [p for p, d in zip(pieces, dims) if d < 3]
    return pieces


def surface(ds):
    f = vtk.vtkDataSetSurfaceFilter()
    f.SetInputData(ds)
    f.Update()
    return f.GetOutput()


def area(surf):
    t = vtk.vtkTriangleFilter()
    t.SetInputData(surf)
    m = vtk.vtkMassProperties()
    m.SetInputConnection(t.GetOutputPort())
    m.Update()
    return m.GetSurfaceArea()


def arrays(data):
    """(name, components, values as float64 N x C) for the listable arrays."""
    out = []
    for i in range(data.GetNumberOfArrays()):
        a = data.GetAbstractArray(i)
        if (a is None or not a.IsA("vtkDataArray")
                or a.GetDataType() not in NUMERIC):
            continue
        c = a.GetNumberOfComponents()
        if not 1 <= c <= 9:
            continue
        v = vtk_to_numpy(a).astype(np.float64).reshape(-1, c)
        out.append((a.GetName(), c, v))
    return out


def common(per_piece):
    """Arrays present with the same component count in every piece, in the
    first piece's order, with their values stacked over the pieces."""
    first = per_piece[0]
    out = []
    for name, c, _ in first:
        found = [[v for n, cc, v in piece if n == name and cc == c]
                 for piece in per_piece]
        if all(len(f) == 1 for f in found):
            out.append((name, c, np.vstack([f[0] for f in found])))
    return out


def facts(obj):
    pieces = taken_pieces(obj)
    n = sum(p.GetNumberOfPoints() for p in pieces)
    pts = np.vstack([vtk_to_numpy(p.GetPoints().GetData()).astype(np.float64)
                     for p in pieces if p.GetNumberOfPoints() > 0])
    bounds = []
    for k in range(3):
        bounds += [pts[:, k].min(), pts[:, k].max()]
    surfs = [surface(p) for p in pieces]
    a = math.fsum(area(s) for s in surfs)
    lines = ["points %d" % n,
             "bounds " + " ".join(g(b) for b in bounds),
             "area " + g(a)]
    for name, c, v in common([arrays(p.GetPointData()) for p in pieces]):
        sums = [math.fsum(v[:, k]) for k in range(c)]
        lines.append("point_array %s %d %s" % (name, c, " ".join(g(s) for s in sums)))
    for name, c, v in common([arrays(s.GetCellData()) for s in surfs]):
        mm = []
        for k in range(c):
            mm += [v[:, k].min(), v[:, k].max()]
        lines.append("cell_array %s %d %s" % (name, c, " ".join(g(x) for x in mm)))
    return lines, pieces, surfs


def notes(pieces):
    """Comment lines counting the cells of a volume piece by VTK type."""
    out = []
    for p in pieces:
        if max_cell_dimension(p) != 3:
            continue
        types = vtk_to_numpy(p.GetCellTypesArray())
        counts = ", ".join("%s (%d) %d" % (vtk.vtkCellTypes.GetClassNameFromTypeId(int(t)), t,
                                           int((types == t).sum()))
                           for t in sorted(set(types.tolist())))
        out.append("# cells %d: %s" % (p.GetNumberOfCells(), counts))
    return out


def write_ref(path, root, extra=None, source=None):
    rel = os.path.relpath(path, root)
    settings = SETTINGS[rel.split(os.sep)[0]]
    lines, pieces, surfs = facts(read(source or path))
    text = ["# made by make_refs.py"] + notes(pieces) + [
        "writer " + WRITER,
        "settings " + settings] + lines + (extra or [])
    with open(path + ".ref", "w") as f:
        f.write("\n".join(text) + "\n")
    return pieces, surfs


def write_series_ref(path, root):
    with open(path) as f:
        series = json.load(f)
    steps = sorted(series["files"], key=lambda s: float(s["time"]))
    first = os.path.join(os.path.dirname(path), steps[0]["name"])
    times = "times " + " ".join(g(float(s["time"])) for s in steps)
    write_ref(path, root, extra=[times], source=first)


def check_internal(vtu, root):
    """The internal mesh must hold polyhedra, and its outer faces must be the
    patches: same face count, same area. Guards the polyhedra's face streams."""
    grid = read(vtu)
    polyhedra = int((vtk_to_numpy(grid.GetCellTypesArray()) == vtk.VTK_POLYHEDRON).sum())
    surf = surface(grid)
    step = os.path.dirname(vtu)
    patches = [read(p) for p in sorted(glob.glob(os.path.join(step, "boundary", "*.vtp")))]
    faces = sum(p.GetNumberOfCells() for p in patches)
    patch_area = math.fsum(area(p) for p in patches)
    a = area(surf)
    ok = (polyhedra > 0 and surf.GetNumberOfCells() == faces
          and abs(a - patch_area) <= 1e-9 * patch_area)
    print("  %s: %d polyhedra, %d outer faces, area %s; patches %d faces, area %s%s"
          % (os.path.relpath(vtu, root), polyhedra, surf.GetNumberOfCells(), g(a),
             faces, g(patch_area), "" if ok else "  MISMATCH"))
    return ok


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(__file__))
    for old in glob.glob(os.path.join(root, "*", "**", "*.ref"), recursive=True):
        os.remove(old)
    files = []
    for sub in ("VTK", "walls", "legacy"):
        top = os.path.join(root, sub)
        for dirpath, _, names in os.walk(top):
            for name in sorted(names):
                if name.endswith((".vtm", ".vtm.series", ".vtp", ".vtu", ".vtk")):
                    files.append(os.path.join(dirpath, name))
    files.sort()
    ok = True
    for path in files:
        if path.endswith(".series"):
            write_series_ref(path, root)
        else:
            write_ref(path, root)
        if path.endswith("internal.vtu"):
            ok = check_internal(path, root) and ok
    print("wrote %d .ref files under %s" % (len(files), root))
    if not ok:
        sys.exit("internal mesh: no polyhedra, or its surface does not match the patches")


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""Writes tests/formats/corpus/meshio/: the corpus data sets written by meshio,
an implementation of the VTK formats apart from VTK's own (legacy .vtk 4.2 and
5.1, ascii and binary; .vtu ascii and binary with no, zlib or lzma
compression), each with its .ref file.

The facts are computed from the meshio mesh as written (turned into a VTK data
set cell by cell) and checked again by reading each file back with VTK.

Run with Debian's python3 (python3-meshio, python3-vtk9):
/usr/bin/python3 make_meshio.py
"""

import os
import sys
import tempfile
import warnings

import meshio
import numpy as np
import vtk
from vtkmodules.util import numpy_support as ns

sys.dont_write_bytecode = True   # no __pycache__ beside the corpus
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import corpus_reference as cr  # noqa: E402

SCRIPT = "make_meshio.py"
WRITER = "meshio %s" % meshio.__version__

TO_MESHIO = {vtk.VTK_VERTEX: "vertex", vtk.VTK_LINE: "line", vtk.VTK_TRIANGLE: "triangle",
             vtk.VTK_POLYGON: "polygon", vtk.VTK_PIXEL: "pixel", vtk.VTK_QUAD: "quad",
             vtk.VTK_TETRA: "tetra", vtk.VTK_HEXAHEDRON: "hexahedron", vtk.VTK_WEDGE: "wedge",
             vtk.VTK_PYRAMID: "pyramid"}
FROM_MESHIO = {v: k for k, v in TO_MESHIO.items()}
# meshio orders a wedge's corners as gmsh does; the permutation is its own inverse
WEDGE = [0, 2, 1, 3, 5, 4]
VOXEL_AS_HEX = [0, 1, 3, 2, 4, 5, 7, 6]
PIXEL_AS_QUAD = [0, 1, 3, 2]


def cell_faces(ds, c):
    cell = ds.GetCell(c)
    faces = []
    for k in range(cell.GetNumberOfFaces()):
        f = cell.GetFace(k).GetPointIds()
        faces.append(np.array([f.GetId(i) for i in range(f.GetNumberOfIds())]))
    return faces


def to_meshio(ds, all_polyhedra=False, points_dtype=np.float64):
    """The meshio mesh of a VTK data set: runs of cells of one kind make a
    block. Voxels become hexahedra and pixels quads (meshio's meshes hold
    neither); with `all_polyhedra`
    every 3-D cell becomes a polyhedron (meshio writes no polyhedra beside
    other cells)."""
    blocks = []     # [meshio type, [cell data], [VTK cell ids]]
    ids = vtk.vtkIdList()
    for c in range(ds.GetNumberOfCells()):
        t = ds.GetCellType(c)
        ds.GetCellPoints(c, ids)
        pts = [ids.GetId(k) for k in range(ids.GetNumberOfIds())]
        if t == vtk.VTK_POLYHEDRON or (all_polyhedra and ds.GetCell(c).GetCellDimension() == 3):
            kind, data = "polyhedron%d" % len(pts), cell_faces(ds, c)
        elif t == vtk.VTK_VOXEL:
            kind, data = "hexahedron", [pts[i] for i in VOXEL_AS_HEX]
        elif t == vtk.VTK_PIXEL:
            kind, data = "quad", [pts[i] for i in PIXEL_AS_QUAD]
        elif t == vtk.VTK_WEDGE:
            kind, data = "wedge", [pts[i] for i in WEDGE]
        elif t == vtk.VTK_POLYGON:
            kind, data = "polygon", pts
        else:
            kind, data = TO_MESHIO[t], pts
        width = None if kind.startswith("polyhedron") else len(data)
        if not blocks or blocks[-1][0] != kind or blocks[-1][3] != width:
            blocks.append([kind, [], [], width])
        blocks[-1][1].append(data)
        blocks[-1][2].append(c)
    cells = []
    for kind, data, _, _ in blocks:
        cells.append((kind, data if kind.startswith("polyhedron") else np.array(data, dtype=np.int64)))
    point_data = {}
    pd = ds.GetPointData()
    for k in range(pd.GetNumberOfArrays()):
        a = pd.GetArray(k)
        if a is not None:
            point_data[a.GetName()] = ns.vtk_to_numpy(a).copy()
    cell_data = {}
    cd = ds.GetCellData()
    for k in range(cd.GetNumberOfArrays()):
        a = cd.GetArray(k)
        if a is None:
            continue
        v = ns.vtk_to_numpy(a)
        cell_data[a.GetName()] = [v[np.array(cids)].copy() for _, _, cids, _ in blocks]
    points = cr.point_xyz(ds).astype(points_dtype)
    return meshio.Mesh(points, cells, point_data=point_data, cell_data=cell_data)


def from_meshio(mesh):
    """The VTK data set of a meshio mesh, block by block, as meshio writes it."""
    ug = vtk.vtkUnstructuredGrid()
    pts = vtk.vtkPoints()
    pts.SetDataTypeToDouble()
    for p in np.asarray(mesh.points, dtype=np.float64).tolist():
        pts.InsertNextPoint(p)
    ug.SetPoints(pts)
    for block in mesh.cells:
        for cell in block.data:
            if block.type.startswith("polyhedron"):
                stream = [len(cell)]
                for f in cell:
                    stream += [len(f)] + [int(i) for i in f]
                lst = vtk.vtkIdList()
                for i in stream:
                    lst.InsertNextId(i)
                ug.InsertNextCell(vtk.VTK_POLYHEDRON, lst)
                continue
            ids = [int(i) for i in cell]
            if block.type == "wedge":
                ids = [ids[i] for i in WEDGE]
            ug.InsertNextCell(FROM_MESHIO[block.type], len(ids), ids)
    for name, v in mesh.point_data.items():
        a = ns.numpy_to_vtk(np.ascontiguousarray(v), deep=1)
        a.SetName(name)
        ug.GetPointData().AddArray(a)
    for name, blocks in mesh.cell_data.items():
        a = ns.numpy_to_vtk(np.ascontiguousarray(np.concatenate(blocks)), deep=1)
        a.SetName(name)
        ug.GetCellData().AddArray(a)
    return ug


# meshio names Int32 arrays of legacy 5.1 files vtktypeint32, which VTK
# 9.1's reader does not know (it then drops every array): those files are
# checked on a copy that says int, the same big-endian 4-byte numbers
INT32 = b" vtktypeint32\n"
INT32_NOTE = ("# Int32 arrays are typed vtktypeint32, unknown to VTK 9.1's legacy reader; "
              "checked with VTK on a copy typed int")

FILES = [
    # name, data, format, binary, compression or legacy version, header type, point type
    ("sphere_v42_ascii.vtk", "sphere", "vtk", False, "4.2", None, np.float64),
    ("sphere_v42_binary.vtk", "sphere", "vtk", True, "4.2", None, np.float32),
    ("sphere_v51_ascii.vtk", "sphere", "vtk", False, "5.1", None, np.float32),
    ("sphere_v51_binary.vtk", "sphere", "vtk", True, "5.1", None, np.float64),
    ("mixedpoly_v51_binary.vtk", "mixedpoly", "vtk", True, "5.1", None, np.float64),
    ("mixed_v42_binary.vtk", "mixed", "vtk", True, "4.2", None, np.float64),
    ("mixed_v51_ascii.vtk", "mixed", "vtk", False, "5.1", None, np.float32),
    ("volbound_v42_ascii.vtk", "volbound", "vtk", False, "4.2", None, np.float64),
    ("volbound_v51_binary.vtk", "volbound_first", "vtk", True, "5.1", None, np.float32),
    ("sphere_binary_zlib.vtu", "sphere", "vtu", True, "zlib", None, np.float64),
    ("sphere_binary_lzma_u64.vtu", "sphere", "vtu", True, "lzma", "UInt64", np.float32),
    ("sphere_binary_none.vtu", "sphere", "vtu", True, None, None, np.float64),
    ("sphere_ascii.vtu", "sphere", "vtu", False, None, None, np.float64),
    ("mixedpoly_binary_lzma.vtu", "mixedpoly", "vtu", True, "lzma", None, np.float32),
    ("mixed_binary_zlib_u64.vtu", "mixed", "vtu", True, "zlib", "UInt64", np.float64),
    ("mixed_binary_none_u64.vtu", "mixed", "vtu", True, None, "UInt64", np.float32),
    ("mixed_ascii.vtu", "mixed", "vtu", False, None, None, np.float64),
    ("tets_binary_lzma.vtu", "tets", "vtu", True, "lzma", None, np.float64),
    ("hexes_binary_zlib_u32.vtu", "hexes", "vtu", True, "zlib", "UInt32", np.float32),
    ("volbound_binary_zlib.vtu", "volbound_first", "vtu", True, "zlib", None, np.float64),
    ("polyhedra_binary_zlib.vtu", "polyhedra", "vtu", True, "zlib", None, np.float64),
    ("polyhedra_ascii.vtu", "polyhedra", "vtu", False, None, None, np.float64),
]

DESCRIPTION = {
    "sphere": "sphere of triangles",
    "mixedpoly": "triangles, quads, 12-gons and a concave hexagon",
    "mixed": "hexahedra, wedges, pyramids, tetrahedra, apart 2-D cells, a vertex and a line",
    "tets": "box of tetrahedra",
    "hexes": "box of hexahedra",
    "volbound": "hexahedra and their boundary quads",
    "volbound_first": "boundary quads, then the hexahedra",
    "polyhedra": "polyhedra only (the hexahedron written as one)",
}


def build(kind, exact_doubles):
    if kind == "sphere":
        return cr.sphere(exact_doubles)
    if kind == "mixedpoly":
        return cr.mixed_poly(exact_doubles)
    if kind == "mixed":
        return cr.mixed_cells(exact_doubles)
    if kind == "tets":
        return cr.tets(exact_doubles)
    if kind == "hexes":
        return cr.hexes(exact_doubles)
    if kind == "volbound":
        return cr.volume_with_boundary(exact_doubles)
    if kind == "volbound_first":
        return cr.volume_with_boundary(exact_doubles, boundary_first=True)
    if kind == "polyhedra":
        return cr.polyhedra(exact_doubles)
    raise ValueError(kind)


README_NOTES = """How meshio writes them, where it differs from VTK's writers:

- Every file is an UNSTRUCTURED_GRID / `UnstructuredGrid`, surfaces too;
  cells come in blocks of one type (a mesh's cell order is kept here).
  meshio has no voxel, pixel or triangle strip: voxels and pixels were
  written as hexahedra and quads.
- .vtu: no `header_type` attribute unless asked for (UInt32 then), an XML
  comment after the root element, `Points` and `Cells` before `PointData`
  and `CellData`, `types` as Int64 (VTK writes UInt8), connectivity and
  offsets Int64, ascii values one a line (`%.11e` for floats), no
  `compressor` attribute in uncompressed files. Polyhedra: connectivity
  holds each cell's points sorted, `faces`/`faceoffsets` are Int64 without
  `IdType`; meshio writes polyhedra only when every cell is one.
- Legacy: every array in `FIELD` blocks, no METADATA; 5.1 types Int32 arrays
  `vtktypeint32` (VTK 9.1's reader does not know the name and then drops all
  arrays; the .ref says so in a comment), 4.2 types them `int`; 5.1 ascii
  offsets and connectivity one a line. meshio writes no polyhedra in legacy
  files.
"""


def main():
    out = cr.fresh_folder("meshio")
    made = []
    for name, kind, fmt, binary, opt, header, ptype in FILES:
        # ascii files print doubles with fewer digits: rho is rounded there
        ds = build(kind, binary)
        mesh = to_meshio(ds, all_polyhedra=(kind == "polyhedra"), points_dtype=ptype)
        path = os.path.join(out, name)
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            if fmt == "vtk":
                meshio.vtk.write(path, mesh, fmt_version=opt, binary=binary)
                writer = "%s meshio.vtk.write" % WRITER
                settings = "legacy %s, %s" % (opt, "binary" if binary else "ascii")
            else:
                meshio.vtu.write(path, mesh, binary=binary, compression=opt, header_type=header)
                writer = "%s meshio.vtu.write" % WRITER
                settings = ("binary, " + (opt or "none")) if binary else "ascii"
                settings += ", header %s" % (header or "UInt32 (no header_type attribute)")
        settings += ", %s points, %s" % ("Float32" if ptype == np.float32 else "Float64", DESCRIPTION[kind])
        f = cr.facts([from_meshio(mesh)])
        text = cr.ref_text(SCRIPT, writer, settings, f)
        with open(path, "rb") as fh:
            renamed = fh.read().count(INT32)
        if renamed:
            text = text.replace("\n", "\n" + INT32_NOTE + "\n", 1)
        with open(path + ".ref", "w", encoding="utf-8") as fh:
            fh.write(text)
        made.append((name, writer, settings))
    bad = []
    with tempfile.TemporaryDirectory() as tmp:
        for name, _, _ in made:
            path = os.path.join(out, name)
            with open(path, "rb") as fh:
                data = fh.read()
            copy = None
            if INT32 in data:
                copy = os.path.join(tmp, name)
                with open(copy, "wb") as fh:
                    fh.write(data.replace(INT32, b" int\n"))
            bad += cr.check(path, read_path=copy)
    cr.update_readme("Files in meshio/ (make_meshio.py)",
                     "Written by %s (`meshio.vtk.write`, `meshio.vtu.write`).\n\n" % WRITER
                     + README_NOTES + "\n" + cr.table(made))
    for b in bad:
        print("MISMATCH", b)
    print("%d files with .ref in meshio/" % len(made))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Writes tests/formats/corpus/vtk9/: files written by VTK 9.1's own writers
(legacy .vtk 4.2 and 5.1, XML .vtp/.vtu in every data mode, compressor,
header type, byte order, id type and point type, multiblock, partitioned and
parallel files, time collections), each with its .ref file.

Run with Debian's python3 (python3-vtk9): /usr/bin/python3 make_vtk9.py
"""

import json
import os
import sys
from collections import Counter

import vtk

sys.dont_write_bytecode = True   # no __pycache__ beside the corpus
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import corpus_reference as cr  # noqa: E402

SCRIPT = "make_vtk9.py"
VERSION = "VTK %d.%d" % (vtk.vtkVersion.GetVTKMajorVersion(), vtk.vtkVersion.GetVTKMinorVersion())

made = []   # (path relative to vtk9/, writer, settings, skipped array names)


def record(folder, rel, writer, settings, f=None, times=None, refused=None, skip=()):
    with open(os.path.join(folder, rel) + ".ref", "w", encoding="utf-8") as fh:
        fh.write(cr.ref_text(SCRIPT, "%s %s" % (VERSION, writer), settings, f, times, refused))
    made.append((rel, writer, settings, tuple(skip)))


# ----------------------------------------------------------------------------
# XML writer options

MODES = {"ascii": "ascii", "binary": "binary", "raw": "appended raw", "base64": "appended base64"}


def configure(w, mode, comp, header, order, ids, block=None):
    if mode == "ascii":
        w.SetDataModeToAscii()
    elif mode == "binary":
        w.SetDataModeToBinary()
    else:
        w.SetDataModeToAppended()
        w.SetEncodeAppendedData(1 if mode == "base64" else 0)
    {"none": w.SetCompressorTypeToNone, "zlib": w.SetCompressorTypeToZLib,
     "lz4": w.SetCompressorTypeToLZ4, "lzma": w.SetCompressorTypeToLZMA}[comp]()
    w.SetHeaderTypeToUInt64() if header == "UInt64" else w.SetHeaderTypeToUInt32()
    w.SetByteOrderToBigEndian() if order == "BigEndian" else w.SetByteOrderToLittleEndian()
    w.SetIdTypeToInt64() if ids == "Int64" else w.SetIdTypeToInt32()
    if block:
        w.SetBlockSize(block)


def cells_32bit(ds):
    """Stores the cells of `ds` in 32-bit arrays: VTK writes connectivity and
    offsets in the type they are stored in (SetIdType only sets the type of
    vtkIdType arrays: polyhedron faces, id arrays)."""
    if isinstance(ds, vtk.vtkPolyData):
        for cells in (ds.GetVerts(), ds.GetLines(), ds.GetPolys(), ds.GetStrips()):
            cells.ConvertTo32BitStorage()
    elif isinstance(ds, vtk.vtkUnstructuredGrid):
        ds.GetCells().ConvertTo32BitStorage()


def id_text(ids, conn):
    if ids == conn:
        return "%s ids and connectivity" % ids
    return "%s ids, %s connectivity" % (ids, conn)


def settings_text(mode, comp, header, order, ids, points=None, block=None, more=None, conn=None):
    if mode == "ascii":
        items = ["ascii" + (" (header names vtkZLibDataCompressor, unused)" if comp == "zlib" else "")]
    else:
        items = [MODES[mode], comp]
    items += ["header " + header, order, id_text(ids, conn or ids)]
    if points:
        items.append(points + " points")
    if block:
        items.append("compressed blocks of %d bytes" % block)
    if more:
        items.append(more)
    return ", ".join(items)


def write(w):
    if w.Write() != 1:
        raise RuntimeError("VTK failed to write " + w.GetFileName())


# ----------------------------------------------------------------------------
# Single XML data sets: each value of each option in several files

XML_FILES = [
    # name, data, mode, compressor, header, byte order, ids, points, block size, extras
    ("sphere_ascii.vtp", "sphere", "ascii", "zlib", "UInt32", "LittleEndian", "Int64", "Float32", None, "field"),
    ("sphere_binary_zlib.vtp", "sphere", "binary", "zlib", "UInt32", "LittleEndian", "Int64", "Float32", None, ""),
    ("sphere_appended_zlib_u64.vtp", "sphere", "raw", "zlib", "UInt64", "LittleEndian", "Int64", "Float64", None, ""),
    ("sphere_appended_none_i32.vtp", "sphere", "raw", "none", "UInt32", "LittleEndian", "Int32", "Float32", None, ""),
    ("sphere_base64_lz4_be.vtp", "sphere", "base64", "lz4", "UInt64", "BigEndian", "Int32", "Float64", None, ""),
    ("sphere_binary_lzma_be.vtp", "sphere", "binary", "lzma", "UInt32", "BigEndian", "Int64", "Float32", 1024, ""),
    ("sphere_binary_none_u64.vtp", "sphere", "binary", "none", "UInt64", "LittleEndian", "Int32", "Float64", None, ""),
    ("strips_appended_lzma.vtp", "strips", "raw", "lzma", "UInt64", "LittleEndian", "Int64", "Float32", None, ""),
    ("strips_binary_lz4_be.vtp", "strips", "binary", "lz4", "UInt32", "BigEndian", "Int32", "Float64", 512, ""),
    ("strips_ascii.vtp", "strips", "ascii", "none", "UInt64", "BigEndian", "Int32", "Float64", None, ""),
    ("mixedpoly_base64_zlib_be.vtp", "mixedpoly", "base64", "zlib", "UInt32", "BigEndian", "Int64", "Float64", 256, ""),
    ("mixedpoly_appended_lz4.vtp", "mixedpoly", "raw", "lz4", "UInt32", "LittleEndian", "Int64", "Float32", None, ""),
    ("mixedpoly_binary_zlib_be_u64.vtp", "mixedpoly", "binary", "zlib", "UInt64", "BigEndian", "Int32", "Float32", None, ""),
    ("vertslines_ascii.vtp", "vertslines", "ascii", "none", "UInt32", "LittleEndian", "Int64", "Float32", None,
     "tcoords colours names wide"),
    ("vertslines_appended_zlib_be.vtp", "vertslines", "raw", "zlib", "UInt64", "BigEndian", "Int64", "Float64", None, ""),
    ("hexes_ascii.vtu", "hexes", "ascii", "zlib", "UInt32", "LittleEndian", "Int64", "Float64", None,
     "tensor sym wide names idtype field"),
    ("hexes_appended_zlib.vtu", "hexes", "raw", "zlib", "UInt64", "LittleEndian", "Int64", "Float32", 2048, ""),
    ("tets_binary_zlib.vtu", "tets", "binary", "zlib", "UInt32", "LittleEndian", "Int32", "Float32", None, "idtype"),
    ("tets_base64_none_be.vtu", "tets", "base64", "none", "UInt64", "BigEndian", "Int64", "Float64", None, ""),
    ("mixed_appended_lzma_be.vtu", "mixed", "raw", "lzma", "UInt32", "BigEndian", "Int32", "Float64", None, ""),
    ("mixed_binary_lz4_u64.vtu", "mixed", "binary", "lz4", "UInt64", "LittleEndian", "Int64", "Float32", None, ""),
    ("mixed_ascii.vtu", "mixed", "ascii", "none", "UInt32", "LittleEndian", "Int64", "Float32", None, "idtype"),
    ("polyhedra_appended_zlib.vtu", "polyhedra", "raw", "zlib", "UInt64", "LittleEndian", "Int64", "Float64", None, ""),
    ("polyhedra_binary_none_be.vtu", "polyhedra", "binary", "none", "UInt32", "BigEndian", "Int32", "Float32", None, ""),
    ("polyhedra_ascii.vtu", "polyhedra", "ascii", "zlib", "UInt64", "LittleEndian", "Int64", "Float64", None, ""),
    ("volbound_appended_zlib.vtu", "volbound", "raw", "zlib", "UInt64", "LittleEndian", "Int64", "Float64", None, ""),
    ("volbound_base64_lzma.vtu", "volbound_first", "base64", "lzma", "UInt32", "LittleEndian", "Int32", "Float32", None, ""),
]

DESCRIPTION = {
    "sphere": "sphere of triangles",
    "strips": "sphere as triangle strips",
    "mixedpoly": "triangles, quads, 12-point polygons and a concave hexagon",
    "vertslines": "polygons plus a vertex, a line and a polyline",
    "hexes": "box of hexahedra",
    "tets": "box of tetrahedra",
    "mixed": "voxel, hexahedron, wedges, pyramids, tetrahedra, apart 2-D cells, a vertex and a line",
    "polyhedra": "polyhedra (VTK_POLYHEDRON) and a hexahedron",
    "volbound": "hexahedra and their boundary quads",
    "volbound_first": "boundary quads, then the hexahedra",
}


def build(kind, exact_doubles):
    if kind == "sphere":
        return cr.sphere(exact_doubles)
    if kind == "strips":
        return cr.strips(exact_doubles)
    if kind == "mixedpoly":
        return cr.mixed_poly(exact_doubles)
    if kind == "vertslines":
        return cr.mixed_poly(exact_doubles, with_verts_lines=True)
    if kind == "hexes":
        return cr.hexes(exact_doubles)
    if kind == "tets":
        return cr.tets(exact_doubles)
    if kind == "mixed":
        return cr.mixed_cells(exact_doubles)
    if kind == "polyhedra":
        return cr.polyhedra(exact_doubles)
    if kind == "volbound":
        return cr.volume_with_boundary(exact_doubles)
    if kind == "volbound_first":
        return cr.volume_with_boundary(exact_doubles, boundary_first=True)
    raise ValueError(kind)


EXTRAS = {
    "tensor": "T (9 components, legacy TENSORS)",
    "sym": "S (6 components)",
    "wide": "W (10 components, not listed)",
    "names": "tag (strings, not listed)",
    "idtype": "cid (vtkIdType cell array)",
    "tcoords": "uv (texture coordinates)",
    "colours": "rgb (unsigned char colours)",
    "field": "FieldData TimeValue and Comment (string)",
}


def extras_text(extras):
    return "; ".join(EXTRAS[k] for k in extras.split())


def add_extras(ds, extras):
    kinds = extras.split()
    cr.add_extra_arrays(ds, kinds)
    if "field" in kinds:
        cr.add_field_data(ds, time=0.5)


def make_xml(out):
    for name, kind, mode, comp, header, order, ids, pts, block, extras in XML_FILES:
        ds = build(kind, True)
        add_extras(ds, extras)
        ds = cr.with_point_type(ds, pts)
        if ids == "Int32":
            cells_32bit(ds)
        cls = vtk.vtkXMLPolyDataWriter if name.endswith(".vtp") else vtk.vtkXMLUnstructuredGridWriter
        w = cls()
        w.SetInputData(ds)
        w.SetFileName(os.path.join(out, name))
        configure(w, mode, comp, header, order, ids, block)
        write(w)
        more = DESCRIPTION[kind]
        if extras:
            more += "; " + extras_text(extras)
        record(out, name, cls.__name__, settings_text(mode, comp, header, order, ids, pts, block, more), cr.facts([ds]))
    # every value of every option appears in several files
    counts = Counter()
    for row in XML_FILES:
        counts.update([("mode", row[2]), ("header", row[4]), ("order", row[5]), ("ids", row[6]), ("points", row[7])])
        if row[2] != "ascii":
            counts[("compressor", row[3])] += 1
    thin = {k: v for k, v in counts.items() if v < 3}
    if thin:
        raise RuntimeError("options in fewer than 3 files: %s" % thin)
    return counts


# ----------------------------------------------------------------------------
# Legacy files

LEGACY_FILES = [
    # name, data, version, binary, extras, active attributes
    ("sphere_v42_ascii.vtk", "sphere", 42, False, "tensor", True),
    ("sphere_v42_binary.vtk", "sphere", 42, True, "tcoords", True),
    ("sphere_v51_ascii.vtk", "sphere", 51, False, "tcoords colours field", True),
    ("sphere_v51_binary.vtk", "sphere", 51, True, "colours tensor field", True),
    ("strips_v42_binary.vtk", "strips", 42, True, "", True),
    ("strips_v51_ascii.vtk", "strips", 51, False, "", False),
    ("mixedpoly_v42_ascii.vtk", "mixedpoly", 42, False, "", False),
    ("vertslines_v51_binary.vtk", "vertslines", 51, True, "", True),
    ("hexes_v42_binary.vtk", "hexes", 42, True, "tensor sym wide names idtype", True),
    ("tets_v51_ascii.vtk", "tets", 51, False, "", True),
    ("mixed_v42_ascii.vtk", "mixed", 42, False, "", True),
    ("mixed_v42_binary.vtk", "mixed", 42, True, "idtype", False),
    ("mixed_v51_ascii.vtk", "mixed", 51, False, "field", False),
    ("mixed_v51_binary.vtk", "mixed", 51, True, "idtype", True),
    ("polyhedra_v42_ascii.vtk", "polyhedra", 42, False, "", True),
    ("polyhedra_v51_binary.vtk", "polyhedra", 51, True, "", True),
    ("volbound_v51_binary.vtk", "volbound", 51, True, "", True),
]


def make_legacy(out):
    for name, kind, version, binary, extras, active in LEGACY_FILES:
        # legacy ASCII prints doubles with 11 digits: rho is rounded there
        ds = build(kind, binary)
        if active:
            cr.set_active(ds)
        add_extras(ds, extras)
        skip = []
        if ds.GetPointData().GetTCoords():
            skip.append(ds.GetPointData().GetTCoords().GetName())
        sc = ds.GetPointData().GetScalars()
        if sc is not None and sc.GetDataType() == vtk.VTK_UNSIGNED_CHAR:
            skip.append(sc.GetName())
        poly = isinstance(ds, vtk.vtkPolyData)
        w = vtk.vtkPolyDataWriter() if poly else vtk.vtkUnstructuredGridWriter()
        w.SetInputData(ds)
        w.SetFileName(os.path.join(out, name))
        w.SetFileVersion(version)
        w.SetFileTypeToBinary() if binary else w.SetFileTypeToASCII()
        write(w)
        settings = "legacy %s, %s, %s, %s" % (
            "4.2" if version == 42 else "5.1", "binary" if binary else "ascii",
            "POLYDATA" if poly else "UNSTRUCTURED_GRID", DESCRIPTION[kind])
        if not active:
            settings += ", every array in FIELD blocks"
        if extras:
            settings += "; " + extras_text(extras)
        record(out, name, type(w).__name__, settings, cr.facts([ds], skip), skip=skip)


# ----------------------------------------------------------------------------
# Collections


def named(mb, index, name, obj):
    mb.SetBlock(index, obj)
    mb.GetMetaData(index).Set(vtk.vtkCompositeDataSet.NAME(), name)


def patches_of(vol):
    """The boundary of `vol` as patches (polydata), split by the side they face:
    xmin, xmax and the other four as walls."""
    sf = vtk.vtkDataSetSurfaceFilter()
    sf.SetInputData(vol)
    sf.Update()
    surf = sf.GetOutput()
    b = vol.GetBounds()
    groups = {"inlet": [], "outlet": [], "walls": []}
    ids = vtk.vtkIdList()
    for c in range(surf.GetNumberOfCells()):
        surf.GetCellPoints(c, ids)
        xs = [surf.GetPoint(ids.GetId(k)) for k in range(ids.GetNumberOfIds())]
        if all(abs(p[0] - b[0] - 0.25 * p[2]) < 1e-9 for p in xs):
            groups["inlet"].append(c)
        elif all(abs(p[0] - b[1] - 0.25 * (p[2] - b[5])) < 1e-9 for p in xs):
            groups["outlet"].append(c)
        else:
            groups["walls"].append(c)
    out = {}
    for k, cells in groups.items():
        if not cells:
            raise RuntimeError("the patch %s is empty" % k)
        ug = cr.extract_cells(surf, cells)
        if k == "inlet":
            out[k] = ug     # kept as an unstructured grid of quads
        else:
            gf = vtk.vtkGeometryFilter()
            gf.SetInputData(ug)
            gf.Update()
            out[k] = cr.copy_of(gf.GetOutput())
    return out


def translated(ds, dx):
    out = cr.copy_of(ds)
    pts = vtk.vtkPoints()
    pts.SetDataType(ds.GetPoints().GetDataType())
    for i in range(ds.GetNumberOfPoints()):
        x, y, z = ds.GetPoint(i)
        pts.InsertNextPoint(x + dx, y, z)
    out.SetPoints(pts)
    return out


def make_collections(out):
    # a multiblock as solvers write one: the volume and, in nested
    # multiblocks, its boundary patches
    vol = cr.hexes()
    cr.add_field_data(vol, time=0.0)
    p = patches_of(vol)
    ends = vtk.vtkMultiBlockDataSet()
    named(ends, 0, "inlet", p["inlet"])
    named(ends, 1, "outlet", p["outlet"])
    bnd = vtk.vtkMultiBlockDataSet()
    named(bnd, 0, "walls", p["walls"])
    named(bnd, 1, "ends", ends)
    mb = vtk.vtkMultiBlockDataSet()
    named(mb, 0, "internalMesh", vol)
    named(mb, 1, "boundary", bnd)
    w = vtk.vtkXMLMultiBlockDataWriter()
    w.SetInputData(mb)
    w.SetFileName(os.path.join(out, "case_nested.vtm"))
    configure(w, "raw", "zlib", "UInt64", "LittleEndian", "Int64")
    write(w)
    record(out, "case_nested.vtm", "vtkXMLMultiBlockDataWriter",
           settings_text("raw", "zlib", "UInt64", "LittleEndian", "Int64",
                         more="volume block and nested multiblocks of boundary patches"),
           cr.facts(cr.leaves(mb)))

    # volume blocks only: each block's boundary
    mb = vtk.vtkMultiBlockDataSet()
    named(mb, 0, "hexes", cr.hexes())
    named(mb, 1, "tets", translated(cr.tets(), 3.0))
    for leaf in cr.leaves(mb):
        cells_32bit(leaf)
    w = vtk.vtkXMLMultiBlockDataWriter()
    w.SetInputData(mb)
    w.SetFileName(os.path.join(out, "volumes.vtm"))
    configure(w, "binary", "zlib", "UInt32", "LittleEndian", "Int32")
    write(w)
    record(out, "volumes.vtm", "vtkXMLMultiBlockDataWriter",
           settings_text("binary", "zlib", "UInt32", "LittleEndian", "Int32", more="two volume blocks"),
           cr.facts(cr.leaves(mb)))

    # the sphere in three pieces
    sph = cr.sphere()
    ex = vtk.vtkExtractPolyDataPiece()
    ex.SetInputData(sph)
    pieces = []
    for i in range(3):
        ex.UpdatePiece(i, 3, 0)
        pieces.append(cr.copy_of(ex.GetOutput()))
    w = vtk.vtkXMLPPolyDataWriter()
    w.SetInputConnection(ex.GetOutputPort())
    w.SetFileName(os.path.join(out, "sphere_pieces.pvtp"))
    w.SetNumberOfPieces(3)
    w.SetStartPiece(0)
    w.SetEndPiece(2)
    configure(w, "raw", "zlib", "UInt32", "LittleEndian", "Int64")
    write(w)
    record(out, "sphere_pieces.pvtp", "vtkXMLPPolyDataWriter",
           settings_text("raw", "zlib", "UInt32", "LittleEndian", "Int64", more="3 pieces (vtkExtractPolyDataPiece)"),
           cr.facts(pieces))

    # the hex box in three pieces
    ex = vtk.vtkExtractUnstructuredGridPiece()
    ex.SetInputData(cr.hexes())
    pieces = []
    for i in range(3):
        ex.UpdatePiece(i, 3, 0)
        pieces.append(cr.copy_of(ex.GetOutput()))
    w = vtk.vtkXMLPUnstructuredGridWriter()
    w.SetInputConnection(ex.GetOutputPort())
    w.SetFileName(os.path.join(out, "hexes_pieces.pvtu"))
    w.SetNumberOfPieces(3)
    w.SetStartPiece(0)
    w.SetEndPiece(2)
    configure(w, "base64", "lzma", "UInt64", "BigEndian", "Int32")
    write(w)
    record(out, "hexes_pieces.pvtu", "vtkXMLPUnstructuredGridWriter",
           settings_text("base64", "lzma", "UInt64", "BigEndian", "Int32", conn="Int64",
                         more="3 pieces (vtkExtractUnstructuredGridPiece), each its own boundary"),
           cr.facts(pieces))

    # a partitioned data set: the tet box in two partitions of volume
    tet = cr.tets()
    n = tet.GetNumberOfCells()
    halves = [cr.extract_cells(tet, range(0, n // 2)), cr.extract_cells(tet, range(n // 2, n))]
    pds = vtk.vtkPartitionedDataSet()
    for i, h in enumerate(halves):
        pds.SetPartition(i, h)
    w = vtk.vtkXMLPartitionedDataSetWriter()
    w.SetInputData(pds)
    w.SetFileName(os.path.join(out, "tets_parts.vtpd"))
    configure(w, "binary", "lz4", "UInt64", "LittleEndian", "Int64")
    write(w)
    record(out, "tets_parts.vtpd", "vtkXMLPartitionedDataSetWriter",
           settings_text("binary", "lz4", "UInt64", "LittleEndian", "Int64",
                         more="two volume partitions, each its own boundary"),
           cr.facts(cr.leaves(pds)))

    # a partitioned data set collection of surfaces
    sph = cr.sphere()
    ex = vtk.vtkExtractPolyDataPiece()
    ex.SetInputData(sph)
    a = vtk.vtkPartitionedDataSet()
    for i in range(2):
        ex.UpdatePiece(i, 2, 0)
        a.SetPartition(i, cr.copy_of(ex.GetOutput()))
    b = vtk.vtkPartitionedDataSet()
    b.SetPartition(0, translated(cr.mixed_poly(), 3.0))
    pdc = vtk.vtkPartitionedDataSetCollection()
    pdc.SetPartitionedDataSet(0, a)
    pdc.SetPartitionedDataSet(1, b)
    w = vtk.vtkXMLPartitionedDataSetCollectionWriter()
    w.SetInputData(pdc)
    w.SetFileName(os.path.join(out, "surfaces.vtpc"))
    configure(w, "raw", "none", "UInt32", "BigEndian", "Int64")
    write(w)
    record(out, "surfaces.vtpc", "vtkXMLPartitionedDataSetCollectionWriter",
           settings_text("raw", "none", "UInt32", "BigEndian", "Int64",
                         more="sphere in two partitions and the mixed polygons"),
           cr.facts(cr.leaves(pdc)))


TIMES = [0.0, 0.5, 1.25]
STEP_FILES = ["flow_0.vtp", "flow_1.vtp", "flow_\u00fc_2.vtp"]


def make_time(out):
    folder = os.path.join(out, "series")
    os.makedirs(folder)
    steps = []
    for t, name in zip(TIMES, STEP_FILES):
        ds = cr.sphere(time=t)
        cr.add_field_data(ds, time=t)
        w = vtk.vtkXMLPolyDataWriter()
        w.SetInputData(ds)
        w.SetFileName(os.path.join(folder, name))
        configure(w, "raw", "zlib", "UInt64", "LittleEndian", "Int64")
        write(w)
        steps.append(ds)
    first = cr.facts([steps[0]])
    step_settings = settings_text("raw", "zlib", "UInt64", "LittleEndian", "Int64")

    # ParaView's layout, double quotes
    lines = ['<?xml version="1.0"?>',
             '<VTKFile type="Collection" version="0.1" byte_order="LittleEndian">',
             '  <Collection>']
    for t, name in zip(TIMES, STEP_FILES):
        lines.append('    <DataSet timestep="%s" group="" part="0" file="series/%s"/>' % (cr.num(t), name))
    lines += ['  </Collection>', '</VTKFile>', '']
    with open(os.path.join(out, "flow_double_quotes.pvd"), "w", encoding="utf-8") as fh:
        fh.write("\n".join(lines))
    record(out, "flow_double_quotes.pvd", "vtkXMLPolyDataWriter steps, .pvd text by make_vtk9.py",
           "3 steps (" + step_settings + "), double-quoted attributes", first, TIMES)

    # single quotes, no XML declaration, steps listed last first
    lines = ["<VTKFile type='Collection' version='0.1'>", "<Collection>"]
    for t, name in reversed(list(zip(TIMES, STEP_FILES))):
        lines.append("<DataSet part='0' file='series/%s' timestep='%s'/>" % (name, cr.num(t)))
    lines += ["</Collection>", "</VTKFile>", ""]
    with open(os.path.join(out, "flow_single_quotes.pvd"), "w", encoding="utf-8") as fh:
        fh.write("\n".join(lines))
    record(out, "flow_single_quotes.pvd", "vtkXMLPolyDataWriter steps, .pvd text by make_vtk9.py",
           "3 steps (" + step_settings + "), single-quoted attributes, steps listed in decreasing time",
           first, TIMES)

    # ParaView's .series JSON; json.dumps writes the u-umlaut as \u00fc
    entries = ",\n".join('    { "name" : %s, "time" : %s }' % (json.dumps(n), cr.num(t))
                         for t, n in zip(TIMES, STEP_FILES))
    text = '{\n  "file-series-version" : "1.0",\n  "files" : [\n' + entries + "\n  ]\n}\n"
    with open(os.path.join(folder, "flow.vtp.series"), "w", encoding="ascii") as fh:
        fh.write(text)
    record(out, "series/flow.vtp.series", "vtkXMLPolyDataWriter steps, .series text by make_vtk9.py",
           "3 steps (" + step_settings + "), one file name with \\u00fc escaped in the JSON", first, TIMES)


def make_refused(out):
    img = vtk.vtkImageData()
    img.SetDimensions(4, 3, 2)
    img.SetSpacing(0.5, 0.5, 0.5)
    a = cr.float_array("p", [i * 0.25 for i in range(24)])
    img.GetPointData().SetScalars(a)
    w = vtk.vtkXMLImageDataWriter()
    w.SetInputData(img)
    w.SetFileName(os.path.join(out, "image.vti"))
    configure(w, "raw", "zlib", "UInt32", "LittleEndian", "Int64")
    write(w)
    record(out, "image.vti", "vtkXMLImageDataWriter", "appended raw, zlib, header UInt32, LittleEndian, ImageData 4x3x2",
           refused="ImageData")
    w = vtk.vtkStructuredPointsWriter()
    w.SetInputData(img)
    w.SetFileName(os.path.join(out, "image_v51_ascii.vtk"))
    w.SetFileTypeToASCII()
    write(w)
    record(out, "image_v51_ascii.vtk", "vtkStructuredPointsWriter", "legacy 5.1, ascii, STRUCTURED_POINTS 4x3x2",
           refused="STRUCTURED_POINTS")


README_NOTES = """What these files hold besides the cells and arrays (as VTK 9.1 writes them):

- XML: `RangeMin`/`RangeMax` attributes (`1e+299`/`-1e+299` on empty arrays),
  `InformationKey` elements inside `DataArray` (`L2_NORM_RANGE` on points,
  `UNITS_LABEL` on `p`), `ComponentName0..2` on `U`, string arrays as
  `<Array type="String">` (FieldData `Comment`, point array `tag`),
  `IdType="1"` on vtkIdType arrays (`cid`, polyhedron `faces`/`faceoffsets`).
- XML .vtp: the cell sections come as Verts, Lines, Strips, Polys; cell data
  is ordered verts, lines, polys, strips. Empty sections are Int32 arrays
  whatever the id type; `SetIdTypeToInt32` alone leaves connectivity Int64,
  so the Int32 files store their cells in 32-bit arrays.
- XML ascii files keep the `compressor` attribute when one is set.
- Legacy: dataset `FIELD FieldData 2` before `POINTS` (string values
  percent-encoded, `corpus%20data%20set`), `METADATA` blocks with
  `COMPONENT_NAMES` and `INFORMATION`, arrays that are not active attributes
  in `FIELD` blocks inside `POINT_DATA`/`CELL_DATA`, `COLOR_SCALARS`,
  `TEXTURE_COORDINATES`, `TENSORS`, the type name `vtkIdType` for id arrays.
- Legacy polyhedra: in 4.2 a cell's `CELLS` entry is its face stream (count,
  then per face its size and points), in 5.1 the connectivity holds the face
  streams.
- Pieces, blocks and partitions lie in a folder named after the file
  (`.vtm`, `.vtpd`, `.vtpc`) or beside it (`.pvtp`, `.pvtu`); the pieces hold
  no ghost arrays (ghost level 0).
"""


def main():
    out = cr.fresh_folder("vtk9")
    counts = make_xml(out)
    make_legacy(out)
    make_collections(out)
    make_time(out)
    make_refused(out)
    bad = []
    for rel, writer, settings, skip in made:
        bad += cr.check(os.path.join(out, rel), skip)
    cr.update_readme("Files in vtk9/ (make_vtk9.py)",
                     "Written by %s's Python writers.\n\n" % VERSION + README_NOTES + "\n"
                     + cr.table([(rel, w, s) for rel, w, s, _ in made]))
    for b in bad:
        print("MISMATCH", b)
    print("%d files with .ref in vtk9/; XML options used: %s" % (
        len(made), ", ".join("%s %s x%d" % (k[0], k[1], v) for k, v in sorted(counts.items()))))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())

"""Shared code of the corpus scripts make_vtk9.py and make_meshio.py.

The data sets written into the corpus, the facts a reader must find in a file
(its .ref file), and the check that reads every written file back with VTK's
own readers and finds the same facts again.

Every coordinate and every array value (apart from the Float64 array `rho` of
the files whose format keeps doubles exactly) is a multiple of 1/32 below 10 in
magnitude: such a number is exact in Float32 and in the 6 significant digits
that legacy ASCII writers print, so each writer stores the same numbers and
the sums in the .ref files are exact whatever order a reader adds them in.
"""

import json
import math
import os
import shutil
import xml.etree.ElementTree as ET

import numpy as np
import vtk
from vtkmodules.util import numpy_support as ns

STEP = 1.0 / 32.0
CORPUS = os.path.dirname(os.path.abspath(__file__))

# VTK's threaded filters (vtkGeometryFilter) order their output by thread
# timing; one thread keeps every file the same from run to run
vtk.vtkSMPTools.SetBackend("Sequential")
vtk.vtkSMPTools.Initialize(1)


# ----------------------------------------------------------------------------
# Numbers


def q(values):
    """Rounds to multiples of 1/32; refuses values that would not stay exact."""
    v = np.round(np.asarray(values, dtype=np.float64) / STEP) * STEP
    if v.size and np.max(np.abs(v)) >= 10.0:
        raise ValueError("a corpus value leaves the exact range")
    return v


def num(x):
    """A number as the .ref files print it: enough digits to be exact."""
    if isinstance(x, (int, np.integer)):
        return str(int(x))
    return "%.17g" % (float(x) + 0.0)   # + 0.0: no "-0"


# ----------------------------------------------------------------------------
# Building data sets


class PointSet:
    """Points made once per coordinate, so that cells share them."""

    def __init__(self):
        self.points = vtk.vtkPoints()
        self.index = {}

    def id(self, xyz):
        key = tuple(float(c) for c in xyz)
        if key not in self.index:
            self.index[key] = self.points.InsertNextPoint(key)
        return self.index[key]

    def ids(self, corners):
        return [self.id(c) for c in corners]


def _array(cls, name, values, comps=1):
    a = cls()
    a.SetName(name)
    a.SetNumberOfComponents(comps)
    values = np.asarray(values).reshape(-1)
    a.SetNumberOfTuples(len(values) // comps)
    for i, v in enumerate(values.tolist()):
        a.SetValue(i, v)
    return a


def float_array(name, values, comps=1):
    return _array(vtk.vtkFloatArray, name, values, comps)


def double_array(name, values, comps=1):
    return _array(vtk.vtkDoubleArray, name, values, comps)


def int_array(name, values, comps=1):
    return _array(vtk.vtkIntArray, name, values, comps)


def quantize_points(ds):
    """Snaps the points of `ds` onto the exact grid (kept in Float32)."""
    xyz = q(ns.vtk_to_numpy(ds.GetPoints().GetData()))
    pts = vtk.vtkPoints()
    pts.SetDataTypeToFloat()
    pts.SetNumberOfPoints(len(xyz))
    for i, p in enumerate(xyz.tolist()):
        pts.SetPoint(i, p)
    ds.SetPoints(pts)


def point_xyz(ds):
    return ns.vtk_to_numpy(ds.GetPoints().GetData()).astype(np.float64)


def cell_centres(ds):
    xyz = point_xyz(ds)
    ids = vtk.vtkIdList()
    out = []
    for c in range(ds.GetNumberOfCells()):
        ds.GetCellPoints(c, ids)
        pts = sorted(set(ids.GetId(k) for k in range(ids.GetNumberOfIds())))
        out.append(xyz[pts].mean(axis=0))
    return np.array(out).reshape(-1, 3)


def add_point_arrays(ds, exact_doubles=True, time=0.0):
    """p (Float32), U (Float64, 3 components), label (Int32) and rho (Float64).

    rho holds full-precision doubles when `exact_doubles`; otherwise it is
    rounded like the others (for formats that print fewer digits)."""
    x, y, z = point_xyz(ds).T
    n = len(x)
    p = q(1.0 + 0.5 * x - 0.25 * y * z + 0.75 * time * x)
    u = q(np.stack([y - z, 0.5 * x + time, 1.0 - 0.25 * x * y], axis=1))
    label = (np.arange(n) * 7) % 11 - 3
    rho = 1.0 / (3.0 + x + 0.1 * y + 0.01 * z)
    if not exact_doubles:
        rho = q(rho)
    pd = ds.GetPointData()
    pa = float_array("p", p)
    pa.GetInformation().Set(vtk.vtkDataArray.UNITS_LABEL(), "Pa")
    pd.AddArray(pa)
    ua = double_array("U", u, 3)
    for k, c in enumerate("xyz"):
        ua.SetComponentName(k, "U" + c)
    pd.AddArray(ua)
    pd.AddArray(int_array("label", label))
    pd.AddArray(double_array("rho", rho))


def add_cell_arrays(ds, centre=(0.0, 0.0, 0.0)):
    """cp (Float32; largest at `centre`, so inner cells of a volume hold the
    top values), cU (Float64, 3 components) and zone (Int32, the cell type)."""
    c = cell_centres(ds)
    d2 = ((c - np.asarray(centre)) ** 2).sum(axis=1)
    cp = q(3.0 - 0.5 * d2)
    cu = q(np.stack([c[:, 0] + c[:, 2], 0.5 * c[:, 1], -c[:, 0]], axis=1))
    zone = [ds.GetCellType(i) for i in range(ds.GetNumberOfCells())]
    cd = ds.GetCellData()
    cd.AddArray(float_array("cp", cp))
    cd.AddArray(double_array("cU", cu, 3))
    cd.AddArray(int_array("zone", zone))


def add_field_data(ds, time=None):
    """Data-set FieldData as solvers write it: a time value and a string."""
    fd = ds.GetFieldData()
    if time is not None:
        fd.AddArray(double_array("TimeValue", [time]))
    s = vtk.vtkStringArray()
    s.SetName("Comment")
    s.InsertNextValue("corpus data set")
    fd.AddArray(s)


def sphere(exact_doubles=True, time=0.0):
    """A closed sphere of triangles, 162 points, with point and cell arrays."""
    src = vtk.vtkSphereSource()
    src.SetRadius(1.5)
    src.SetCenter(0.25, -0.5, 1.0)
    src.SetThetaResolution(16)
    src.SetPhiResolution(12)
    src.Update()
    ds = vtk.vtkPolyData()
    ds.DeepCopy(src.GetOutput())
    quantize_points(ds)
    normals = ns.vtk_to_numpy(ds.GetPointData().GetNormals())
    ds.GetPointData().SetNormals(float_array("Normals", q(normals), 3))
    add_point_arrays(ds, exact_doubles, time)
    add_cell_arrays(ds, centre=(1.0, 0.0, 2.0))
    return ds


def strips(exact_doubles=True):
    """The sphere as triangle strips (vtkStripper), new cell arrays per strip."""
    src = sphere(exact_doubles)
    src.GetCellData().Initialize()
    st = vtk.vtkStripper()
    st.SetInputData(src)
    st.Update()
    ds = vtk.vtkPolyData()
    ds.DeepCopy(st.GetOutput())
    if ds.GetNumberOfStrips() == 0:
        raise RuntimeError("vtkStripper made no strips")
    add_cell_arrays(ds, centre=(1.0, 0.0, 2.0))
    return ds


def _grid_patch(ps, origin, du, dv, nu, nv):
    """Corners (as point ids) of an nu x nv grid of planar cells."""
    o, du, dv = (np.asarray(a, dtype=float) for a in (origin, du, dv))
    rows = []
    for j in range(nv):
        for i in range(nu):
            c = [o + i * du + j * dv, o + (i + 1) * du + j * dv,
                 o + (i + 1) * du + (j + 1) * dv, o + i * du + (j + 1) * dv]
            rows.append((i, j, ps.ids(c)))
    return rows


def mixed_poly(exact_doubles=True, with_verts_lines=False):
    """A closed house-shaped surface of triangles, quads and two 12-point
    polygons (the gable ends), plus a concave (L-shaped) planar hexagon beside
    it. With `with_verts_lines` the
    polydata also holds a vertex, a line and a polyline, whose cell values lie
    far outside those of the surface cells."""
    ps = PointSet()
    polys = []

    def quad_or_tris(i, j, ids, tri):
        if tri:
            polys.append([ids[0], ids[1], ids[2]])
            polys.append([ids[0], ids[2], ids[3]])
        else:
            polys.append(ids)

    # floor z=0, walls y=0 and y=1 (x in [0,2], z in [0,1]), roof to z=1.5
    for i, j, ids in _grid_patch(ps, (0, 0, 0), (0, 0.25, 0), (0.5, 0, 0), 4, 4):
        quad_or_tris(i, j, ids, False)
    for i, j, ids in _grid_patch(ps, (0, 0, 0), (0.5, 0, 0), (0, 0, 0.5), 4, 2):
        quad_or_tris(i, j, ids, (i + j) % 2 == 0)
    for i, j, ids in _grid_patch(ps, (0, 1, 0), (0, 0, 0.5), (0.5, 0, 0), 2, 4):
        quad_or_tris(i, j, ids, (i + j) % 2 == 1)
    for i, j, ids in _grid_patch(ps, (0, 0, 1), (0, 0.25, 0.25), (0.5, 0, 0), 2, 4):
        quad_or_tris(i, j, ids, False)
    for i, j, ids in _grid_patch(ps, (0, 0.5, 1.5), (0, 0.25, -0.25), (0.5, 0, 0), 2, 4):
        quad_or_tris(i, j, ids, i == 1 and j == 2)
    # the gable ends: one polygon each through every point on its border
    for x in (0.0, 2.0):
        ring = [(x, 0, 0), (x, 0.25, 0), (x, 0.5, 0), (x, 0.75, 0), (x, 1, 0),
                (x, 1, 0.5), (x, 1, 1), (x, 0.75, 1.25), (x, 0.5, 1.5),
                (x, 0.25, 1.25), (x, 0, 1), (x, 0, 0.5)]
        polys.append(ps.ids(ring if x else ring[::-1]))
    # a concave planar hexagon beside the house
    polys.append(ps.ids([(3, 0, 0), (4, 0, 0), (4, 0.5, 0), (3.5, 0.5, 0.0), (3.5, 1, 0), (3, 1, 0)]))

    ds = vtk.vtkPolyData()
    ds.SetPoints(ps.points)
    cells = vtk.vtkCellArray()
    for c in polys:
        cells.InsertNextCell(len(c), c)
    ds.SetPolys(cells)
    extra = 0
    if with_verts_lines:
        verts = vtk.vtkCellArray()
        verts.InsertNextCell(1, [ps.id((1, 0.5, 3))])
        lines = vtk.vtkCellArray()
        lines.InsertNextCell(2, ps.ids([(-1, 0, 0), (-1, 1, 0)]))
        lines.InsertNextCell(3, ps.ids([(-1, 0, 1), (-1, 0.5, 1.5), (-1, 1, 1)]))
        ds.SetVerts(verts)
        ds.SetLines(lines)
        extra = 3
    add_point_arrays(ds, exact_doubles)
    add_cell_arrays(ds, centre=(1.0, 0.5, 0.75))
    if extra:
        # cells are numbered verts, lines, polys, strips: the first `extra`
        # cells are the vertex and the lines
        cp = ds.GetCellData().GetArray("cp")
        cu = ds.GetCellData().GetArray("cU")
        for i, v in enumerate((-9.5, 9.5, -9.0)):
            cp.SetValue(i, v)
            cu.SetTuple3(i, v, -v, v)
    return ds


def _box_points(lo, hi):
    (x0, y0, z0), (x1, y1, z1) = lo, hi
    return [(x0, y0, z0), (x1, y0, z0), (x1, y1, z0), (x0, y1, z0),
            (x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1)]


def hex_grid(ni=6, nj=4, nk=3, h=0.25, shear=0.25):
    """A sheared box of ni x nj x nk hexahedra (planar faces), no arrays."""
    ps = PointSet()
    ug = vtk.vtkUnstructuredGrid()
    cells = []
    for k in range(nk):
        for j in range(nj):
            for i in range(ni):
                lo = (i * h, j * h, k * h)
                hi = ((i + 1) * h, (j + 1) * h, (k + 1) * h)
                cells.append(ps.ids([(x + shear * z, y, z) for x, y, z in _box_points(lo, hi)]))
    ug.SetPoints(ps.points)
    for c in cells:
        ug.InsertNextCell(vtk.VTK_HEXAHEDRON, 8, c)
    return ug


def box_centre(ug):
    b = ug.GetBounds()
    return ((b[0] + b[1]) / 2, (b[2] + b[3]) / 2, (b[4] + b[5]) / 2)


def hexes(exact_doubles=True):
    ug = hex_grid()
    add_point_arrays(ug, exact_doubles)
    add_cell_arrays(ug, box_centre(ug))
    return ug


def tets(exact_doubles=True):
    """The hex box cut into tetrahedra by vtkDataSetTriangleFilter."""
    tf = vtk.vtkDataSetTriangleFilter()
    tf.SetInputData(hex_grid(4, 3, 2, 0.5))
    tf.Update()
    ug = vtk.vtkUnstructuredGrid()
    ug.DeepCopy(tf.GetOutput())
    if set(ug.GetCellType(i) for i in range(ug.GetNumberOfCells())) != {vtk.VTK_TETRA}:
        raise RuntimeError("the tetrahedra came out as other cells")
    add_point_arrays(ug, exact_doubles)
    add_cell_arrays(ug, box_centre(ug))
    return ug


def mixed_cells(exact_doubles=True, with_verts_lines=True):
    """A row of unit cubes cut into different cells, face to face where they
    touch: a voxel, a hexahedron, two wedges, six pyramids round the cube's
    centre; five tetrahedra in a cube apart; and apart from the volume a quad,
    a pixel, two triangles and a pentagon (2-D cells that touch no volume),
    and, with `with_verts_lines`, a vertex and a line (no surface)."""
    ps = PointSet()
    cells = []

    def cube(x0):
        return _box_points((x0, 0, 0), (x0 + 1, 1, 1))

    v = cube(-1)
    # voxel order: x fastest, then y, then z
    cells.append((vtk.VTK_VOXEL, ps.ids([v[0], v[1], v[3], v[2], v[4], v[5], v[7], v[6]])))
    cells.append((vtk.VTK_HEXAHEDRON, ps.ids(cube(0))))
    # two wedges in the cube x in [1,2], their axes along y
    a, b, c, d = (1, 0), (2, 0), (2, 1), (1, 1)   # (x, z) corners
    for tri in ((a, b, c), (a, c, d)):
        cells.append((vtk.VTK_WEDGE, ps.ids([(x, 0, z) for x, z in tri] + [(x, 1, z) for x, z in tri])))
    # six pyramids round the centre of the cube x in [2,3]
    p = cube(2)
    apex = (2.5, 0.5, 0.5)
    for f in ((0, 3, 2, 1), (4, 5, 6, 7), (0, 1, 5, 4), (1, 2, 6, 5), (2, 3, 7, 6), (3, 0, 4, 7)):
        cells.append((vtk.VTK_PYRAMID, ps.ids([p[i] for i in f] + [apex])))
    # five tetrahedra in the cube x in [4,5]
    t = cube(4)
    v000, v100, v110, v010, v001, v101, v111, v011 = t
    for tet in ((v100, v010, v001, v111), (v000, v100, v010, v001), (v110, v100, v010, v111),
                (v101, v100, v001, v111), (v011, v010, v001, v111)):
        cells.append((vtk.VTK_TETRA, ps.ids(tet)))
    # 2-D cells on the plane y=2
    cells.append((vtk.VTK_QUAD, ps.ids([(0, 2, 0), (1, 2, 0), (1, 2, 1), (0, 2, 1)])))
    cells.append((vtk.VTK_PIXEL, ps.ids([(1.5, 2, 0), (2.5, 2, 0), (1.5, 2, 1), (2.5, 2, 1)])))
    cells.append((vtk.VTK_TRIANGLE, ps.ids([(3, 2, 0), (4, 2, 0), (4, 2, 1)])))
    cells.append((vtk.VTK_TRIANGLE, ps.ids([(3, 2, 0), (4, 2, 1), (3, 2, 1)])))
    cells.append((vtk.VTK_POLYGON, ps.ids([(5, 2, 0), (6, 2, 0), (6.5, 2, 0.5), (6, 2, 1), (5, 2, 1)])))
    if with_verts_lines:
        cells.append((vtk.VTK_VERTEX, ps.ids([(0, -1, 0)])))
        cells.append((vtk.VTK_LINE, ps.ids([(1, -1, 0), (2, -1, 0)])))
    ug = vtk.vtkUnstructuredGrid()
    ug.SetPoints(ps.points)
    for t_, ids in cells:
        ug.InsertNextCell(t_, len(ids), ids)
    add_point_arrays(ug, exact_doubles)
    add_cell_arrays(ug, (2.5, 0.5, 0.5))
    if with_verts_lines:
        cp = ug.GetCellData().GetArray("cp")
        cu = ug.GetCellData().GetArray("cU")
        for i, val in ((ug.GetNumberOfCells() - 2, 9.5), (ug.GetNumberOfCells() - 1, -9.5)):
            cp.SetValue(i, val)
            cu.SetTuple3(i, val, val, -val)
    return ug


def polyhedra_cells():
    """(point set, cells) of an L-shaped block cut into four polyhedra and a
    hexahedron; each cell is (type, point ids, faces or None)."""
    ps = PointSet()

    def face(*corners):
        return ps.ids(corners)

    def cube_faces(x0, y0):
        x1, y1 = x0 + 1, y0 + 1
        return [face((x0, y0, 0), (x0, y1, 0), (x1, y1, 0), (x1, y0, 0)),
                face((x0, y0, 1), (x1, y0, 1), (x1, y1, 1), (x0, y1, 1)),
                face((x0, y0, 0), (x1, y0, 0), (x1, y0, 1), (x0, y0, 1)),
                face((x0, y1, 0), (x0, y1, 1), (x1, y1, 1), (x1, y1, 0)),
                face((x0, y0, 0), (x0, y0, 1), (x0, y1, 1), (x0, y1, 0)),
                face((x1, y0, 0), (x1, y1, 0), (x1, y1, 1), (x1, y0, 1))]

    cells = [cube_faces(0, 0), cube_faces(1, 0)]
    # [0,2]x[1,2]: its y=1 side meets both cubes, so it is two quads there and
    # its top and bottom are pentagons
    cells.append([
        face((0, 1, 0), (0, 2, 0), (2, 2, 0), (2, 1, 0), (1, 1, 0)),
        face((0, 1, 1), (1, 1, 1), (2, 1, 1), (2, 2, 1), (0, 2, 1)),
        face((0, 1, 0), (1, 1, 0), (1, 1, 1), (0, 1, 1)),
        face((1, 1, 0), (2, 1, 0), (2, 1, 1), (1, 1, 1)),
        face((0, 2, 0), (0, 2, 1), (2, 2, 1), (2, 2, 0)),
        face((0, 1, 0), (0, 1, 1), (0, 2, 1), (0, 2, 0)),
        face((2, 1, 0), (2, 2, 0), (2, 2, 1), (2, 1, 1))])
    # [2,3]x[0,2]: its x=2 side meets the second cube and the cell above
    cells.append([
        face((2, 0, 0), (2, 1, 0), (2, 2, 0), (3, 2, 0), (3, 0, 0)),
        face((2, 0, 1), (3, 0, 1), (3, 2, 1), (2, 2, 1), (2, 1, 1)),
        face((2, 0, 0), (2, 0, 1), (2, 1, 1), (2, 1, 0)),
        face((2, 1, 0), (2, 1, 1), (2, 2, 1), (2, 2, 0)),
        face((3, 0, 0), (3, 2, 0), (3, 2, 1), (3, 0, 1)),
        face((2, 0, 0), (3, 0, 0), (3, 0, 1), (2, 0, 1)),
        face((2, 2, 0), (2, 2, 1), (3, 2, 1), (3, 2, 0))])
    out = []
    for faces in cells:
        pts = []
        for f in faces:
            pts += [i for i in f if i not in pts]
        out.append((vtk.VTK_POLYHEDRON, pts, faces))
    hexa = _box_points((2, 2, 0), (3, 3, 1))
    out.append((vtk.VTK_HEXAHEDRON, ps.ids(hexa), None))
    return ps, out


def polyhedra(exact_doubles=True):
    ps, cells = polyhedra_cells()
    ug = vtk.vtkUnstructuredGrid()
    ug.SetPoints(ps.points)
    for t, pts, faces in cells:
        if faces is None:
            ug.InsertNextCell(t, len(pts), pts)
        else:
            stream = [len(faces)]
            for f in faces:
                stream += [len(f)] + f
            ids = vtk.vtkIdList()
            for i in stream:
                ids.InsertNextId(i)
            ug.InsertNextCell(t, ids)
    add_point_arrays(ug, exact_doubles)
    add_cell_arrays(ug, (1.5, 1.5, 0.5))
    return ug


def volume_with_boundary(exact_doubles=True, boundary_first=False):
    """The hex box together with its boundary quads as 2-D cells on the same
    points, as mesh generators write them; each boundary quad carries the
    cell values of the hexahedron it bounds."""
    vol = hexes(exact_doubles)
    sf = vtk.vtkDataSetSurfaceFilter()
    sf.SetInputData(vol)
    sf.PassThroughPointIdsOn()
    sf.PassThroughCellIdsOn()
    sf.Update()
    surf = sf.GetOutput()
    orig_pt = ns.vtk_to_numpy(surf.GetPointData().GetArray("vtkOriginalPointIds"))
    orig_cell = ns.vtk_to_numpy(surf.GetCellData().GetArray("vtkOriginalCellIds"))
    faces = []
    ids = vtk.vtkIdList()
    for c in range(surf.GetNumberOfCells()):
        surf.GetCellPoints(c, ids)
        faces.append([int(orig_pt[ids.GetId(k)]) for k in range(ids.GetNumberOfIds())])
    ug = vtk.vtkUnstructuredGrid()
    ug.SetPoints(vol.GetPoints())
    ug.GetPointData().ShallowCopy(vol.GetPointData())
    order = []   # source cell of each new cell: ('v', i) or ('b', hex id)
    vol_ids = vtk.vtkIdList()

    def put_volume():
        for c in range(vol.GetNumberOfCells()):
            vol.GetCellPoints(c, vol_ids)
            ug.InsertNextCell(vol.GetCellType(c), vol_ids)
            order.append(c)

    def put_boundary():
        for f, owner in zip(faces, orig_cell):
            ug.InsertNextCell(vtk.VTK_QUAD, 4, f)
            order.append(int(owner))

    if boundary_first:
        put_boundary()
        put_volume()
    else:
        put_volume()
        put_boundary()
    vcd = vol.GetCellData()
    for k in range(vcd.GetNumberOfArrays()):
        src = vcd.GetArray(k)
        dst = src.NewInstance()
        dst.SetName(src.GetName())
        dst.SetNumberOfComponents(src.GetNumberOfComponents())
        dst.SetNumberOfTuples(len(order))
        for i, o in enumerate(order):
            dst.SetTuple(i, o, src)
        ug.GetCellData().AddArray(dst)
    # zone tells the boundary quads from the hexahedra
    zone = ug.GetCellData().GetArray("zone")
    for i in range(ug.GetNumberOfCells()):
        zone.SetValue(i, ug.GetCellType(i))
    return ug


def add_extra_arrays(ds, kinds):
    """Arrays beyond the usual ones, to test what a reader keeps and skips.

    tensor: T, 9 components (Float32); sym: S, 6 components (Float64);
    wide: W, 10 components (more than a reader lists); names: a string array;
    idtype: cid, a vtkIdType cell array; tcoords: uv, 2 components set as the
    texture coordinates; colours: rgb, unsigned char 3 components set as the
    active scalars."""
    pd, cd = ds.GetPointData(), ds.GetCellData()
    x, y, z = point_xyz(ds).T
    n = len(x)
    if "tensor" in kinds:
        t = q(np.stack([x, y, z, y, z, x, z, x, y], axis=1) * 0.5)
        pd.SetTensors(float_array("T", t, 9))
    if "sym" in kinds:
        pd.AddArray(double_array("S", q(np.stack([x, y, z, x + y, y + z, x - z], axis=1) * 0.25), 6))
    if "wide" in kinds:
        pd.AddArray(float_array("W", q(np.tile(x, (10, 1)).T * 0.5), 10))
    if "names" in kinds:
        s = vtk.vtkStringArray()
        s.SetName("tag")
        for i in range(n):
            s.InsertNextValue("pt%d" % i)
        pd.AddArray(s)
    if "idtype" in kinds:
        a = vtk.vtkIdTypeArray()
        a.SetName("cid")
        for i in range(ds.GetNumberOfCells()):
            a.InsertNextValue(1000 + i)
        cd.AddArray(a)
    if "tcoords" in kinds:
        pd.SetTCoords(float_array("uv", q(np.stack([0.25 * x, 0.25 * y], axis=1)), 2))
    if "colours" in kinds:
        c = vtk.vtkUnsignedCharArray()
        c.SetName("rgb")
        c.SetNumberOfComponents(3)
        for i in range(n):
            c.InsertNextTuple3((i * 5) % 256, (i * 11) % 256, (i * 17) % 256)
        # SetScalars would drop the array active before (p); keep it
        pd.AddArray(c)
        pd.SetActiveScalars("rgb")


def set_active(ds, scalars="p", vectors="U", cell_scalars="cp", cell_vectors="cU"):
    """Makes arrays the active attributes (legacy files write them as
    SCALARS/VECTORS; the others go into FIELD blocks)."""
    pd, cd = ds.GetPointData(), ds.GetCellData()
    if scalars and pd.GetArray(scalars):
        pd.SetActiveScalars(scalars)
    if vectors and pd.GetArray(vectors):
        pd.SetActiveVectors(vectors)
    if cell_scalars and cd.GetArray(cell_scalars):
        cd.SetActiveScalars(cell_scalars)
    if cell_vectors and cd.GetArray(cell_vectors):
        cd.SetActiveVectors(cell_vectors)


def with_point_type(ds, kind):
    """A shallow copy of `ds` whose points are Float32 or Float64."""
    out = ds.NewInstance()
    out.ShallowCopy(ds)
    pts = vtk.vtkPoints()
    pts.SetDataTypeToDouble() if kind == "Float64" else pts.SetDataTypeToFloat()
    pts.SetNumberOfPoints(ds.GetNumberOfPoints())
    for i in range(ds.GetNumberOfPoints()):
        pts.SetPoint(i, ds.GetPoint(i))
    out.SetPoints(pts)
    return out


# ----------------------------------------------------------------------------
# The surface a file describes and its facts


def copy_of(ds):
    out = ds.NewInstance()
    out.DeepCopy(ds)
    return out


def extract_cells(ds, ids):
    lst = vtk.vtkIdList()
    for i in ids:
        lst.InsertNextId(i)
    ex = vtk.vtkExtractCells()
    ex.SetInputData(ds)
    ex.SetCellList(lst)
    ex.Update()
    out = copy_of(ex.GetOutput())
    out.GetCellData().RemoveArray("vtkOriginalCellIds")
    out.GetPointData().RemoveArray("vtkOriginalPointIds")
    return out


def _surface(ds):
    sf = vtk.vtkDataSetSurfaceFilter()
    sf.SetInputData(ds)
    sf.Update()
    return copy_of(sf.GetOutput())


def _area(poly):
    if poly is None or poly.GetNumberOfCells() == 0:
        return 0.0
    tf = vtk.vtkTriangleFilter()
    tf.SetInputData(poly)
    tf.PassVertsOff()
    tf.PassLinesOff()
    mp = vtk.vtkMassProperties()
    mp.SetInputConnection(tf.GetOutputPort())
    mp.Update()
    return mp.GetSurfaceArea()


def _cell_key(ds, c, ids):
    ds.GetCellPoints(c, ids)
    return tuple(sorted(tuple(ds.GetPoint(ids.GetId(k))) for k in range(ids.GetNumberOfIds())))


def cell_dimensions(ds):
    dims = []
    for c in range(ds.GetNumberOfCells()):
        dims.append(ds.GetCell(c).GetCellDimension())
    return dims


def surface_of(ds):
    """(area, [cell data objects with the cells that make the surface]).

    2-D cells (polygons, strips, triangles, quads, pixels) count as they are;
    of 3-D cells the faces that belong to one cell only (vtkDataSetSurfaceFilter
    on the 3-D cells alone), which pass on the cell values of their cell; a
    2-D cell on the same corners as such a face counts once, with its own cell
    values. Vertices and lines count for nothing."""
    dims = cell_dimensions(ds)
    ids2 = [c for c, d in enumerate(dims) if d == 2]
    ids3 = [c for c, d in enumerate(dims) if d == 3]
    area = 0.0
    cell_data = []
    faces = set()
    lst = vtk.vtkIdList()
    keys2 = {_cell_key(ds, c, lst) for c in ids2}
    if ids3:
        bnd = _surface(extract_cells(ds, ids3))
        area += _area(bnd)
        keys = [_cell_key(bnd, c, lst) for c in range(bnd.GetNumberOfCells())]
        faces = set(keys)
        uncovered = [c for c, k in enumerate(keys) if k not in keys2]
        if uncovered:
            cell_data.append(extract_cells(bnd, uncovered).GetCellData())
    if ids2:
        lst = vtk.vtkIdList()
        alone = [c for c in ids2 if _cell_key(ds, c, lst) not in faces]
        if alone:
            area += _area(_surface(extract_cells(ds, alone)))
        cell_data.append(extract_cells(ds, ids2).GetCellData())
    return area, cell_data


def _listed(arr, skip):
    return (arr is not None and isinstance(arr, vtk.vtkDataArray) and arr.GetName()
            and arr.GetName() not in skip and 1 <= arr.GetNumberOfComponents() <= 9)


def _array_names(data, skip):
    out = {}
    for k in range(data.GetNumberOfArrays()):
        a = data.GetAbstractArray(k)
        if isinstance(a, vtk.vtkDataArray) and _listed(a, skip):
            out[a.GetName()] = a.GetNumberOfComponents()
    return out


def has_dim(ds, dim):
    return any(d == dim for d in cell_dimensions(ds))


def taken_blocks(blocks):
    """The blocks a reader merges into its surface: without volume blocks all
    blocks with a surface; with volume and surface blocks the surface blocks
    only (their patches cover the volume's boundary); with volume blocks only
    each block, as its boundary."""
    blocks = [b for b in blocks if b is not None and b.GetNumberOfPoints() > 0]
    vol = [b for b in blocks if has_dim(b, 3)]
    srf = [b for b in blocks if not has_dim(b, 3) and has_dim(b, 2)]
    if vol and srf:
        return srf
    return [b for b in blocks if has_dim(b, 3) or has_dim(b, 2)]


def facts(blocks, skip=()):
    """The facts of the surface merged from `blocks` (data sets)."""
    blocks = taken_blocks(blocks)
    if not blocks:
        raise RuntimeError("no block with a surface")
    n = sum(b.GetNumberOfPoints() for b in blocks)
    lo = [min(b.GetBounds()[2 * k] for b in blocks) for k in range(3)]
    hi = [max(b.GetBounds()[2 * k + 1] for b in blocks) for k in range(3)]
    area = 0.0
    surf_cells = []
    if len(blocks) > 1 and all(has_dim(b, 3) for b in blocks):
        # Volume pieces make one volume: faces two pieces share (by their
        # corners' positions) are inside it, and only the others are its boundary.
        lst = vtk.vtkIdList()
        bnds = [_surface(extract_cells(b, [c for c, d in enumerate(cell_dimensions(b)) if d == 3])) for b in blocks]
        keys = [[_cell_key(bnd, c, lst) for c in range(bnd.GetNumberOfCells())] for bnd in bnds]
        count = {}
        for ks in keys:
            for k in ks:
                count[k] = count.get(k, 0) + 1
        for bnd, ks in zip(bnds, keys):
            kept = [c for c, k in enumerate(ks) if count[k] == 1]
            if kept:
                part = _surface(extract_cells(bnd, kept))
                area += _area(part)
                surf_cells.append([part.GetCellData()])
    else:
        for b in blocks:
            a, cds = surface_of(b)
            area += a
            surf_cells.append(cds)
    # arrays present with the same component count in every block
    pnames = None
    cnames = None
    for b in blocks:
        p = _array_names(b.GetPointData(), skip)
        c = _array_names(b.GetCellData(), skip)
        pnames = p if pnames is None else {k: v for k, v in pnames.items() if p.get(k) == v}
        cnames = c if cnames is None else {k: v for k, v in cnames.items() if c.get(k) == v}
    point_arrays = []
    for name in sorted(pnames):
        comps = pnames[name]
        sums = []
        for k in range(comps):
            vals = []
            for b in blocks:
                vals += ns.vtk_to_numpy(b.GetPointData().GetArray(name)).reshape(-1, comps)[:, k].astype(np.float64).tolist()
            sums.append(math.fsum(vals))
        point_arrays.append((name, comps, sums))
    cell_arrays = []
    for name in sorted(cnames):
        comps = cnames[name]
        rows = []
        for cds in surf_cells:
            for cd in cds:
                a = cd.GetArray(name)
                if a is not None and a.GetNumberOfTuples():
                    rows.append(ns.vtk_to_numpy(a).reshape(-1, comps).astype(np.float64))
        if not rows:
            continue
        allv = np.concatenate(rows)
        mm = []
        for k in range(comps):
            mm += [float(allv[:, k].min()), float(allv[:, k].max())]
        cell_arrays.append((name, comps, mm))
    return {"points": n, "bounds": [v for pair in zip(lo, hi) for v in pair], "area": area,
            "point_arrays": point_arrays, "cell_arrays": cell_arrays}


def ref_text(script, writer, settings, f=None, times=None, refused=None):
    lines = ["# made by %s" % script, "writer %s" % writer, "settings %s" % settings]
    if refused:
        lines.append("refused %s" % refused)
        return "\n".join(lines) + "\n"
    lines.append("points %d" % f["points"])
    lines.append("bounds " + " ".join(num(v) for v in f["bounds"]))
    lines.append("area " + num(f["area"]))
    for name, comps, sums in f["point_arrays"]:
        lines.append("point_array %s %d %s" % (name, comps, " ".join(num(s) for s in sums)))
    for name, comps, mm in f["cell_arrays"]:
        lines.append("cell_array %s %d %s" % (name, comps, " ".join(num(s) for s in mm)))
    if times is not None:
        lines.append("times " + " ".join(num(t) for t in sorted(times)))
    return "\n".join(lines) + "\n"


def parse_ref(text):
    out = {"point_arrays": {}, "cell_arrays": {}}
    for line in text.splitlines():
        if not line or line.startswith("#"):
            continue
        key, _, rest = line.partition(" ")
        if key in ("writer", "settings", "refused"):
            out[key] = rest
        elif key == "points":
            out[key] = int(rest)
        elif key in ("bounds", "times"):
            out[key] = [float(v) for v in rest.split(" ")]
        elif key == "area":
            out[key] = float(rest)
        elif key in ("point_array", "cell_array"):
            f = rest.split(" ")
            out[key + "s"][f[0]] = (int(f[1]), [float(v) for v in f[2:]])
        else:
            raise ValueError("unknown line " + line)
    return out


# ----------------------------------------------------------------------------
# Reading back with VTK's own readers


def leaves(obj):
    """The data sets of a data object (a composite one's leaves in order)."""
    if obj is None:
        return []
    if isinstance(obj, vtk.vtkDataObjectTree):
        it = obj.NewTreeIterator()
        it.SkipEmptyNodesOn()
        it.VisitOnlyLeavesOn()
        it.InitTraversal()
        out = []
        while not it.IsDoneWithTraversal():
            out.append(it.GetCurrentDataObject())
            it.GoToNextItem()
        return out
    return [obj]


def _legacy_reader(path):
    r = vtk.vtkDataSetReader()
    r.SetFileName(path)
    r.ReadAllScalarsOn()
    r.ReadAllVectorsOn()
    r.ReadAllNormalsOn()
    r.ReadAllTensorsOn()
    r.ReadAllColorScalarsOn()
    r.ReadAllTCoordsOn()
    r.ReadAllFieldsOn()
    r.Update()
    return r.GetOutput()


def _xml_reader(path):
    ext = os.path.splitext(path)[1]
    if ext == ".vtpd":
        r = vtk.vtkXMLPartitionedDataSetReader()
    elif ext == ".vtpc":
        r = vtk.vtkXMLPartitionedDataSetCollectionReader()
    else:
        r = vtk.vtkXMLGenericDataObjectReader()
    r.SetFileName(path)
    r.Update()
    return r.GetOutputDataObject(0)


def collection_steps(path):
    """[(time, file)] of a .pvd or .series file, in increasing time."""
    folder = os.path.dirname(path)
    if path.endswith(".series"):
        with open(path, encoding="utf-8") as fh:
            doc = json.load(fh)
        steps = [(float(e["time"]), e["name"]) for e in doc["files"]]
    else:
        root = ET.parse(path).getroot()
        steps = [(float(e.get("timestep")), e.get("file")) for e in root.iter("DataSet")]
    return sorted((t, os.path.join(folder, f)) for t, f in steps)


def read_back(path):
    """(data object class name, data sets, times) as VTK's readers give them."""
    times = None
    if path.endswith(".pvd") or path.endswith(".series"):
        steps = collection_steps(path)
        times = [t for t, _ in steps]
        path = steps[0][1]
    if path.endswith(".vtk"):
        obj = _legacy_reader(path)
    else:
        obj = _xml_reader(path)
    if obj is None:
        raise RuntimeError("VTK could not read " + path)
    return obj.GetClassName(), leaves(obj), times


def check(path, skip=(), read_path=None):
    """Reads `path` (or `read_path`, a copy of it) back with VTK and compares
    with the .ref file of `path`; returns a list of differences (empty when
    all facts agree)."""
    with open(path + ".ref", encoding="utf-8") as fh:
        ref = parse_ref(fh.read())
    cls, blocks, times = read_back(read_path or path)
    if "refused" in ref:
        if cls not in ("vtkImageData", "vtkStructuredPoints"):
            return ["%s: expected image data, VTK read %s" % (path, cls)]
        return []
    got = facts(blocks, skip)
    bad = []

    def close(a, b, rel):
        return a == b or abs(a - b) <= rel * max(abs(a), abs(b), 1e-300)

    if got["points"] != ref["points"]:
        bad.append("points %d != %d" % (got["points"], ref["points"]))
    if got["bounds"] != ref["bounds"]:
        bad.append("bounds %s != %s" % (got["bounds"], ref["bounds"]))
    if not close(got["area"], ref["area"], 1e-12):
        bad.append("area %r != %r" % (got["area"], ref["area"]))
    for key in ("point_arrays", "cell_arrays"):
        mine = {n: (c, v) for n, c, v in got[key]}
        if set(mine) != set(ref[key]):
            bad.append("%s %s != %s" % (key, sorted(mine), sorted(ref[key])))
            continue
        for n, (c, v) in mine.items():
            rc, rv = ref[key][n]
            if c != rc or not all(close(a, b, 1e-13) for a, b in zip(v, rv)):
                bad.append("%s %s: %s != %s" % (key, n, v, rv))
    if ref.get("times") is not None and times != ref["times"]:
        bad.append("times %s != %s" % (times, ref["times"]))
    return [path + ": " + b for b in bad]


# ----------------------------------------------------------------------------
# Output folders and the README


def fresh_folder(name):
    """Empties the corpus folder `name` (only that folder) and returns it."""
    folder = os.path.join(CORPUS, name)
    if os.path.isdir(folder):
        shutil.rmtree(folder)
    os.makedirs(folder)
    return folder


README_TOP = """# Conformance corpus

Simulation files written by independent writers, each with the facts a
reader must find in it, for Flowskin's format tests to compare what Flowskin
loads with.

## Layout

- `vtk9/`: files written by VTK 9.1's own writers (Python module `vtk`), made by `make_vtk9.py`.
- `meshio/`: files written by meshio, made by `make_meshio.py`.
- `foam/`: an OpenFOAM case exported by foamToVTK, made by `make_foam.sh` (its own section below).
- `corpus_reference.py`: the data sets, the reference facts and their check, shared by both scripts.

Beside each file a user opens, `NAME.EXT`, lies `NAME.EXT.ref`. In `vtk9/`
and `meshio/` the files a collection refers to (pieces, blocks, time steps)
have no `.ref` of their own.

## The .ref files

Plain text, one fact per line, `#` starts a comment line, fields separated by
single blanks:

```
writer WRITER                      # who wrote the file
settings SETTINGS                  # the writer's options
points N                           # points over all pieces (a collection: the sum over the pieces taken; a time collection: its first step)
bounds xmin xmax ymin ymax zmin zmax   # of those N points, used by a surface cell or not
area A                             # area of the surface the file describes
point_array NAME C s_0 ... s_{C-1}                      # per-component sum over all N points
cell_array NAME C min_0 max_0 ... min_{C-1} max_{C-1}   # per-component range over the cells that make the surface
times t_0 t_1 ...                  # .pvd and .series only: the step times in increasing order
```

A file Flowskin must refuse has `refused WORDS` instead of the facts: the
refusal message contains WORDS.

The surface a file describes: polygons, triangle strips and 2-D cells as they
are; of 3-D cells the faces that belong to one 3-D cell only; a 2-D cell on
the same corners as such a face counts once, with its own cell values.
Vertices and lines are no surface. `cell_array` ranges run over every 2-D
cell and every 3-D cell that owns a boundary face no 2-D cell lies on. A
collection (`.vtm`, `.vtpd`, `.vtpc`, `.pvtp`, `.pvtu`) is merged from its
blocks: when it holds volume blocks and surface blocks only the surface
blocks are taken; volume blocks alone make one volume, whose boundary leaves
out the faces two blocks share (by their corners' positions). `points`,
`bounds` and `point_array` run over the blocks taken; an array is listed when
every block taken holds it with the same component count. Listed are the
point and cell arrays of 1 to 9 numeric components, except legacy texture
coordinates and colour scalars.

Numbers are printed with 17 significant digits. In `vtk9/` and `meshio/` all
coordinates and values but the Float64 array `rho` are multiples of 1/32, so
`bounds` and the sums but that of `rho` are exact whatever order a reader adds
in; `area` comes from VTK (vtkDataSetSurfaceFilter, vtkTriangleFilter,
vtkMassProperties) and is exact to rounding only. Every quad and polygon there
is planar, so the area does not depend on how a reader cuts them into
triangles (one polygon is concave).

## Making the files again

```
/usr/bin/python3 tests/formats/corpus/make_vtk9.py
/usr/bin/python3 tests/formats/corpus/make_meshio.py
```

(Debian's python3 with python3-vtk9 and python3-meshio.) Each script empties
its own folder, writes the files and their `.ref` files, then reads every file
back with VTK's readers and checks the facts again; it fails if any differs.
"""


def update_readme(section, body):
    """Writes `body` as the README section `## section`, keeping the others."""
    path = os.path.join(CORPUS, "README.md")
    text = README_TOP
    if os.path.exists(path):
        with open(path, encoding="utf-8") as fh:
            text = fh.read()
        # the top part is this module's: write it anew up to the first
        # section it does not hold
        own = {line for line in README_TOP.splitlines() if line.startswith("## ")}
        if text.startswith(README_TOP.splitlines()[0]):
            pos = 0
            while True:
                pos = text.find("\n## ", pos + 1)
                if pos < 0 or text[pos + 1:].split("\n", 1)[0] not in own:
                    break
            text = "" if pos < 0 else text[pos + 1:]
        text = README_TOP + "\n" + text
    head = "## " + section + "\n"
    new = head + "\n" + body.rstrip("\n") + "\n"
    if head in text:
        start = text.index(head)
        nxt = text.find("\n## ", start + len(head))
        text = text[:start] + new + ("" if nxt < 0 else "\n" + text[nxt + 1:])
    else:
        text = text.rstrip("\n") + "\n\n" + new
    with open(path, "w", encoding="utf-8") as fh:
        fh.write(text)


def table(rows):
    out = ["| file | writer | settings |", "| --- | --- | --- |"]
    for f, w, s in rows:
        out.append("| `%s` | %s | %s |" % (f, w, s))
    return "\n".join(out) + "\n"

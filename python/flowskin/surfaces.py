"""Surfaces made from numpy arrays or meshio meshes, handed to Flowskin as
files of its own kind: legacy VTK polygon data (binary), one file per time
step with a ".series" list when the vectors change over time. Shapes and
values are checked first; a bad one is refused naming the array."""
import json
import os
import tempfile

import numpy as np


def _checked(name, a, columns, rows=None, dtype=np.float64):
    try:
        a = np.asarray(a, dtype=dtype)
    except (TypeError, ValueError) as e:
        raise ValueError(f"{name} must be numbers: {e}") from None
    want = "N" if rows is None else str(rows)
    shape_ok = a.ndim == 2 and a.shape[1] == columns if columns else a.ndim == 1
    if not shape_ok or (rows is not None and a.shape[0] != rows):
        wanted = f"{want} x {columns}" if columns else f"{want} values"
        raise ValueError(f"{name} must be an array of {wanted}, not one of shape {a.shape}")
    if a.dtype.kind == "f":
        bad = np.argwhere(~np.isfinite(a))
        if len(bad):
            raise ValueError(f"{name} has a value that is not finite ({a[tuple(bad[0])]} at row {bad[0][0]})")
    return a


class Surface:
    """A triangulated surface from arrays.

    points: N x 3; triangles: M x 3 point indices; vectors: the flow, N x 3,
    or a list of N x 3 arrays, one per time step (times: their times, else
    0, 1, 2, ...); scalars: {name: N values} for colouring by data.
    """

    def __init__(self, points, triangles, vectors=None, scalars=None, times=None):
        self.points = _checked("points", points, 3)
        n = len(self.points)
        if n == 0:
            raise ValueError("points must hold at least one point")
        self.triangles = _checked("triangles", triangles, 3, dtype=np.int64)
        if len(self.triangles) == 0:
            raise ValueError("triangles must hold at least one triangle")
        low, high = self.triangles.min(), self.triangles.max()
        if low < 0 or high >= n:
            raise ValueError(f"triangles name point {low if low < 0 else high}, but there are {n} points")
        steps = vectors if isinstance(vectors, (list, tuple)) else ([] if vectors is None else [vectors])
        self.steps = [_checked(f"vectors[{i}]" if len(steps) > 1 else "vectors", v, 3, n) for i, v in enumerate(steps)]
        self.scalars = {str(k): _checked(f"scalars['{k}']", v, 0, n) for k, v in (scalars or {}).items()}
        for k in self.scalars:
            if not k or any(c.isspace() for c in k):
                raise ValueError(f"scalars: the name '{k}' must be a word without blanks")
        if times is None:
            self.times = list(range(len(self.steps)))
        else:
            self.times = [float(t) for t in times]
            if len(self.times) != len(self.steps):
                raise ValueError(f"times has {len(self.times)} values for {len(self.steps)} steps of vectors")
            if any(b <= a for a, b in zip(self.times, self.times[1:])) or not np.all(np.isfinite(self.times)):
                raise ValueError("times must be finite and increasing")

    def _write_step(self, path, vectors):
        be = ">f4"
        with open(path, "wb") as f:
            n, m = len(self.points), len(self.triangles)
            f.write(b"# vtk DataFile Version 3.0\nflowskin surface\nBINARY\nDATASET POLYDATA\n")
            f.write(f"POINTS {n} float\n".encode())
            f.write(self.points.astype(be).tobytes() + b"\n")
            cells = np.hstack([np.full((m, 1), 3, dtype=np.int64), self.triangles]).astype(">i4")
            f.write(f"POLYGONS {m} {4 * m}\n".encode())
            f.write(cells.tobytes() + b"\n")
            if vectors is None and not self.scalars:
                return
            f.write(f"POINT_DATA {n}\n".encode())
            if vectors is not None:
                f.write(b"VECTORS velocity float\n")
                f.write(vectors.astype(be).tobytes() + b"\n")
            for name, values in self.scalars.items():
                f.write(f"SCALARS {name} float 1\nLOOKUP_TABLE default\n".encode())
                f.write(values.astype(be).tobytes() + b"\n")

    def write(self, folder):
        """Writes the surface's files into `folder`; the path to open."""
        if len(self.steps) <= 1:
            path = os.path.join(folder, "surface.vtk")
            self._write_step(path, self.steps[0] if self.steps else None)
            return path
        files = []
        for i, v in enumerate(self.steps):
            name = f"surface_{i:04d}.vtk"
            self._write_step(os.path.join(folder, name), v)
            files.append({"name": name, "time": self.times[i]})
        path = os.path.join(folder, "surface.vtk.series")
        with open(path, "w") as f:
            json.dump({"file-series-version": "1.0", "files": files}, f)
        return path


def from_meshio(mesh, vectors=None):
    """A Surface from a meshio.Mesh: its triangles, the point array named
    `vectors` (else the first of three components) as the flow, and its
    one-component point arrays as scalars."""
    triangles = [c.data for c in mesh.cells if c.type == "triangle"]
    if not triangles:
        raise ValueError("the meshio mesh has no triangle cells")
    points = np.asarray(mesh.points, dtype=np.float64)
    if points.ndim == 2 and points.shape[1] == 2:
        points = np.hstack([points, np.zeros((len(points), 1))])
    flow, scalars = None, {}
    for name, data in mesh.point_data.items():
        data = np.asarray(data)
        if data.ndim == 2 and data.shape[1] == 3 and flow is None and (vectors is None or name == vectors):
            flow = data
        elif data.ndim == 1 or (data.ndim == 2 and data.shape[1] == 1):
            scalars[name] = data.reshape(-1)
    if vectors is not None and flow is None:
        raise ValueError(f"the meshio mesh has no point array '{vectors}' of three components")
    return Surface(points, np.vstack(triangles), flow, scalars)


class _Source:
    """A path to open, and the folder of a surface's files while it is needed."""

    def __init__(self, path, folder=None):
        self.path = path
        self._folder = folder


def source_path(source):
    """What Flowskin opens for a file name, a Surface or a meshio.Mesh."""
    if isinstance(source, (str, os.PathLike)):
        return _Source(os.fspath(source))
    if not isinstance(source, Surface):
        if hasattr(source, "points") and hasattr(source, "cells"):
            source = from_meshio(source)
        else:
            raise TypeError(f"a source is a file name, a flowskin.Surface or a meshio.Mesh, not {type(source).__name__}")
    folder = tempfile.TemporaryDirectory(prefix="flowskin_")
    return _Source(source.write(folder.name), folder)

#!/usr/bin/env python3
"""Writes simulation files made to take all the memory or time a load has,
for timing their refusal (/usr/bin/time -v build/flowskin FILE --dry-run):

  claim.vtp    1 MB: a zlib header claims 4 GiB of points, the blocks missing
  zeros.vtp    7.9 MB of real zlib blocks of zeros inflating to 4 GiB
  loop_a.vtm   three 5 kB multiblock files naming each other 100 times each
  many.vtm     0.8 MB naming one 15 kB piece 20,000 times
  sparse.vtp   a 2 GiB sparse file

Usage: make_hostile_vtk.py FOLDER"""
import os
import struct
import sys
import zlib

folder = sys.argv[1]
os.makedirs(folder, exist_ok=True)


def path(name):
    return os.path.join(folder, name)


def zero_points_vtp(points, real_blocks):
    total, block = points * 12, 65536
    blocks = (total + block - 1) // block
    packed = zlib.compress(bytes(block))
    head = struct.pack("<3I", blocks, block, total % block) + struct.pack("<I", len(packed)) * blocks
    body = packed * blocks if real_blocks else b"x" * (1 << 20)
    return (b'<?xml version="1.0"?>\n<VTKFile type="PolyData" version="1.0" byte_order="LittleEndian" '
            b'compressor="vtkZLibDataCompressor">\n<PolyData><Piece NumberOfPoints="%d" NumberOfPolys="0">'
            b'<Points><DataArray type="Float32" NumberOfComponents="3" format="appended" offset="0"/></Points>'
            b'</Piece></PolyData>\n<AppendedData encoding="raw">\n_' % points + head + body +
            b"\n</AppendedData>\n</VTKFile>\n")


def vtm(files):
    lines = ["<VTKFile type='vtkMultiBlockDataSet' version='1.0'><vtkMultiBlockDataSet>"]
    lines += ["<DataSet index='%d' file='%s'/>" % (i, f) for i, f in enumerate(files)]
    return ("\n".join(lines) + "\n</vtkMultiBlockDataSet></VTKFile>\n").encode()


def piece_vtp(n):
    # An n x n sheet of quads, in ascii: about 15 kB for n = 20.
    pts = " ".join("%d %d 0" % (i % (n + 1), i // (n + 1)) for i in range((n + 1) ** 2))
    conn, offs = [], []
    for j in range(n):
        for i in range(n):
            a = j * (n + 1) + i
            conn += [a, a + 1, a + n + 2, a + n + 1]
            offs.append(len(conn))
    return ('<VTKFile type="PolyData" version="1.0"><PolyData><Piece NumberOfPoints="%d" NumberOfPolys="%d">'
            '<Points><DataArray type="Float32" NumberOfComponents="3" format="ascii">%s</DataArray></Points>'
            '<Polys><DataArray type="Int32" Name="connectivity" format="ascii">%s</DataArray>'
            '<DataArray type="Int32" Name="offsets" format="ascii">%s</DataArray></Polys>'
            '</Piece></PolyData></VTKFile>\n' % ((n + 1) ** 2, n * n, pts, " ".join(map(str, conn)),
                                                  " ".join(map(str, offs)))).encode()


open(path("claim.vtp"), "wb").write(zero_points_vtp(357913941, False))
open(path("zeros.vtp"), "wb").write(zero_points_vtp(357913941, True))
loop = ["loop_a.vtm", "loop_b.vtm", "loop_c.vtm"] * 100
for name in ("loop_a.vtm", "loop_b.vtm", "loop_c.vtm"):
    open(path(name), "wb").write(vtm(loop))
open(path("piece.vtp"), "wb").write(piece_vtp(20))
open(path("many.vtm"), "wb").write(vtm(["piece.vtp"] * 20000))
with open(path("sparse.vtp"), "wb") as f:
    f.truncate(2 << 30)
for name in sorted(os.listdir(folder)):
    print("%10d  %s" % (os.path.getsize(path(name)), name))

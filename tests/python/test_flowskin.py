"""The Python module against the batch command it shares its drawing with,
and its own ways in: arrays, meshio meshes, sessions, many cases on Dask."""
import os
import subprocess

import numpy as np
import pytest

import flowskin

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
EXAMPLES = os.path.join(ROOT, "examples")
PROGRAM = os.environ.get("FLOWSKIN_EXE", os.path.join(ROOT, "build", "flowskin"))


def read_png(path):
    import zlib
    import struct

    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, idat, w, h = 8, b"", 0, 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            w, h, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour in (2, 6), (depth, colour)
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = w * channels
    rows, prev = [], bytearray(stride)
    for y in range(h):
        f, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b, c = prev[i], prev[i - channels] if i >= channels else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line))
        prev = line
    return np.frombuffer(b"".join(rows), dtype=np.uint8).reshape(h, w, channels)[:, :, :3]


def run_batch(tmp_path, source, size, warmup, frames, steps):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    out = tmp_path / "f.png"
    args = [PROGRAM, source, "--size", f"{size[0]}x{size[1]}", "--warmup", str(warmup), "--frames", str(frames),
            "-o", str(out)] + steps
    subprocess.run(args, check=True, env=env, capture_output=True)
    names = [out] if frames == 1 else [tmp_path / f"f{i:03d}.png" for i in range(1, frames + 1)]
    return [read_png(n) for n in names]


# The one-call form gives the batch command's frames, pixel for pixel.
@pytest.mark.parametrize("source, kwargs, steps", [
    ("torus_flow.ply", dict(preset="Rainbow", ud_rotate=20),
     ["--preset", "Rainbow", "--set", "ud_rotate=20"]),
    ("sphere.ply", dict(preset=["F. Pencil", "Axis flow Y"], view="iso"),
     ["--preset", "F. Pencil", "--preset", "Axis flow Y", "--view", "iso"]),
    ("motorbike_wss.vtp", dict(rbfile=True, cb_file_array="p", cbTexData=True, cb_colour_map="Viridis"),
     ["--set", "rbfile=1", "--set", "cb_file_array=p", "--set", "cbTexData=1", "--set", "cb_colour_map=Viridis"]),
])
def test_render_equals_the_batch_commands_frames(tmp_path, source, kwargs, steps):
    path = os.path.join(EXAMPLES, source)
    frames = flowskin.render(path, size=(160, 120), warmup=4, frames=3, **kwargs)
    assert [f.shape for f in frames] == [(120, 160, 3)] * 3 and frames[0].dtype == np.uint8
    written = run_batch(tmp_path, path, (160, 120), 4, 3, steps)
    for i, (drawn, batch) in enumerate(zip(frames, written)):
        assert np.array_equal(drawn, batch), f"frame {i + 1}"
    assert not np.array_equal(frames[0], frames[-1])


def uv_sphere(n=24):
    """Points, triangles and a swirl around z on a unit sphere."""
    th, ph = np.meshgrid(np.linspace(0.1, np.pi - 0.1, n), np.linspace(0, 2 * np.pi, 2 * n, endpoint=False))
    pts = np.stack([np.sin(th) * np.cos(ph), np.sin(th) * np.sin(ph), np.cos(th)], -1).reshape(-1, 3)
    idx = np.arange(len(pts)).reshape(2 * n, n)
    a, b = idx[:, :-1], np.roll(idx, -1, 0)[:, :-1]
    c, d = idx[:, 1:], np.roll(idx, -1, 0)[:, 1:]
    tris = np.concatenate([np.stack([a, b, d], -1).reshape(-1, 3), np.stack([a, d, c], -1).reshape(-1, 3)])
    swirl = np.stack([-pts[:, 1], pts[:, 0], np.zeros(len(pts))], -1)
    return pts, tris, swirl


def test_a_surface_from_arrays_draws_and_a_meshio_mesh_of_the_same_arrays_draws_the_same():
    pts, tris, swirl = uv_sphere()
    height = pts[:, 2].copy()
    colour = dict(rbfile=True, cb_file_array="height", cbTexData=True)
    surface = flowskin.Surface(pts, tris, vectors=swirl, scalars={"height": height})
    frames = flowskin.render(surface, size=(96, 96), warmup=3, frames=2, **colour)
    on_sphere, corner = frames[-1][48, 30], frames[-1][2, 2]
    assert not np.array_equal(on_sphere, corner)
    import meshio

    mesh = meshio.Mesh(pts, [("triangle", tris)], point_data={"velocity": swirl, "height": height})
    assert all(np.array_equal(a, b) for a, b in
               zip(frames, flowskin.render(mesh, size=(96, 96), warmup=3, frames=2, **colour)))
    # Vectors over time: one array per step, the time control steps through them.
    steps = flowskin.render(flowskin.Surface(pts, tris, vectors=[swirl, -swirl], times=[0.0, 0.5]),
                            size=(96, 96), frames=2)
    assert len(steps) == 2


@pytest.mark.parametrize("make, message", [
    (lambda p, t, v: flowskin.Surface(p[:, :2], t), "points must be an array of N x 3, not one of shape"),
    (lambda p, t, v: flowskin.Surface(p, t[:, :2]), "triangles must be an array of N x 3"),
    (lambda p, t, v: flowskin.Surface(p, t + len(p)), "triangles name point"),
    (lambda p, t, v: flowskin.Surface(p, t, vectors=v[:-1]), "vectors must be an array of"),
    (lambda p, t, v: flowskin.Surface(p, t, vectors=np.where(v == v.max(), np.nan, v)), "vectors has a value that is not finite"),
    (lambda p, t, v: flowskin.Surface(p, t, vectors=[v, v], times=[1, 1]), "times must be finite and increasing"),
    (lambda p, t, v: flowskin.Surface(p, t, scalars={"h": p}), "scalars['h'] must be an array of"),
    (lambda p, t, v: flowskin.render(p), "a source is a file name, a flowskin.Surface or a meshio.Mesh"),
])
def test_bad_arrays_are_refused_naming_the_array(make, message):
    pts, tris, swirl = uv_sphere(8)
    with pytest.raises((ValueError, TypeError)) as e:
        make(pts, tris, swirl)
    assert message in str(e.value)


def test_a_session_takes_controls_views_and_probes_and_refuses_with_flowskins_messages():
    s = flowskin.Session(os.path.join(EXAMPLES, "torus_flow.ply"), size=(128, 96), preset="Rainbow")
    first = s.frame()
    s.set(ud_rotate=30).view("+z").turn(10, 0)
    assert not np.array_equal(first, s.frames(2, warmup=1)[-1])
    assert s.probe(40, 48).startswith("x 0.9")  # on the ring, seen from +z
    assert "flow 1.129 along" in s.probe(40, 48)
    assert s.probe(64, 48) == "off the surface"  # the hole
    for call, message in [
        (lambda: s.set(ud_vz=500), "ud_vz = 500 is out of its range -100..100"),
        (lambda: s.preset("Shiny"), "unknown preset 'Shiny'"),
        (lambda: s.view("up"), "--view"),
        (lambda: s.set(cb_subdiv=True), "is a \"Mesh input\" option"),
        (lambda: flowskin.Session(os.path.join(EXAMPLES, "none.ply")), 'Cannot load "none.ply": File not found'),
    ]:
        with pytest.raises(flowskin.FlowskinError) as e:
            call()
        assert message in str(e.value)


def test_write_makes_the_batch_commands_files(tmp_path):
    torus = os.path.join(EXAMPLES, "torus.ply")
    flowskin.write(torus, tmp_path / "a.png", size=(64, 48), frames=2, preset="Dirty")
    run_batch(tmp_path / "b", torus, (64, 48), 0, 2, ["--preset", "Dirty"]) if (tmp_path / "b").mkdir() is None else None
    for n in ("001", "002"):
        assert (tmp_path / f"a{n}.png").read_bytes() == (tmp_path / "b" / f"f{n}.png").read_bytes()
    flowskin.write(torus, tmp_path / "m.webm", size=(64, 48), frames=5, fps=10)
    assert (tmp_path / "m.webm").read_bytes()[:4] == b"\x1a\x45\xdf\xa3"  # a WebM (Matroska) file
    with pytest.raises(flowskin.FlowskinError, match="does not exist"):
        flowskin.write(torus, tmp_path / "no" / "x.png")


def test_many_cases_on_a_local_cluster_equal_each_rendered_alone():
    distributed = pytest.importorskip("distributed")
    cases = [dict(source=os.path.join(EXAMPLES, name), size=(80, 60), warmup=2, frames=1, preset=preset, view=view)
             for name, preset, view in [("torus.ply", "Dirty", None), ("sphere.ply", "F. Pencil", "iso"),
                                        ("torus_flow.ply", "Rainbow", "+x"), ("box.ply", None, "iso")]]
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        results = flowskin.render_many(cases, client)
    assert len(results) == len(cases)
    for case, frames in zip(cases, results):
        case = dict(case)
        alone = flowskin.render(case.pop("source"), **case)
        assert np.array_equal(frames[0], alone[0]), case

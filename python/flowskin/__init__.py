"""Flowskin from Python: flow on curved surfaces drawn as a dense animated
texture, with no display.

Open any file Flowskin reads, or a surface made from numpy arrays or a
meshio mesh (flowskin.Surface, flowskin.from_meshio); set controls by their
names as the batch command's --set does; draw frames as numpy arrays
(H x W x 3, uint8) or write pictures and movies:

    import flowskin
    frames = flowskin.render("examples/torus_flow.ply", size=(320, 240),
                             warmup=20, frames=3, preset="Rainbow", ud_rotate=20)
    frames[0].shape      # (240, 320, 3)

Controls are applied in this order: the preset(s), then the controls in the
order given, then the view. What Flowskin refuses raises FlowskinError with
its own message.
"""
import os

from . import _flowskin
from ._flowskin import FlowskinError
from .surfaces import Surface, from_meshio, source_path
from .many import render_many

__all__ = ["FlowskinError", "Session", "Surface", "from_meshio", "render", "render_many", "write", "options"]

_flowskin.set_import_worker(os.path.join(os.path.dirname(os.path.abspath(__file__)), "flowskin-import"))

VIEWS = ("+x", "-x", "+y", "-y", "+z", "-z", "iso")


def options():
    """The batch command's options and what --set takes (its --help)."""
    return _flowskin.usage()


def _value_text(value):
    if isinstance(value, bool):
        return "1" if value else "0"
    if isinstance(value, (tuple, list)):
        return ",".join(str(int(v)) for v in value)  # a colour r,g,b
    return str(value)


def _steps(preset=None, view=None, controls=None, turn=None, zoom=None, pan=None):
    """Batch arguments for presets, controls and view changes, in that order."""
    args = []
    presets = [preset] if isinstance(preset, str) else list(preset or [])
    for p in presets:
        args += ["--preset", p]
    for name, value in (controls or {}).items():
        args += ["--set", f"{name}={_value_text(value)}"]
    if view is not None:
        args += ["--view", view]
    if turn is not None:
        args += ["--turn", f"{turn[0]},{turn[1]}"]
    if zoom is not None:
        args += ["--zoom", str(zoom)]
    if pan is not None:
        args += ["--pan", f"{pan[0]},{pan[1]}"]
    return args


def _size_text(size):
    w, h = size
    return f"{int(w)}x{int(h)}"


class Session:
    """One scene drawn frame by frame: a source, a drawing size and controls.

    s = flowskin.Session("examples/sphere.ply", size=(256, 256), preset="F. Pencil")
    s.set(ud_rotate=20); s.view("iso"); frame = s.frame()
    """

    def __init__(self, source, size=(512, 512), preset=None, view=None, **controls):
        self._source = source_path(source)  # keeps a surface's files while the session lives
        args = ["flowskin", self._source.path, "--size", _size_text(size), "-o", "frame.png"]
        self._session = _flowskin.Session(args + _steps(preset, view, controls))
        self.size = (int(size[0]), int(size[1]))

    def _apply(self, steps):
        self._session.apply(["flowskin", self._source.path, "-o", "frame.png"] + steps)
        return self

    def set(self, **controls):
        """Sets controls by name, as --set NAME=VALUE does."""
        return self._apply(_steps(controls=controls))

    def preset(self, name):
        return self._apply(["--preset", name])

    def press(self, name):
        """Presses a button of the tabs by its name or tab and caption."""
        return self._apply(["--press", name])

    def view(self, name):
        """Looks along an axis ("+x", "-y", ...) or from the "iso" corner."""
        return self._apply(["--view", name])

    def turn(self, x, y):
        return self._apply(["--turn", f"{x},{y}"])

    def zoom(self, factor):
        return self._apply(["--zoom", str(factor)])

    def pan(self, dx, dy):
        return self._apply(["--pan", f"{dx},{dy}"])

    def image(self, path):
        """Maps a picture onto the surface ("Load image...")."""
        return self._apply(["--image", os.fspath(path)])

    def frame(self):
        """Draws one step of the animation; its frame, H x W x 3 uint8."""
        self._session.step()
        return self._session.picture()

    def frames(self, n, warmup=0):
        for _ in range(warmup):
            self._session.step()
        return [self.frame() for _ in range(n)]

    def probe(self, x, y):
        """What the status line shows for pixel (x, y) from the top left."""
        return self._session.probe(int(x), int(y))


def render(source, size=(512, 512), warmup=0, frames=1, preset=None, view=None, **controls):
    """N frames after `warmup` unwritten ones: the frames the batch command
    writes for the same options, as numpy arrays."""
    return Session(source, size, preset, view, **controls).frames(frames, warmup)


def write(source, output, size=(512, 512), warmup=0, frames=1, fps=None, quality=None, preset=None, view=None,
          **controls):
    """Writes pictures (.png, .bmp; numbered when frames > 1) or a movie
    (.mp4, .webm) as the batch command does."""
    keep = source_path(source)
    args = ["flowskin", keep.path, "--size", _size_text(size), "--warmup", str(warmup), "--frames", str(frames),
            "-o", os.fspath(output)]
    if fps is not None:
        args += ["--fps", str(fps)]
    if quality is not None:
        args += ["--quality", str(quality)]
    _flowskin.write(args + _steps(preset, view, controls))

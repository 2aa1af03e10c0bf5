#pragma once
// Per-vertex opacity of the shaded and data-coloured surface passes when
// "Modulate alpha for data" is on.

// a: the pass alpha (0..1); v: the vertex's norm_value (data mapped to 0..1 by
// the channel range). Below 0 the vertex is opaque, above 1 it gets a, in
// between 1 - (1 - a) v; `inverse` then turns o into 1 - o + a, so with
// "Inverse" the low values get a and the high values are opaque.
double SurfaceOpacity(double a, double v, bool inverse);

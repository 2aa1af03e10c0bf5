#pragma once
// GL half of the render-state refresh: the 1-D colour map texture of the
// data-coloured passes and the whole RefreshRenderState.
#include "app_state.h"
#include "data/render_state.h"

// GL_TEXTURE_1D (default object): CLAMP wrap, NEAREST filters, and the global
// texture environment GL_MODULATE so lighting still shades the map colours.
void SetColourMapParameters();

// Loads the 256 texels from the "Min" to the "Max" colour into the default
// 1-D texture (GL_RGB, one byte per component).
void BuildColourMap(int32_t min_colour, int32_t max_colour, bool long_way);
// Loads the texels of the map the controls choose.
void BuildColourMap(const TRenderStateControls& c);

// SetColourMapParameters and BuildColourMap from the controls: for the GL
// initialisation, so a map built before the context existed is not lost.
void InitColourMap(const TRenderStateControls& c);

// data_channel from the radios; with `rebuild` also the colour map (only when
// `gl_current`: the panel's context is current); per-vertex cur_value and
// norm_value; scene_dirty := true. Returns the texts for eddmin / eddmax,
// which the caller writes only when `rebuild` is set.
TRangeTexts RefreshRenderState(TAppState& app, const TRenderStateControls& c, bool rebuild, bool gl_current = true);

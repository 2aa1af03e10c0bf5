#pragma once
// Text in the frame (window pixels): the legend's numbers and title and the
// annotations, drawn by the toolkit's text renderer so that every character
// its font has is shown, with smoothed edges.
#include <QColor>
#include <QFont>
#include <cstdint>
#include <string>

// The frame's text font, DejaVu Sans at `pixels`.
QFont PanelFont(int32_t pixels);

// Matrices that map window pixels (origin lower left) of a w x h panel, the
// frame's own pushed beneath them; EndWindowPixels gives them back.
void BeginWindowPixels(int32_t w, int32_t h);
void EndWindowPixels();

// `text` drawn into a picture of width x height (its baseline `ascent` below
// the top, ink on transparent) and blended into the frame with the picture's
// lower-left corner at window pixel (x, y). Expects blending on with
// (source alpha, one minus source alpha) and the raster position free to move.
void DrawPanelText(int32_t x, int32_t y, int32_t width, int32_t height, const std::string& text, const QFont& font,
                   int32_t ascent, const QColor& ink);

#pragma once
// The texture measures of a picture as it was written or grabbed: its grey
// levels, and its surface told from the background by the background's exact
// colour (connected regions of that colour of at least 400 pixels; smaller
// ones are texture that happens to match).
#include <QImage>

#include "advection/texture_measures.h"

// `background`: 0xRRGGBB; by default the colour of the top-left pixel.
TTextureMeasures MeasurePicture(const QImage& picture, int64_t background = -1);

// The shape measures of `picture` against `shaded`, the same view with the
// texture off (same size), over the surface as `shaded` shows it.
TShapeMeasures MeasurePictureShape(const QImage& picture, const QImage& shaded, int64_t background = -1);

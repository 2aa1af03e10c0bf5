#pragma once
// How crisp the flow texture of a picture looks, measured the way a reader
// judges it: the picture's grey levels minus their 9 x 9 box mean (the
// texture without the shading's slow changes), its standard deviation
// (contrast, in grey levels 0..255) and the mean coherence of its structure
// tensor (streakiness: near 0 for isotropic noise, 1 for parallel lines).
// Both are taken over the surface's interior only, the pixels whose whole
// neighbourhood the measures read lies on the surface, so the silhouette and
// the background do not count. Plain C++, window pixels throughout.
#include <cstddef>
#include <cstdint>
#include <vector>

// Grey levels of a picture, row-major, rows top to bottom.
struct TGreyImage {
  int32_t width = 0, height = 0;
  std::vector<double> grey;  // width * height values, 0..255
  double At(int32_t x, int32_t y) const { return grey[static_cast<size_t>(y) * width + x]; }
};

// Side of the box whose mean is taken away, and of the box over which the
// structure tensor is averaged.
constexpr int32_t kMeasureBox = 9;
// Distance from the silhouette that the measures need: the box radius twice
// (high pass, then tensor average) plus one for the central differences.
constexpr int32_t kInteriorMargin = kMeasureBox / 2 * 2 + 1;

// Grey level of an 8-bit RGB colour (Rec. 601 weights).
double GreyOf(uint8_t r, uint8_t g, uint8_t b);

// Box mean of side `box` (odd) at every pixel; near the picture's edges the
// box is cut to the pixels that exist.
std::vector<double> BoxMean(const std::vector<double>& v, int32_t width, int32_t height, int32_t box);

// The picture minus its kMeasureBox box mean.
std::vector<double> HighPass(const TGreyImage& img);

// The surface of a picture from the pixels that have the background's colour
// (`background_colour`, 1 = that colour): background is every 4-connected
// region of them with at least `min_region` pixels; the few pixels of the
// textured surface that happen to have the background's colour stay surface.
// Returns 1 for surface, 0 for background.
std::vector<uint8_t> SurfaceOf(const std::vector<uint8_t>& background_colour, int32_t width, int32_t height,
                               int64_t min_region);

// 1 where every pixel of the (2 margin + 1)-wide square around it is inside
// the picture and marked in `surface` (1 = surface, 0 = background).
std::vector<uint8_t> InteriorOf(const std::vector<uint8_t>& surface, int32_t width, int32_t height, int32_t margin);

// Coherence of a structure tensor (jxx, jxy, jyy): (l1 - l2) / (l1 + l2) of its
// eigenvalues, 0 when the tensor is zero.
double Coherence(double jxx, double jxy, double jyy);

struct TTextureMeasures {
  double contrast = 0;          // standard deviation of the high-passed grey levels over the interior
  double coherence = 0;         // mean structure-tensor coherence over the interior
  double mean = 0;              // mean grey level over the interior (of the picture, not high-passed)
  int64_t interior_pixels = 0;  // pixels measured; all measures are 0 when there are none
};

// Both measures of `img` over the interior of `surface` (same size, 1 =
// surface). The tensor is built from central differences of the high-passed
// picture and averaged over a kMeasureBox box.
TTextureMeasures MeasureTexture(const TGreyImage& img, const std::vector<uint8_t>& surface);

// Gaussian blur of standard deviation `sigma` pixels (a separable kernel cut
// at 3 sigma; near the edges the kernel is cut to the pixels that exist and
// renormalised).
std::vector<double> GaussianBlur(const std::vector<double>& v, int32_t width, int32_t height, double sigma);

// Whether a picture's large-scale light and dark follow the surface's shape:
// the correlation of the Gaussian-blurred (sigma) grey levels of `picture`
// and of `shaded` (the same view with the texture off) over the pixels marked
// in `surface`, both blurred inside the surface only (the background's colour
// does not leak in at the silhouette); and the share of those pixels whose grey level is 0 or 255
// (clipped to black or white).
struct TShapeMeasures {
  double correlation = 0;
  double clipped = 0;  // 0..1
  int64_t surface_pixels = 0;
};
TShapeMeasures MeasureShape(const TGreyImage& picture, const TGreyImage& shaded, const std::vector<uint8_t>& surface,
                            double sigma = 10);

#include "advection/texture_measures.h"

#include <algorithm>
#include <cmath>

namespace {

size_t Index(int32_t x, int32_t y, int32_t width) { return static_cast<size_t>(y) * width + x; }

// Summed-area table with a zero first row and column: s[(y) (w + 1) + x] is
// the sum of v over [0, x) x [0, y).
std::vector<double> SummedArea(const std::vector<double>& v, int32_t w, int32_t h) {
  std::vector<double> s(static_cast<size_t>(w + 1) * (h + 1), 0.0);
  for (int32_t y = 0; y < h; ++y) {
    double row = 0;
    for (int32_t x = 0; x < w; ++x) {
      row += v[Index(x, y, w)];
      s[Index(x + 1, y + 1, w + 1)] = s[Index(x + 1, y, w + 1)] + row;
    }
  }
  return s;
}

}  // namespace

double GreyOf(uint8_t r, uint8_t g, uint8_t b) { return 0.299 * r + 0.587 * g + 0.114 * b; }

std::vector<double> BoxMean(const std::vector<double>& v, int32_t width, int32_t height, int32_t box) {
  const std::vector<double> s = SummedArea(v, width, height);
  const int32_t r = box / 2;
  std::vector<double> out(v.size());
  for (int32_t y = 0; y < height; ++y) {
    const int32_t y0 = std::max(0, y - r), y1 = std::min(height, y + r + 1);
    for (int32_t x = 0; x < width; ++x) {
      const int32_t x0 = std::max(0, x - r), x1 = std::min(width, x + r + 1);
      const double sum = s[Index(x1, y1, width + 1)] - s[Index(x0, y1, width + 1)] - s[Index(x1, y0, width + 1)] +
                         s[Index(x0, y0, width + 1)];
      out[Index(x, y, width)] = sum / (static_cast<double>(x1 - x0) * (y1 - y0));
    }
  }
  return out;
}

std::vector<double> HighPass(const TGreyImage& img) {
  std::vector<double> out = BoxMean(img.grey, img.width, img.height, kMeasureBox);
  for (size_t i = 0; i < out.size(); ++i) out[i] = img.grey[i] - out[i];
  return out;
}

std::vector<uint8_t> SurfaceOf(const std::vector<uint8_t>& background_colour, int32_t width, int32_t height,
                               int64_t min_region) {
  std::vector<uint8_t> surface(background_colour.size(), 1);
  std::vector<uint8_t> seen(background_colour.size(), 0);
  std::vector<size_t> region, stack;
  for (size_t start = 0; start < background_colour.size(); ++start) {
    if (!background_colour[start] || seen[start]) continue;
    region.clear();
    stack.assign(1, start);
    seen[start] = 1;
    while (!stack.empty()) {
      const size_t i = stack.back();
      stack.pop_back();
      region.push_back(i);
      const int32_t x = static_cast<int32_t>(i % width), y = static_cast<int32_t>(i / width);
      const int32_t nx[4] = {x - 1, x + 1, x, x}, ny[4] = {y, y, y - 1, y + 1};
      for (int k = 0; k < 4; ++k) {
        if (nx[k] < 0 || nx[k] >= width || ny[k] < 0 || ny[k] >= height) continue;
        const size_t j = Index(nx[k], ny[k], width);
        if (background_colour[j] && !seen[j]) {
          seen[j] = 1;
          stack.push_back(j);
        }
      }
    }
    if (static_cast<int64_t>(region.size()) >= min_region)
      for (size_t i : region) surface[i] = 0;
  }
  return surface;
}

std::vector<uint8_t> InteriorOf(const std::vector<uint8_t>& surface, int32_t width, int32_t height, int32_t margin) {
  // A pixel is interior when the count of surface pixels in its square is the
  // square's full area; squares reaching past the picture's edge fall short.
  std::vector<double> marks(surface.size());
  for (size_t i = 0; i < surface.size(); ++i) marks[i] = surface[i] ? 1.0 : 0.0;
  const std::vector<double> s = SummedArea(marks, width, height);
  const double full = static_cast<double>(2 * margin + 1) * (2 * margin + 1);
  std::vector<uint8_t> out(surface.size(), 0);
  for (int32_t y = margin; y + margin < height; ++y) {
    for (int32_t x = margin; x + margin < width; ++x) {
      const int32_t x0 = x - margin, x1 = x + margin + 1, y0 = y - margin, y1 = y + margin + 1;
      const double sum = s[Index(x1, y1, width + 1)] - s[Index(x0, y1, width + 1)] - s[Index(x1, y0, width + 1)] +
                         s[Index(x0, y0, width + 1)];
      out[Index(x, y, width)] = sum == full;
    }
  }
  return out;
}

double Coherence(double jxx, double jxy, double jyy) {
  const double trace = jxx + jyy;
  if (trace <= 0) return 0;
  const double d = jxx - jyy;
  return std::min(1.0, std::sqrt(d * d + 4 * jxy * jxy) / trace);
}

TTextureMeasures MeasureTexture(const TGreyImage& img, const std::vector<uint8_t>& surface) {
  TTextureMeasures m;
  const int32_t w = img.width, h = img.height;
  if (w < 3 || h < 3) return m;
  const std::vector<double> hp = HighPass(img);
  std::vector<double> jxx(hp.size(), 0.0), jxy(hp.size(), 0.0), jyy(hp.size(), 0.0);
  for (int32_t y = 1; y + 1 < h; ++y) {
    for (int32_t x = 1; x + 1 < w; ++x) {
      const double gx = (hp[Index(x + 1, y, w)] - hp[Index(x - 1, y, w)]) / 2;
      const double gy = (hp[Index(x, y + 1, w)] - hp[Index(x, y - 1, w)]) / 2;
      jxx[Index(x, y, w)] = gx * gx;
      jxy[Index(x, y, w)] = gx * gy;
      jyy[Index(x, y, w)] = gy * gy;
    }
  }
  jxx = BoxMean(jxx, w, h, kMeasureBox);
  jxy = BoxMean(jxy, w, h, kMeasureBox);
  jyy = BoxMean(jyy, w, h, kMeasureBox);
  const std::vector<uint8_t> interior = InteriorOf(surface, w, h, kInteriorMargin);
  double sum = 0, sum2 = 0, coherence = 0, grey = 0;
  for (size_t i = 0; i < hp.size(); ++i) {
    if (!interior[i]) continue;
    ++m.interior_pixels;
    sum += hp[i];
    sum2 += hp[i] * hp[i];
    grey += img.grey[i];
    coherence += Coherence(jxx[i], jxy[i], jyy[i]);
  }
  if (m.interior_pixels == 0) return m;
  const double n = static_cast<double>(m.interior_pixels);
  const double mean = sum / n;
  m.contrast = std::sqrt(std::max(0.0, sum2 / n - mean * mean));
  m.coherence = coherence / n;
  m.mean = grey / n;
  return m;
}

std::vector<double> GaussianBlur(const std::vector<double>& v, int32_t width, int32_t height, double sigma) {
  const int32_t r = std::max(1, static_cast<int32_t>(std::ceil(3 * sigma)));
  std::vector<double> kernel(2 * static_cast<size_t>(r) + 1);
  for (int32_t k = -r; k <= r; ++k) kernel[static_cast<size_t>(k + r)] = std::exp(-0.5 * k * k / (sigma * sigma));
  std::vector<double> across(v.size()), out(v.size());
  const auto pass = [&](const std::vector<double>& in, std::vector<double>& to, bool rows) {
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) {
        double sum = 0, weight = 0;
        for (int32_t k = -r; k <= r; ++k) {
          const int32_t xx = rows ? x + k : x, yy = rows ? y : y + k;
          if (xx < 0 || yy < 0 || xx >= width || yy >= height) continue;
          const double w = kernel[static_cast<size_t>(k + r)];
          sum += w * in[static_cast<size_t>(yy) * width + xx];
          weight += w;
        }
        to[static_cast<size_t>(y) * width + x] = sum / weight;
      }
  };
  pass(v, across, true);
  pass(across, out, false);
  return out;
}

TShapeMeasures MeasureShape(const TGreyImage& picture, const TGreyImage& shaded, const std::vector<uint8_t>& surface,
                            double sigma) {
  TShapeMeasures m;
  if (picture.width != shaded.width || picture.height != shaded.height) return m;
  // Blurred inside the surface only (each blur divided by the blur of the
  // surface's mask), so the background's colour does not leak in at the
  // silhouette.
  std::vector<double> mask(surface.size()), ma(surface.size()), mb(surface.size());
  for (size_t i = 0; i < surface.size() && i < picture.grey.size(); ++i) {
    mask[i] = surface[i] ? 1 : 0;
    ma[i] = mask[i] * picture.grey[i];
    mb[i] = mask[i] * shaded.grey[i];
  }
  const std::vector<double> weight = GaussianBlur(mask, picture.width, picture.height, sigma);
  std::vector<double> a = GaussianBlur(ma, picture.width, picture.height, sigma);
  std::vector<double> b = GaussianBlur(mb, shaded.width, shaded.height, sigma);
  for (size_t i = 0; i < a.size(); ++i) {
    a[i] = weight[i] > 0 ? a[i] / weight[i] : 0;
    b[i] = weight[i] > 0 ? b[i] / weight[i] : 0;
  }
  double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
  int64_t clipped = 0;
  for (size_t i = 0; i < surface.size() && i < a.size(); ++i) {
    if (!surface[i]) continue;
    ++m.surface_pixels;
    sa += a[i];
    sb += b[i];
    saa += a[i] * a[i];
    sbb += b[i] * b[i];
    sab += a[i] * b[i];
    const double g = picture.grey[i];
    clipped += g < 0.5 || g > 254.5;
  }
  if (m.surface_pixels == 0) return m;
  const double n = static_cast<double>(m.surface_pixels);
  const double va = saa - sa * sa / n, vb = sbb - sb * sb / n;
  m.correlation = va > 0 && vb > 0 ? (sab - sa * sb / n) / std::sqrt(va * vb) : 0;
  m.clipped = clipped / n;
  return m;
}

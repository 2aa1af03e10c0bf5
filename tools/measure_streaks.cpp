// measure_streaks PICTURE [--background RRGGBB] [--shape SHADED]
// Prints how crisp the flow texture of a picture is: the contrast (standard
// deviation of the grey levels minus their 9 x 9 box mean, in grey levels) and
// the mean structure-tensor coherence of that high-passed picture, both over
// the surface's interior (pixels away from the background and the
// silhouette). The background is the colour of the top-left pixel unless
// given; connected regions of that exact colour of 400 pixels or more are
// background, smaller ones (texture that happens to match) are surface.
// With --shape, SHADED is the same view with the texture off: the tool then
// also prints how well the picture's large-scale light and dark follow the
// shape (the correlation of both pictures' grey levels blurred with a
// Gaussian of 10 pixels, over the surface SHADED shows) and the share of
// that surface clipped to black or white.
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "output/picture_measures.h"

namespace {

constexpr const char* kUsage = "usage: measure_streaks PICTURE [--background RRGGBB] [--shape SHADED.png]\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help")) {
    std::printf("%s", kUsage);
    return 0;
  }
  if (argc < 2 || argc % 2 != 0 || std::string(argv[1]).starts_with("-")) {
    std::fprintf(stderr, "%s", kUsage);
    return 2;
  }
  int64_t background = -1;
  QString shaded_path;
  for (int i = 2; i < argc; i += 2) {
    const std::string opt = argv[i];
    if (opt == "--background") {
      char* end = nullptr;
      background = static_cast<int64_t>(std::strtoul(argv[i + 1], &end, 16));
      if (*end != '\0' || std::string(argv[i + 1]).size() != 6) {
        std::fprintf(stderr, "measure_streaks: background colour RRGGBB expected, not %s\n", argv[i + 1]);
        return 2;
      }
    } else if (opt == "--shape") {
      shaded_path = QString::fromLocal8Bit(argv[i + 1]);
    } else {
      std::fprintf(stderr, "%s", kUsage);
      return 2;
    }
  }
  QImage picture(QString::fromLocal8Bit(argv[1]));
  if (picture.isNull()) {
    std::fprintf(stderr, "measure_streaks: cannot read the picture %s\n", argv[1]);
    return 1;
  }
  const TTextureMeasures m = MeasurePicture(picture, background);
  std::printf("contrast %.2f grey levels\ncoherence %.3f\nmean %.1f grey levels\ninterior pixels %lld\n", m.contrast,
              m.coherence, m.mean, static_cast<long long>(m.interior_pixels));
  if (!shaded_path.isEmpty()) {
    const QImage shaded(shaded_path);
    if (shaded.isNull() || shaded.size() != picture.size()) {
      std::fprintf(stderr, "measure_streaks: cannot read %s as a picture of the same size\n",
                   shaded_path.toLocal8Bit().constData());
      return 1;
    }
    const TShapeMeasures s = MeasurePictureShape(picture, shaded, background);
    std::printf("shape correlation %.3f\nclipped %.2f %% of the surface\n", s.correlation, 100 * s.clipped);
  }
  return m.interior_pixels > 0 ? 0 : 1;
}

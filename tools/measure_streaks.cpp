// measure_streaks PICTURE [--background RRGGBB]
// Prints how crisp the flow texture of a picture is: the contrast (standard
// deviation of the grey levels minus their 9 x 9 box mean, in grey levels) and
// the mean structure-tensor coherence of that high-passed picture, both over
// the surface's interior (pixels away from the background and the
// silhouette). The background is the colour of the top-left pixel unless
// given; connected regions of that exact colour of 400 pixels or more are
// background, smaller ones (texture that happens to match) are surface.
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "output/picture_measures.h"

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help")) {
    std::printf("usage: measure_streaks PICTURE [--background RRGGBB]\n");
    return 0;
  }
  if ((argc != 2 && !(argc == 4 && std::string(argv[2]) == "--background")) || std::string(argv[1]).starts_with("-")) {
    std::fprintf(stderr, "usage: measure_streaks PICTURE [--background RRGGBB]\n");
    return 2;
  }
  QImage picture(QString::fromLocal8Bit(argv[1]));
  if (picture.isNull()) {
    std::fprintf(stderr, "measure_streaks: cannot read the picture %s\n", argv[1]);
    return 1;
  }
  int64_t background = -1;
  if (argc == 4) {
    char* end = nullptr;
    background = static_cast<int64_t>(std::strtoul(argv[3], &end, 16));
    if (*end != '\0' || std::string(argv[3]).size() != 6) {
      std::fprintf(stderr, "measure_streaks: background colour RRGGBB expected, not %s\n", argv[3]);
      return 2;
    }
  }
  const TTextureMeasures m = MeasurePicture(picture, background);
  std::printf("contrast %.2f grey levels\ncoherence %.3f\nmean %.1f grey levels\ninterior pixels %lld\n", m.contrast,
              m.coherence, m.mean, static_cast<long long>(m.interior_pixels));
  return m.interior_pixels > 0 ? 0 : 1;
}

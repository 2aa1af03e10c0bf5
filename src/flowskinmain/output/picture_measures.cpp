#include "output/picture_measures.h"

TTextureMeasures MeasurePicture(const QImage& source, int64_t background) {
  const QImage picture = source.convertToFormat(QImage::Format_RGB888);
  if (picture.isNull()) return TTextureMeasures();
  const QRgb bg = (background < 0 ? picture.pixel(0, 0) : static_cast<QRgb>(background)) | 0xFF000000u;
  TGreyImage img;
  img.width = picture.width();
  img.height = picture.height();
  img.grey.resize(static_cast<size_t>(img.width) * img.height);
  std::vector<uint8_t> background_colour(img.grey.size());
  for (int y = 0; y < img.height; ++y) {
    const uint8_t* row = picture.constScanLine(y);
    for (int x = 0; x < img.width; ++x) {
      const uint8_t* p = row + 3 * x;
      const size_t i = static_cast<size_t>(y) * img.width + x;
      img.grey[i] = GreyOf(p[0], p[1], p[2]);
      background_colour[i] = qRgb(p[0], p[1], p[2]) == bg;
    }
  }
  return MeasureTexture(img, SurfaceOf(background_colour, img.width, img.height, 400));
}

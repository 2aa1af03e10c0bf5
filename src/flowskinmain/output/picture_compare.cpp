#include "output/picture_compare.h"

#include <cstring>

TRgbPicture RgbPictureOf(const QImage& source) {
  const QImage picture = source.convertToFormat(QImage::Format_RGB888);
  TRgbPicture out;
  if (picture.isNull()) return out;
  out.width = picture.width();
  out.height = picture.height();
  out.rgb.resize(static_cast<size_t>(3) * out.width * out.height);
  for (int y = 0; y < out.height; ++y)
    std::memcpy(out.rgb.data() + static_cast<size_t>(3) * out.width * y, picture.constScanLine(y),
                static_cast<size_t>(3) * out.width);
  return out;
}

QImage ImageOfRgbPicture(const TRgbPicture& picture) {
  if (picture.width <= 0 || picture.height <= 0) return QImage();
  QImage out(picture.width, picture.height, QImage::Format_RGB888);
  for (int y = 0; y < picture.height; ++y)
    std::memcpy(out.scanLine(y), picture.rgb.data() + static_cast<size_t>(3) * picture.width * y,
                static_cast<size_t>(3) * picture.width);
  return out;
}

TPictureVerdict ComparePictures(const QImage& picture, const QImage& baseline) {
  return ComparePictures(RgbPictureOf(picture), RgbPictureOf(baseline));
}

QImage DifferencePicture(const QImage& picture, const QImage& baseline) {
  return ImageOfRgbPicture(DifferencePicture(RgbPictureOf(picture), RgbPictureOf(baseline)));
}

#include "output/picture_measures.h"

namespace {

// Grey levels of a picture and where it has the background colour
// (by default that of the top-left pixel).
TGreyImage GreyOfPicture(const QImage& source, int64_t background, std::vector<uint8_t>& background_colour) {
  const QImage picture = source.convertToFormat(QImage::Format_RGB888);
  if (picture.isNull()) return TGreyImage();
  const QRgb bg = (background < 0 ? picture.pixel(0, 0) : static_cast<QRgb>(background)) | 0xFF000000u;
  TGreyImage img;
  img.width = picture.width();
  img.height = picture.height();
  img.grey.resize(static_cast<size_t>(img.width) * img.height);
  background_colour.assign(img.grey.size(), 0);
  for (int y = 0; y < img.height; ++y) {
    const uint8_t* row = picture.constScanLine(y);
    for (int x = 0; x < img.width; ++x) {
      const uint8_t* p = row + 3 * x;
      const size_t i = static_cast<size_t>(y) * img.width + x;
      img.grey[i] = GreyOf(p[0], p[1], p[2]);
      background_colour[i] = qRgb(p[0], p[1], p[2]) == bg;
    }
  }
  return img;
}

}  // namespace

TTextureMeasures MeasurePicture(const QImage& source, int64_t background) {
  std::vector<uint8_t> background_colour;
  const TGreyImage img = GreyOfPicture(source, background, background_colour);
  if (img.grey.empty()) return TTextureMeasures();
  return MeasureTexture(img, SurfaceOf(background_colour, img.width, img.height, 400));
}

TShapeMeasures MeasurePictureShape(const QImage& picture, const QImage& shaded, int64_t background) {
  std::vector<uint8_t> ignored, shaded_background;
  const TGreyImage a = GreyOfPicture(picture, background, ignored);
  const TGreyImage b = GreyOfPicture(shaded, background, shaded_background);
  if (a.grey.empty() || b.grey.empty()) return TShapeMeasures();
  return MeasureShape(a, b, SurfaceOf(shaded_background, b.width, b.height, 400));
}

#include "output/picture_files.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>

#include "advection/image_map.h"

QImage BitmapOfFrame(const std::vector<uint8_t>& rgb_bottom_up, int32_t w, int32_t h) {
  QImage bitmap(w, h, QImage::Format_BGR888);
  if (bitmap.isNull() || rgb_bottom_up.size() < size_t(w) * h * 3) return QImage();
  FrameToBitmapRows(rgb_bottom_up.data(), w, h, bitmap.bits(), size_t(bitmap.bytesPerLine()));
  return bitmap;
}

QByteArray PictureFormatOf(const QString& path) {
  return path.endsWith(".png", Qt::CaseInsensitive) ? QByteArray("png") : QByteArray("bmp");
}

QByteArray EncodePicture(const QImage& picture, const QByteArray& format, QString& error, int png_quality) {
  if (format == "bmp" && !picture.isNull()) {
    const QImage bgr = picture.convertToFormat(QImage::Format_BGR888);
    const std::vector<uint8_t> file =
        Bitmap24File(bgr.constBits(), size_t(bgr.bytesPerLine()), bgr.width(), bgr.height());
    return QByteArray(reinterpret_cast<const char*>(file.data()), qsizetype(file.size()));
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (format == "png") writer.setQuality(png_quality);
  if (!writer.write(picture)) {
    error = writer.errorString();
    return QByteArray();
  }
  return bytes;
}

namespace {

// Writes all of `bytes` to a file opened unbuffered, so that every write
// reaches the system at once. A write that stops short without an error (the
// system took only part of it, as on a disk that has just filled up) is
// followed by a write of the rest, which then fails with the system's reason
// ("No space left on device") instead of the toolkit's "Unknown error".
bool WriteAll(QFile& file, const QByteArray& bytes) {
  qint64 done = 0;
  while (done < bytes.size()) {
    const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
    if (n <= 0) return false;
    done += n;
  }
  return file.flush();
}

}  // namespace

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString& error) {
  const bool existed = QFileInfo::exists(path);
  QFile file(path);
  QString reason;
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) || !WriteAll(file, bytes))
    reason = file.errorString();
  file.close();
  if (reason.isEmpty() && file.error() != QFileDevice::NoError) reason = file.errorString();
  if (reason.isEmpty()) return true;
  error = QString("Cannot write %1: %2").arg(path, reason);
  if (!existed && QFileInfo(path).isFile()) QFile::remove(path);
  return false;
}

bool SavePicture(const QImage& picture, const QString& path, QString& error, int png_quality,
                 const QString& format_name) {
  const QByteArray format = PictureFormatOf(format_name.isEmpty() ? path : format_name);
  const QByteArray bytes = EncodePicture(picture, format, error, png_quality);
  if (bytes.isEmpty()) {
    error = QString("Cannot write %1: %2").arg(path, error);
    return false;
  }
  return WriteWholeFile(path, bytes, error);
}

QString SequenceFileName(const QString& base, int32_t i) {
  const QString number = QString::fromStdString(SequenceNumber(i));
  for (const char* ending : {".png", ".bmp"})
    if (base.endsWith(ending, Qt::CaseInsensitive)) return base.chopped(4) + number + base.right(4);
  return base + number + ".bmp";
}

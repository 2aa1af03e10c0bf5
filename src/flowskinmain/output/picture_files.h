#pragma once
// Pictures in and out of files for the window and the batch renderer: the
// 24-bit bitmap of a frame, the encoding by file name, and a write that
// reports every failure (folder missing or read-only, disk full).
#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

// A w x h 24-bit bitmap (blue, green, red in memory, top row first) from a
// read-back frame: rows of exactly 3w bytes, red, green, blue, bottom row
// first. Any width gives correctly aligned rows.
QImage BitmapOfFrame(const std::vector<uint8_t>& rgb_bottom_up, int32_t w, int32_t h);

// "png" when the name ends in ".png" (any case), else "bmp".
QByteArray PictureFormatOf(const QString& path);

// PNG quality of frames written in a stream: quick deflating, files about 15 %
// larger than at the toolkit's default, in well under half its time.
constexpr int kStreamPngQuality = 80;

// The picture encoded in `format`: "bmp" always as a 24-bit bitmap, "png"
// through the toolkit's writer; png_quality 0..100 trades
// time for size (-1: the toolkit's default). Empty on failure with the
// encoder's message in `error`.
QByteArray EncodePicture(const QImage& picture, const QByteArray& format, QString& error, int png_quality = -1);

// Writes `bytes` to `path`, replacing the file. On any failure (the file
// cannot be created, a short write, a failed flush or close) returns false
// with "Cannot write <path>: <reason>" in `error`; a file this call created
// is removed again, so a failed write leaves no partial picture.
bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString& error);

// EncodePicture in the format the name asks for (or the name `format_name`
// asks for, where one is given: a file written under a temporary name), then
// WriteWholeFile.
bool SavePicture(const QImage& picture, const QString& path, QString& error, int png_quality = -1,
                 const QString& format_name = QString());

// The i-th file (from 1) of a numbered sequence on `base`: a base that ends in
// ".png" or ".bmp" (any case) keeps that ending after the number, any other
// base is followed by the number and ".bmp" ("out/run" -> "out/run001.bmp",
// "out/run.png" -> "out/run001.png").
QString SequenceFileName(const QString& base, int32_t i);

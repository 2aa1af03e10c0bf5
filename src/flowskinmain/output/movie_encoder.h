#pragma once
// Movie files of drawn frames: H.264 in MP4 (".mp4") or VP9 in WebM
// (".webm"), 4:2:0 YUV, encoded with the FFmpeg libraries. The encoders run on
// one thread with fixed settings and the containers carry no time stamps or
// version strings, so the same frames give the same bytes. The movie is
// written under a temporary name in the target's folder and renamed to the
// target only when it is complete: a failed or abandoned movie leaves no file
// under the name asked for (and an older file of that name as it was).
#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>

enum class TMovieKind { None, Mp4, WebM };

// Mp4 for names ending in ".mp4", WebM for ".webm" (any case), else None.
TMovieKind MovieKindOf(const QString& path);

// Settings of a movie; each default sits here.
struct TMovieSettings {
  int32_t fps = 25;      // frames per second, 1..120
  int32_t quality = 60;  // 0 (smallest file) .. 100 (best picture), see MovieCrf
};
constexpr int32_t kMovieFpsMin = 1, kMovieFpsMax = 120;
constexpr int32_t kMovieQualityMin = 0, kMovieQualityMax = 100;

// The frame sizes the window offers for its movies ("Movie size"); the first,
// 0 x 0, is the view's own size.
struct TMovieSize {
  const char* caption;
  int32_t width, height;
};
constexpr TMovieSize kMovieSizes[] = {{"View", 0, 0},
                                      {"640 x 480", 640, 480},
                                      {"1280 x 720", 1280, 720},
                                      {"1920 x 1080", 1920, 1080},
                                      {"3840 x 2160", 3840, 2160}};

// The codec's constant-rate factor for quality q (clamped to 0..100), lower
// meaning better: H.264 51 .. 0, VP9 63 .. 0, linear in q and rounded to the
// nearest integer. The default 60 gives 20 (H.264) and 25 (VP9).
int32_t MovieCrf(TMovieKind kind, int32_t quality);

// 4:2:0 pictures need even sides: the frame itself when both sides are even,
// else a copy one column and/or row larger whose last column/row repeats the
// frame's last one. Always 24-bit (blue, green, red in memory).
QImage PaddedToEven(const QImage& frame);

class TMovieEncoder {
 public:
  TMovieEncoder();
  ~TMovieEncoder();  // an open movie that was not closed is abandoned
  TMovieEncoder(const TMovieEncoder&) = delete;
  TMovieEncoder& operator=(const TMovieEncoder&) = delete;

  // Starts a movie of w x h frames at `path` (its kind by the name's ending).
  // False with "Cannot write <path>: <reason>" in `error` when the name has no
  // movie ending, the size or settings are out of range, no encoder is
  // available, or the temporary file cannot be made (folder missing or
  // read-only).
  bool Open(const QString& path, int32_t w, int32_t h, const TMovieSettings& settings, QString& error);
  // Encodes and writes the next frame (w x h as opened, any format that
  // converts to 24 bits). A failure abandons the movie.
  bool AddFrame(const QImage& frame, QString& error);
  // Drains the encoder, finishes the container and renames the file to its
  // final name. A failure (disk full, a failed close or rename) abandons the
  // movie.
  bool Close(QString& error);
  // Stops the movie and removes the temporary file.
  void Abort();

  bool IsOpen() const;
  int32_t FramesWritten() const;

 private:
  struct TState;
  bool Fail(const QString& reason, QString& error);
  std::unique_ptr<TState> s_;
};

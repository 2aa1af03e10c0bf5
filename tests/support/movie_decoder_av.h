#pragma once
// Reads a movie file back with the FFmpeg libraries, for tests and for
// looking at frames: every frame of the first video stream as 24-bit RGB at
// the stream's size (limited-range BT.709 4:2:0 converted back).
#include <QImage>
#include <string>
#include <vector>

struct TDecodedMovie {
  std::string container;  // the demuxer's names, e.g. "mov,mp4,m4a,3gp,3g2,mj2" or "matroska,webm"
  std::string codec;      // "h264", "vp9"
  std::string pixel_format;
  int width = 0, height = 0;
  double fps = 0;              // the stream's average frame rate
  std::vector<QImage> frames;  // Format_RGB888, in presentation order
};

// False with a message when the file cannot be opened or decoded.
bool DecodeMovie(const std::string& path, TDecodedMovie& movie, std::string& error);

// Peak signal-to-noise ratio in dB of `b` against `a` over the part both
// cover (at most a's size), all three channels; 99 for identical pixels.
double Psnr(const QImage& a, const QImage& b);

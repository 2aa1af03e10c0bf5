#pragma once
// The plain half of image mapping and image output: the check of a bitmap
// file's header, the conversion of a picture's scan lines into the map-image
// texture, the blend of a read-back frame with the diffuse colour, the
// conversion of a read-back frame into top-down bitmap rows, and the names of
// the files of a frame sequence. No GL, no toolkit: everything works on bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "colorconversion/colorconversion.h"

// Largest side of the map image, in texels.
constexpr int32_t kMapImageMax = 512;

// What the header of a bitmap file says. Valid only when ReadBitmapHeader
// returns true.
struct TBitmapHeader {
  int32_t width = 0, height = 0;  // pixels; height is positive for either row order
  int32_t bits_per_pixel = 0;     // 1, 4, 8, 16, 24 or 32
  bool top_down = false;          // rows stored top first (negative height in the file)
};

// Reads the file header and the info header of a Windows bitmap held in
// `bytes` (the whole file). Returns false for anything that is not a
// consistent bitmap: no "BM" signature, a header cut short, an info-header
// size other than 12, 16, 40, 52, 56, 64, 108 or 124, a zero or negative
// width, a zero height, planes other than 1, or pixel data that starts
// inside the headers. Never reads outside bytes[0 .. size).
bool ReadBitmapHeader(const uint8_t* bytes, size_t size, TBitmapHeader& header);

// True when `bytes` is a complete uncompressed 24-bit bitmap: a consistent
// header with 24 bits per pixel, no compression, a size of at most 2^15 in
// either direction, and every scan line (rows padded to 4 bytes) inside the
// file. A truncated or lying header gives false.
bool IsBitmap24(const uint8_t* bytes, size_t size);

// Smallest power of two not less than n (1 for n <= 1).
int32_t PowerOfTwoAtLeast(int32_t n);

// A picture converted for display list 9: tw x th texels of 4 bytes (red,
// green, blue, alpha), rows of tw * 4 bytes, texture row 0 the picture's top
// row. Texels outside the picture are opaque white, so that modulating by
// them leaves the surface its own colour there.
struct TMapImage {
  int32_t width = 0, height = 0;  // the part of the picture used, at most 512 each
  int32_t tex_width = 0, tex_height = 0;
  std::vector<uint8_t> pixels;  // tex_width * tex_height * 4
};

// Builds the map image from a picture of w x h pixels whose scan lines are
// given top row first, `stride` bytes apart, 3 bytes a pixel in the order
// blue, green, red. The picture is cropped to its first 512 columns and rows;
// alpha is 255.
TMapImage MapImageFromBgr(const uint8_t* rows, size_t stride, int32_t w, int32_t h);

// Weights of the "-> image map" blend: the frame keeps w = (1 - a) / (1 + a)
// of each channel, the diffuse colour adds 1 - w; a = alpha_shade / 100.
double MapBlendWeight(int32_t alpha_shade);

// Blends every RGBA pixel of `rgba` with the diffuse colour: channel :=
// round(channel * w + diffuse * (1 - w)), to nearest with ties to even;
// alpha := 255.
void BlendWithDiffuse(std::vector<uint8_t>& rgba, const TRGBInt& diffuse, int32_t alpha_shade);

// Converts a read-back frame of w x h pixels (rows of exactly 3w bytes, red,
// green, blue, bottom row first) into bitmap rows: top row first, each pixel
// blue, green, red, rows `stride` bytes apart (stride >= 3w). `out` holds
// h * stride bytes; padding bytes are left alone.
void FrameToBitmapRows(const uint8_t* rgb_bottom_up, int32_t w, int32_t h, uint8_t* out, size_t stride);

// A complete uncompressed 24-bit bitmap file of w x h pixels (40-byte info
// header, rows bottom first, padded to 4 bytes) from top-down rows of blue,
// green, red bytes `stride` apart.
std::vector<uint8_t> Bitmap24File(const uint8_t* bgr_rows, size_t stride, int32_t w, int32_t h);

// Number part of the i-th file of a frame sequence: decimal i with leading
// zeros up to three digits ("001", "042", "100", "1234").
std::string SequenceNumber(int32_t i);

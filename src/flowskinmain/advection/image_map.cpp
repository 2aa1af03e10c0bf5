#include "advection/image_map.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr int64_t kMaxBitmapSide = 1 << 15;

uint32_t ReadU16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t ReadU32(const uint8_t* p) { return ReadU16(p) | ReadU16(p + 2) << 16; }
int32_t ReadI32(const uint8_t* p) { return static_cast<int32_t>(ReadU32(p)); }

bool KnownInfoSize(uint32_t n) {
  for (uint32_t k : {12u, 16u, 40u, 52u, 56u, 64u, 108u, 124u})
    if (n == k) return true;
  return false;
}

// Compression field of the info header; headers without one are uncompressed.
uint32_t CompressionOf(const uint8_t* bytes, uint32_t info_size) {
  return info_size >= 20 ? ReadU32(bytes + kFileHeaderSize + 16) : 0;
}

uint8_t RoundToByte(double v) {
  const double r = std::nearbyint(v);  // the default rounding mode: to nearest, ties to even
  return static_cast<uint8_t>(std::clamp(r, 0.0, 255.0));
}

}  // namespace

bool ReadBitmapHeader(const uint8_t* bytes, size_t size, TBitmapHeader& header) {
  if (!bytes || size < kFileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  const uint32_t info_size = ReadU32(bytes + kFileHeaderSize);
  if (!KnownInfoSize(info_size) || size < kFileHeaderSize + info_size) return false;
  const uint8_t* info = bytes + kFileHeaderSize;
  int64_t w = 0, h = 0;
  uint32_t planes = 0, bits = 0;
  if (info_size == 12) {
    w = ReadU16(info + 4);
    h = ReadU16(info + 6);
    planes = ReadU16(info + 8);
    bits = ReadU16(info + 10);
  } else {
    w = ReadI32(info + 4);
    h = ReadI32(info + 8);
    planes = ReadU16(info + 12);
    bits = ReadU16(info + 14);
  }
  const uint32_t offset = ReadU32(bytes + 10);
  if (w <= 0 || h == 0 || planes != 1 || offset < kFileHeaderSize + info_size) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  header.top_down = h < 0;
  h = h < 0 ? -h : h;
  if (w > kMaxBitmapSide || h > kMaxBitmapSide) return false;
  header.width = static_cast<int32_t>(w);
  header.height = static_cast<int32_t>(h);
  header.bits_per_pixel = static_cast<int32_t>(bits);
  return true;
}

bool IsBitmap24(const uint8_t* bytes, size_t size) {
  TBitmapHeader h;
  if (!ReadBitmapHeader(bytes, size, h) || h.bits_per_pixel != 24) return false;
  if (CompressionOf(bytes, ReadU32(bytes + kFileHeaderSize)) != 0) return false;
  const uint64_t row_bytes = (uint64_t(h.width) * 24 + 31) / 32 * 4;
  const uint64_t end = uint64_t(ReadU32(bytes + 10)) + row_bytes * uint64_t(h.height);
  return end <= size;
}

int32_t PowerOfTwoAtLeast(int32_t n) {
  int32_t p = 1;
  while (p < n && p < (1 << 30)) p *= 2;
  return p;
}

TMapImage MapImageFromBgr(const uint8_t* rows, size_t stride, int32_t w, int32_t h) {
  TMapImage m;
  m.width = std::clamp(w, 0, kMapImageMax);
  m.height = std::clamp(h, 0, kMapImageMax);
  m.tex_width = PowerOfTwoAtLeast(m.width);
  m.tex_height = PowerOfTwoAtLeast(m.height);
  m.pixels.assign(size_t(m.tex_width) * m.tex_height * 4, 255);
  for (int32_t y = 0; y < m.height; ++y) {
    const uint8_t* src = rows + size_t(y) * stride;
    uint8_t* dst = m.pixels.data() + size_t(y) * m.tex_width * 4;
    for (int32_t x = 0; x < m.width; ++x, src += 3, dst += 4) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
      dst[3] = 255;
    }
  }
  return m;
}

double MapBlendWeight(int32_t alpha_shade) {
  const double a = alpha_shade / 100.0;
  return (1 - a) / (1 + a);
}

void BlendWithDiffuse(std::vector<uint8_t>& rgba, const TRGBInt& diffuse, int32_t alpha_shade) {
  const double w = MapBlendWeight(alpha_shade), w2 = 1 - w;
  const double add[3] = {diffuse.red * w2, diffuse.green * w2, diffuse.blue * w2};
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
    for (int c = 0; c < 3; ++c) rgba[i + c] = RoundToByte(rgba[i + c] * w + add[c]);
    rgba[i + 3] = 255;
  }
}

void FrameToBitmapRows(const uint8_t* rgb_bottom_up, int32_t w, int32_t h, uint8_t* out, size_t stride) {
  const size_t row = size_t(w) * 3;
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* src = rgb_bottom_up + size_t(h - 1 - y) * row;
    uint8_t* dst = out + size_t(y) * stride;
    for (size_t x = 0; x < row; x += 3) {
      dst[x] = src[x + 2];
      dst[x + 1] = src[x + 1];
      dst[x + 2] = src[x];
    }
  }
}

std::vector<uint8_t> Bitmap24File(const uint8_t* bgr_rows, size_t stride, int32_t w, int32_t h) {
  const uint32_t row = (uint32_t(w) * 3 + 3) / 4 * 4;
  const uint32_t offset = kFileHeaderSize + 40;
  std::vector<uint8_t> file(offset + size_t(row) * h, 0);
  auto put = [&](size_t at, uint32_t v, int bytes) {
    for (int k = 0; k < bytes; ++k) file[at + k] = uint8_t(v >> (8 * k));
  };
  file[0] = 'B';
  file[1] = 'M';
  put(2, uint32_t(file.size()), 4);
  put(10, offset, 4);
  put(14, 40, 4);
  put(18, uint32_t(w), 4);
  put(22, uint32_t(h), 4);
  put(26, 1, 2);   // planes
  put(28, 24, 2);  // bits per pixel; compression 0 and the rest stay 0
  put(34, row * uint32_t(h), 4);
  put(38, 2835, 4);  // 72 pixels per inch
  put(42, 2835, 4);
  for (int32_t y = 0; y < h; ++y)
    std::memcpy(&file[offset + size_t(h - 1 - y) * row], bgr_rows + size_t(y) * stride, size_t(w) * 3);
  return file;
}

std::string SequenceNumber(int32_t i) {
  std::string s = std::to_string(i);
  for (int64_t m = i; m < 100; m *= 10) {
    s.insert(s.begin(), '0');
    if (m <= 0) break;  // the loop of the naming rule never ends for i <= 0
  }
  return s;
}

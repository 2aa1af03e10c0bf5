#include "support/bitmap_case.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "advection/image_map.h"

std::string CheckBitmapCase(std::string_view bytes) {
  const std::vector<uint8_t> file(bytes.begin(), bytes.end());
  TBitmapHeader h;
  const bool header = ReadBitmapHeader(file.data(), file.size(), h);
  if (!IsBitmap24(file.data(), file.size())) return "";
  if (!header || h.bits_per_pixel != 24 || h.width <= 0 || h.height <= 0) return "accepted without a 24-bit header";
  uint32_t offset = 0;
  std::memcpy(&offset, file.data() + 10, 4);  // the file is little-endian, as is this machine
  const uint64_t stride = (uint64_t(h.width) * 24 + 31) / 32 * 4;
  if (offset + stride * uint64_t(h.height) > file.size()) return "accepted with scan lines past the end of the file";
  // The map image's rows, top row first, read from the file as a load reads them.
  const int32_t w = std::min(h.width, kMapImageMax), rows = std::min(h.height, kMapImageMax);
  std::vector<uint8_t> top_down(size_t(w) * 3 * rows);
  for (int32_t y = 0; y < rows; ++y) {
    const int32_t line = h.top_down ? y : h.height - 1 - y;
    std::memcpy(&top_down[size_t(y) * w * 3], file.data() + offset + stride * uint64_t(line), size_t(w) * 3);
  }
  const TMapImage map = MapImageFromBgr(top_down.data(), size_t(w) * 3, w, rows);
  if (map.tex_width < map.width || map.tex_height < map.height || map.tex_width > kMapImageMax ||
      map.tex_height > kMapImageMax)
    return "map image texture does not hold the picture";
  return "";
}

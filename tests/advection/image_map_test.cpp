// Pictures in and out as bytes: the bitmap header check (every prefix of a
// good file and lying headers refused without reading outside the bytes), the
// map image's size, crop and byte order, the blend with the diffuse colour,
// the flip of a read-back frame, and the sequence numbers.
#include "advection/image_map.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// A bitmap file with a 40-byte info header and rows padded to 4 bytes; the
// pixel bytes count up.
std::vector<uint8_t> Bitmap(int32_t w, int32_t h, int bits, uint32_t compression = 0) {
  const uint32_t row = (uint32_t(w) * bits + 31) / 32 * 4;
  const uint32_t offset = 14 + 40;
  std::vector<uint8_t> b(offset + row * uint32_t(h < 0 ? -h : h), 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, uint32_t(b.size()));
  Put32(b, 10, offset);
  Put32(b, 14, 40);
  Put32(b, 18, uint32_t(w));
  Put32(b, 22, uint32_t(h));
  Put16(b, 26, 1);
  Put16(b, 28, uint32_t(bits));
  Put32(b, 30, compression);
  for (size_t i = offset; i < b.size(); ++i) b[i] = uint8_t(i);
  return b;
}

}  // namespace

TEST(ImageMap, OnlyCompleteUncompressed24BitBitmapsPass) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    bool pass;
  };
  std::vector<Case> cases = {
      {"24 bit, width 3 (padded rows)", Bitmap(3, 2, 24), true},
      {"24 bit, top row first", Bitmap(5, -4, 24), true},
      {"32 bit", Bitmap(4, 4, 32), false},
      {"8 bit", Bitmap(4, 4, 8), false},
      {"24 bit with compression", Bitmap(4, 4, 24, 1), false},
      {"PNG signature", {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 1}, false},
      {"empty", {}, false},
  };
  Case huge{"width of 2^31 - 1", Bitmap(4, 4, 24), false};
  Put32(huge.bytes, 18, 0x7FFFFFFF);
  Case tall{"height past the file's end", Bitmap(4, 4, 24), false};
  Put32(tall.bytes, 22, 5);
  Case lowest{"height -2^31", Bitmap(4, 4, 24), false};
  Put32(lowest.bytes, 22, 0x80000000u);
  Case offset{"pixel offset inside the header", Bitmap(4, 4, 24), false};
  Put32(offset.bytes, 10, 20);
  Case info{"info header size 1000", Bitmap(4, 4, 24), false};
  Put32(info.bytes, 14, 1000);
  Case planes{"two planes", Bitmap(4, 4, 24), false};
  Put16(planes.bytes, 26, 2);
  for (Case* c : {&huge, &tall, &lowest, &offset, &info, &planes}) cases.push_back(*c);
  for (const Case& c : cases) EXPECT_EQ(IsBitmap24(c.bytes.data(), c.bytes.size()), c.pass) << c.what;

  // Every truncation of a good file is refused; each prefix lives in a buffer
  // of exactly its length, so a read past it shows under the address sanitizer.
  const std::vector<uint8_t> good = Bitmap(7, 3, 24);
  for (size_t n = 0; n < good.size(); ++n) {
    std::vector<uint8_t> prefix(good.begin(), good.begin() + long(n));
    EXPECT_FALSE(IsBitmap24(prefix.data(), prefix.size())) << n << " bytes";
  }
  TBitmapHeader h;
  ASSERT_TRUE(ReadBitmapHeader(good.data(), good.size(), h));
  EXPECT_EQ(h.width, 7);
  EXPECT_EQ(h.height, 3);
  EXPECT_EQ(h.bits_per_pixel, 24);
}

TEST(ImageMap, TextureIsThePowersOfTwoOverTheCroppedPictureWithTheTopRowFirst) {
  struct Case {
    int32_t w, h, tw, th, used_w, used_h;
  } cases[] = {{100, 400, 128, 512, 100, 400},
               {700, 300, 512, 512, 512, 300},
               {1, 1, 1, 1, 1, 1},
               {512, 513, 512, 512, 512, 512},
               {129, 64, 256, 64, 129, 64}};
  for (const Case& c : cases) {
    const size_t stride = size_t(c.w) * 3 + 1;  // rows need not be packed
    std::vector<uint8_t> rows(stride * c.h);
    // Pixel (x, y) holds blue = x, green = y, red = x + y (mod 256).
    for (int32_t y = 0; y < c.h; ++y)
      for (int32_t x = 0; x < c.w; ++x) {
        uint8_t* p = &rows[y * stride + x * 3];
        p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t(x + y);
      }
    const TMapImage m = MapImageFromBgr(rows.data(), stride, c.w, c.h);
    EXPECT_EQ(m.tex_width, c.tw) << c.w << "x" << c.h;
    EXPECT_EQ(m.tex_height, c.th);
    EXPECT_EQ(m.width, c.used_w);
    EXPECT_EQ(m.height, c.used_h);
    ASSERT_EQ(m.pixels.size(), size_t(c.tw) * c.th * 4);
    const int32_t x = c.used_w - 1, y = c.used_h - 1;  // the last pixel used
    const uint8_t* t = &m.pixels[(size_t(y) * c.tw + x) * 4];
    EXPECT_EQ(t[0], uint8_t(x + y));
    EXPECT_EQ(t[1], uint8_t(y));
    EXPECT_EQ(t[2], uint8_t(x));
    EXPECT_EQ(t[3], 255);
    if (c.used_w < c.tw) {
      EXPECT_EQ(m.pixels[size_t(c.used_w) * 4], 255) << "texel right of the picture: white";
    }
  }
}

TEST(ImageMap, BlendKeepsAQuarterOfTheFrameAtAlphaShade60) {
  std::vector<uint8_t> px = {200, 10, 255, 0, 0, 0, 0, 7};
  BlendWithDiffuse(px, {192, 10, 0}, 60);
  EXPECT_EQ(px, (std::vector<uint8_t>{194, 10, 64, 255, 144, 8, 0, 255}));
  std::vector<uint8_t> same = {1, 2, 3, 4};
  BlendWithDiffuse(same, {255, 255, 255}, 0);  // w = 1: the frame unchanged
  EXPECT_EQ(same, (std::vector<uint8_t>{1, 2, 3, 255}));
  BlendWithDiffuse(same, {9, 8, 7}, 100);  // w = 0: the diffuse colour
  EXPECT_EQ(same, (std::vector<uint8_t>{9, 8, 7, 255}));
}

TEST(ImageMap, ReadBackFrameBecomesTopDownBlueGreenRedRowsForAnyWidth) {
  const int32_t w = 3, h = 2;                                             // rows of 9 bytes, not a multiple of 4
  const std::vector<uint8_t> rgb = {1,  2,  3,  4,  5,  6,  7,  8,  9,    // bottom row
                                    11, 12, 13, 14, 15, 16, 17, 18, 19};  // top row
  std::vector<uint8_t> out(2 * 12, 0xEE);
  FrameToBitmapRows(rgb.data(), w, h, out.data(), 12);
  EXPECT_EQ(out, (std::vector<uint8_t>{13, 12, 11, 16, 15, 14, 19, 18, 17, 0xEE, 0xEE, 0xEE,  //
                                       3,  2,  1,  6,  5,  4,  9,  8,  7,  0xEE, 0xEE, 0xEE}));
}

TEST(ImageMap, BitmapFileOfTopDownRowsPassesTheCheckAndStoresRowsBottomFirst) {
  const int32_t w = 3, h = 2;
  const std::vector<uint8_t> rows = {1,  2,  3,  4,  5,  6,  7,  8,  9,  0,  // top row, one byte of padding
                                     11, 12, 13, 14, 15, 16, 17, 18, 19, 0};
  const std::vector<uint8_t> file = Bitmap24File(rows.data(), 10, w, h);
  ASSERT_TRUE(IsBitmap24(file.data(), file.size()));
  ASSERT_EQ(file.size(), 54u + 2 * 12);
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + 54, file.end()),
            (std::vector<uint8_t>{11, 12, 13, 14, 15, 16, 17, 18, 19, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0}));
}

TEST(ImageMap, SequenceNumbersHaveAtLeastThreeDigits) {
  const std::pair<int32_t, const char*> cases[] = {{1, "001"},  {9, "009"},   {42, "042"},
                                                   {99, "099"}, {100, "100"}, {1234, "1234"}};
  for (const auto& [i, text] : cases) EXPECT_EQ(SequenceNumber(i), text);
  EXPECT_EQ(PowerOfTwoAtLeast(0), 1);
  EXPECT_EQ(PowerOfTwoAtLeast(513), 1024);
}

#pragma once
// Whether a drawn picture shows what its baseline shows, for the picture
// baselines of the tests: a verdict, the figures behind it and a sentence a
// reader can act on. Plain C++, 8-bit RGB pictures.
//
// The pictures are compared where something is drawn: the scene, the pixels
// where the baseline or the picture differ from the baseline's background
// (the colour of its top-left pixel); all pixels when there are none. Both
// pictures are blurred first (Gaussian, sigma kCompareBlurSigma, each colour
// channel alone), so a pixel that flips at a silhouette or a noise value off
// by a rounding weighs little, and the difference of a pixel is the largest
// of its three channels' differences, in grey levels 0..255. Four checks,
// each of which alone rejects the picture:
//  - blank: the picture is one colour (grey levels spread less than
//    kBlankSpread) while the baseline is not;
//  - mean difference over the scene above kMaxMeanDifference;
//  - share of scene pixels that differ by more than kPixelDifference above
//    kMaxShareDiffering (a part of the picture wrong, the rest right);
//  - mean grey level over the scene lighter or darker than the baseline's
//    by more than kMaxBrightnessChange of it.
//
// Why these numbers, measured on the five 128 x 128 baseline scenes
// (render/baselines/scenes.txt: faint streaks, Crisp, Dirty, the data
// colours, a mapped picture), 60 frames after the load:
//  - the optimised and the Debug sanitizer build: mean difference 0.00 to
//    0.02, no pixel over 16 (at most 33 pixels differ, by 1 to 4 levels);
//    one animation step later than the baseline: 0.0 to 1.5;
//  - moved by 1 pixel: mean 3.8 (faint streaks) to 13.8 (data colours) and
//    2.7 to 31.5 % of the pixels over 16; by 2 pixels 7.7 to 26.9 and 9 to
//    66 %; by 3 pixels 11.3 to 37.1 and 16 to 79 %;
//  - 15 % darker: 15 % on the brightness, 26 to 28 on the mean;
//  - blank (the background colour only): 27 to 101 on the mean;
//  - without the flow texture (its box off, or the noise never injected):
//    12 to 55 on the mean, 27 to 92 % of the pixels over 16.
// The limits sit well above the builds' differences and below every wrong
// picture, a moved one included, so that arithmetic which rounds a little
// differently elsewhere still passes.
#include <cstdint>
#include <string>
#include <vector>

// An 8-bit RGB picture: width * height pixels of red, green, blue, rows top
// to bottom.
struct TRgbPicture {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> rgb;
};

constexpr double kCompareBlurSigma = 1.0;      // pixels
constexpr double kBlankSpread = 1.0;           // standard deviation of the grey levels
constexpr double kMaxMeanDifference = 2.0;     // grey levels
constexpr int32_t kPixelDifference = 16;       // grey levels
constexpr double kMaxShareDiffering = 0.02;    // of the scene's pixels
constexpr double kMaxBrightnessChange = 0.03;  // of the baseline's mean grey level
constexpr int32_t kDifferenceGain = 4;         // brightness of DifferencePicture per grey level

struct TPictureVerdict {
  bool same = false;
  // What was measured against the limits; on a failure only the checks that
  // failed ("mean difference 23.1 grey levels, over 2.0; 15.0 % darker
  // than the baseline, over 3 %").
  std::string reason;
  double mean_difference = 0;    // grey levels
  double share_differing = 0;    // 0..1
  double brightness_change = 0;  // relative: -0.15 is 15 % darker
  bool blank = false;
  int64_t scene_pixels = 0;
};

// Compares `picture` with `baseline`; pictures of different sizes differ.
TPictureVerdict ComparePictures(const TRgbPicture& picture, const TRgbPicture& baseline);

// What the comparison saw, to look at beside a failed picture: each pixel's
// blurred difference kDifferenceGain times as bright in grey, red where it
// is over kPixelDifference. Empty when the sizes differ.
TRgbPicture DifferencePicture(const TRgbPicture& picture, const TRgbPicture& baseline);

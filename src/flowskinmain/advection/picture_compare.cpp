#include "advection/picture_compare.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "advection/texture_measures.h"

namespace {

size_t PixelCount(const TRgbPicture& p) { return static_cast<size_t>(p.width) * p.height; }

bool Valid(const TRgbPicture& p) { return p.width > 0 && p.height > 0 && p.rgb.size() == 3 * PixelCount(p); }

// Each colour channel of `p` blurred alone.
std::array<std::vector<double>, 3> BlurredChannels(const TRgbPicture& p) {
  std::array<std::vector<double>, 3> out;
  for (size_t c = 0; c < 3; ++c) {
    std::vector<double> channel(PixelCount(p));
    for (size_t i = 0; i < channel.size(); ++i) channel[i] = p.rgb[3 * i + c];
    out[c] = GaussianBlur(channel, p.width, p.height, kCompareBlurSigma);
  }
  return out;
}

// Per pixel the largest of the channels' blurred differences.
std::vector<double> BlurredDifference(const TRgbPicture& a, const TRgbPicture& b) {
  const auto ba = BlurredChannels(a), bb = BlurredChannels(b);
  std::vector<double> d(PixelCount(a), 0.0);
  for (size_t c = 0; c < 3; ++c)
    for (size_t i = 0; i < d.size(); ++i) d[i] = std::max(d[i], std::abs(ba[c][i] - bb[c][i]));
  return d;
}

double GreyAt(const TRgbPicture& p, size_t i) { return GreyOf(p.rgb[3 * i], p.rgb[3 * i + 1], p.rgb[3 * i + 2]); }

double GreySpread(const TRgbPicture& p) {
  double sum = 0, sum2 = 0;
  const size_t n = PixelCount(p);
  for (size_t i = 0; i < n; ++i) {
    const double g = GreyAt(p, i);
    sum += g;
    sum2 += g * g;
  }
  const double mean = sum / n;
  return std::sqrt(std::max(0.0, sum2 / n - mean * mean));
}

std::string Format(const char* format, double a, double b = 0) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

}  // namespace

TPictureVerdict ComparePictures(const TRgbPicture& picture, const TRgbPicture& baseline) {
  TPictureVerdict v;
  if (!Valid(picture) || !Valid(baseline) || picture.width != baseline.width || picture.height != baseline.height) {
    v.reason = "the picture is " + std::to_string(picture.width) + "x" + std::to_string(picture.height) +
               " pixels, the baseline " + std::to_string(baseline.width) + "x" + std::to_string(baseline.height);
    return v;
  }
  const size_t n = PixelCount(baseline);
  const uint8_t* bg = baseline.rgb.data();
  std::vector<uint8_t> scene(n, 0);
  for (size_t i = 0; i < n; ++i)
    for (size_t c = 0; c < 3; ++c)
      if (baseline.rgb[3 * i + c] != bg[c] || picture.rgb[3 * i + c] != bg[c]) scene[i] = 1;
  if (std::find(scene.begin(), scene.end(), 1) == scene.end()) scene.assign(n, 1);

  const std::vector<double> d = BlurredDifference(picture, baseline);
  double sum = 0, grey_picture = 0, grey_baseline = 0;
  int64_t differing = 0;
  for (size_t i = 0; i < n; ++i) {
    if (!scene[i]) continue;
    ++v.scene_pixels;
    sum += d[i];
    differing += d[i] > kPixelDifference;
    grey_picture += GreyAt(picture, i);
    grey_baseline += GreyAt(baseline, i);
  }
  v.mean_difference = sum / v.scene_pixels;
  v.share_differing = static_cast<double>(differing) / v.scene_pixels;
  // A black baseline scene: any light counts as all of it brighter.
  v.brightness_change = grey_baseline > 0 ? (grey_picture - grey_baseline) / grey_baseline : (grey_picture > 0 ? 1 : 0);
  v.blank = GreySpread(picture) < kBlankSpread && GreySpread(baseline) >= kBlankSpread;

  const bool mean_over = v.mean_difference > kMaxMeanDifference;
  const bool share_over = v.share_differing > kMaxShareDiffering;
  const bool brightness_over = std::abs(v.brightness_change) > kMaxBrightnessChange;
  v.same = !v.blank && !mean_over && !share_over && !brightness_over;

  const std::string mean = Format("mean difference %.2f grey levels", v.mean_difference);
  const std::string share =
      Format("%.1f %% of the pixels differ by more than %.0f", 100 * v.share_differing, kPixelDifference);
  const std::string brightness =
      Format(v.brightness_change < 0 ? "%.1f %% darker than the baseline" : "%.1f %% lighter than the baseline",
             100 * std::abs(v.brightness_change));
  if (v.same) {
    v.reason = mean + Format(" (at most %.1f), ", kMaxMeanDifference) + share +
               Format(" (at most %.1f %%), ", 100 * kMaxShareDiffering) + brightness +
               Format(" (at most %.0f %%)", 100 * kMaxBrightnessChange);
    return v;
  }
  std::vector<std::string> failed;
  if (v.blank) {
    char colour[8];
    std::snprintf(colour, sizeof colour, "#%02x%02x%02x", picture.rgb[0], picture.rgb[1], picture.rgb[2]);
    failed.push_back(std::string("the picture is blank (about ") + colour + " everywhere)");
  }
  if (mean_over) failed.push_back(mean + Format(", over %.1f", kMaxMeanDifference));
  if (share_over) failed.push_back(share + Format(", over %.1f %%", 100 * kMaxShareDiffering));
  if (brightness_over) failed.push_back(brightness + Format(", over %.0f %%", 100 * kMaxBrightnessChange));
  for (size_t i = 0; i < failed.size(); ++i) v.reason += (i ? "; " : "") + failed[i];
  return v;
}

TRgbPicture DifferencePicture(const TRgbPicture& picture, const TRgbPicture& baseline) {
  TRgbPicture out;
  if (!Valid(picture) || !Valid(baseline) || picture.width != baseline.width || picture.height != baseline.height)
    return out;
  const std::vector<double> d = BlurredDifference(picture, baseline);
  out.width = picture.width;
  out.height = picture.height;
  out.rgb.resize(3 * d.size());
  for (size_t i = 0; i < d.size(); ++i) {
    const auto grey = static_cast<uint8_t>(std::min(255.0, std::round(kDifferenceGain * d[i])));
    const bool over = d[i] > kPixelDifference;
    out.rgb[3 * i] = over ? 255 : grey;
    out.rgb[3 * i + 1] = over ? 0 : grey;
    out.rgb[3 * i + 2] = over ? 0 : grey;
  }
  return out;
}

// The movie and view options of the batch command line: values taken in
// their ranges and in command-line order, everything else refused with the
// message the user sees.
#include "batch/batch_options.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Args(std::initializer_list<const char*> rest) {
  std::vector<std::string> a{"flowskin", "torus.ply"};
  a.insert(a.end(), rest.begin(), rest.end());
  return a;
}

}  // namespace

TEST(BatchOptions, MovieOutputsTakeRateAndQuality) {
  struct Case {
    std::vector<std::string> args;
    int32_t fps, quality;
  };
  const Case cases[] = {
      {Args({"-o", "m.WEBM", "--fps", "12"}), 12, 60},
      {Args({"--quality=100", "--fps=120", "-o", "out/m.mp4", "--frames", "30"}), 120, 100},
  };
  for (const Case& c : cases) {
    TBatchOptions o;
    std::string error;
    ASSERT_TRUE(ParseBatchOptions(c.args, o, error)) << error;
    EXPECT_TRUE(IsMovieOutput(o));
    EXPECT_EQ(o.movie.fps, c.fps);
    EXPECT_EQ(o.movie.quality, c.quality);
    // Every frame goes to the one movie file.
    EXPECT_EQ(BatchFrameFileName(o, 7), o.output);
  }
  TBatchOptions pictures;
  std::string error;
  ASSERT_TRUE(ParseBatchOptions(Args({"-o", "out/f.png", "-n", "3"}), pictures, error));
  EXPECT_FALSE(IsMovieOutput(pictures));
  EXPECT_EQ(BatchFrameFileName(pictures, 2), "out/f002.png");
}

TEST(BatchOptions, ViewChangesAreKeptInOrderWithTheSettings) {
  TBatchOptions o;
  std::string error;
  ASSERT_TRUE(ParseBatchOptions(Args({"--turn", "90,-30.5", "--set", "ud_vz=-10", "--zoom", "1.5", "--pan=-20,8",
                                      "--turn", "1e1,0", "--view", "Iso", "-o", "f.png"}),
                                o, error))
      << error;
  struct Expect {
    TBatchStep::Kind kind;
    double x, y;
  };
  const Expect want[] = {{TBatchStep::Kind::Turn, 90, -30.5}, {TBatchStep::Kind::Set, 0, 0},
                         {TBatchStep::Kind::Zoom, 1.5, 0},    {TBatchStep::Kind::Pan, -20, 8},
                         {TBatchStep::Kind::Turn, 10, 0},     {TBatchStep::Kind::View, 0, 0}};
  ASSERT_EQ(o.steps.size(), std::size(want));
  for (size_t i = 0; i < o.steps.size(); ++i) {
    EXPECT_EQ(o.steps[i].kind, want[i].kind) << i;
    EXPECT_EQ(o.steps[i].x, want[i].x) << i;
    EXPECT_EQ(o.steps[i].y, want[i].y) << i;
  }
}

TEST(BatchOptions, BadMovieAndViewOptionsAreRefused) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {Args({"-o", "m.mp4", "--fps", "0"}), "option --fps needs a whole number in 1..120, not '0'"},
      {Args({"-o", "m.mp4", "--quality", "101"}), "option --quality needs a whole number in 0..100, not '101'"},
      {Args({"-o", "f.png", "--fps", "30"}),
       "--fps and --quality apply to movies only (an output ending in .mp4 or .webm)"},
      {Args({"-o", "f.bmp", "--quality", "30"}),
       "--fps and --quality apply to movies only (an output ending in .mp4 or .webm)"},
      {Args({"-o", "m.avi"}), "the output 'm.avi' must end in .png or .bmp (pictures) or in .mp4 or .webm (a movie)"},
      {Args({"-o", "f.png", "--turn", "30"}), "option --turn needs two numbers X,Y, not '30'"},
      {Args({"-o", "f.png", "--view", "x"}), "option --view needs one of +x, -x, +y, -y, +z, -z, iso, not 'x'"},
      {Args({"-o", "f.png", "--pan", "1,2,3"}), "option --pan needs two numbers X,Y, not '1,2,3'"},
      {Args({"-o", "f.png", "--pan", "nan,0"}), "option --pan needs two numbers X,Y, not 'nan,0'"},
      {Args({"-o", "f.png", "--turn", "1e300,0"}), "option --turn needs two numbers X,Y, not '1e300,0'"},
      {Args({"-o", "f.png", "--zoom", "0"}), "option --zoom needs a factor above 0, not '0'"},
      {Args({"-o", "f.png", "--zoom", "inf"}), "option --zoom needs a factor above 0, not 'inf'"},
      {Args({"-o", "f.png", "--probe", "1.5,2"}), "option --probe needs a pixel X,Y of the drawing area, not '1.5,2'"},
      {Args({"-o", "f.png", "--size", "64x48", "--probe", "10,48"}),
       "option --probe needs a pixel X,Y of the drawing area, not '10,48' (it is 64x48)"},
  };
  for (const Case& c : cases) {
    TBatchOptions o;
    std::string error;
    EXPECT_FALSE(ParseBatchOptions(c.args, o, error)) << c.message;
    EXPECT_EQ(error, c.message);
  }
}

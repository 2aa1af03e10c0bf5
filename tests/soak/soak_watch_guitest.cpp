// The watches of the window soak: the resident memory read from a status
// file, the ring of the last actions, the gap watch that finds a blocked
// event loop and names what blocked it, and the texts typed into edit boxes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QLocale>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "soak/soak_watch.h"

namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

TEST(SoakWatch, ResidentMemoryIsReadFromTheStatusFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const struct {
    const char* text;  // null: no file
    long kb;
  } cases[] = {
      {"Name:\tsoak\nVmPeak:\t  900 kB\nVmRSS:\t  123456 kB\nVmData:\t 5 kB\n", 123456},
      {"VmRSS: 7 kB", 7},
      {"Name:\tsoak\nVmHWM:\t 5 kB\n", -1},
      {nullptr, -1},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string path = dir.filePath(QString("status%1").arg(n++)).toStdString();
    if (c.text) std::ofstream(path) << c.text;
    EXPECT_EQ(soak::ResidentKb(path.c_str()), c.kb) << (c.text ? c.text : "no file");
  }
  // This process: 64 MB touched are 64 MB more resident.
  const long before = soak::ResidentKb();
  ASSERT_GT(before, 0);
  std::vector<char> block(64 << 20);
  std::memset(block.data(), 1, block.size());
  EXPECT_GE(soak::ResidentKb() - before, 60 * 1024);
  EXPECT_EQ(block[block.size() / 2], 1);
}

TEST(SoakWatch, TheRingKeepsTheLastLinesInOrder) {
  soak::TActionRing ring;
  EXPECT_TRUE(ring.Last(5).empty());
  for (int i = 1; i <= 3; ++i) ring.Push("#" + std::to_string(i));
  EXPECT_EQ(ring.Last(2), (std::vector<std::string>{"#2", "#3"}));
  ring.ReplaceLast("#3 done");
  EXPECT_EQ(ring.Last(9), (std::vector<std::string>{"#1", "#2", "#3 done"}));
  for (int i = 4; i <= 70; ++i) ring.Push("#" + std::to_string(i));
  const std::vector<std::string> last = ring.Last(100);
  ASSERT_EQ(last.size(), size_t(soak::TActionRing::kSlots));
  EXPECT_EQ(last.front(), "#7");
  EXPECT_EQ(last.back(), "#70");
  ring.Push(std::string(1000, 'x'));  // cut to its slot
  EXPECT_EQ(ring.Last(1).front().size(), size_t(soak::TActionRing::kLineBytes - 1));

  // What a crash handler writes: the same lines.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ring.WriteTo(fds[1], 3);
  close(fds[1]);
  char buf[4096];
  const ssize_t got = read(fds[0], buf, sizeof buf);
  close(fds[0]);
  ASSERT_GT(got, 0);
  const std::string text(buf, size_t(got));
  EXPECT_EQ(text, "#69\n#70\n" + std::string(soak::TActionRing::kLineBytes - 1, 'x') + "\n");
}

// Blocks of the event loop of 1.2 s are found and blamed on what ran; one
// the blame tolerates (a mesh load) is kept apart; short ones are not reported.
TEST(SoakWatch, TheGapWatchFindsABlockedEventLoopAndNamesTheBlocker) {
  std::string running = "idle";
  soak::TGapWatch watch(20, 1000, [&](int64_t, int64_t) {
    return soak::TGapWatch::TBlame{running, running == "load"};
  });
  int ticks = 0;
  watch.on_tick = [&](int64_t) { ++ticks; };
  std::vector<std::string> said;  // as found
  watch.on_over = [&](const soak::TGap& g) { said.push_back(g.during); };
  watch.Start();
  const struct {
    const char* what;
    int block_ms;
  } steps[] = {{"short", 300}, {"click", 1200}, {"load", 1300}, {"short", 200}};
  for (const auto& s : steps) {
    QTest::qWait(100);
    running = s.what;
    Sleep(s.block_ms);
    QTest::qWait(60);  // the next tick measures the gap
    running = "idle";
  }
  watch.Stop();
  EXPECT_GT(ticks, 10);
  ASSERT_EQ(watch.Over().size(), 1u);
  EXPECT_EQ(said, std::vector<std::string>{"click"});
  EXPECT_EQ(watch.Over()[0].during, "click");
  EXPECT_GE(watch.Over()[0].ms, 1150);
  EXPECT_LT(watch.Over()[0].ms, 5000);
  EXPECT_EQ(watch.Longest().during, "click");
  EXPECT_EQ(watch.LongestTolerated().during, "load");
  EXPECT_GE(watch.LongestTolerated().ms, 1250);
  EXPECT_TRUE(watch.LongestTolerated().tolerated);
}

TEST(SoakWatch, TypedTextsAreOfTheirKindAndFollowTheSeed) {
  const auto as_int = [](const std::string& t, bool& ok) { return QString::fromStdString(t).trimmed().toInt(&ok); };
  const auto as_double = [](const std::string& t, bool& ok) {
    return QLocale::c().toDouble(QString::fromStdString(t).trimmed(), &ok);
  };
  std::mt19937 r(11);
  for (int i = 0; i < 300; ++i) {
    const int lo = -50, hi = 200;
    for (int k = 0; k < soak::kTextKinds; ++k) {
      const auto kind = soak::TTextKind(k);
      const std::string t = soak::TypedText(r, kind, lo, hi);
      SCOPED_TRACE(std::string(soak::TextKindName(kind)) + " '" + t + "'");
      bool ok = false;
      switch (kind) {
        case soak::TTextKind::kGoodInteger: {
          const int v = as_int(t, ok);
          EXPECT_TRUE(ok && v >= lo && v <= hi);
          break;
        }
        case soak::TTextKind::kGoodFloat: {
          const double v = as_double(t, ok);
          EXPECT_TRUE(ok && v >= lo - 0.5 && v <= hi + 0.5);
          break;
        }
        case soak::TTextKind::kOutOfRange: {
          const int v = as_int(t, ok);
          EXPECT_TRUE(ok && (v < lo || v > hi));
          break;
        }
        case soak::TTextKind::kBad: {
          as_int(t, ok);
          bool float_ok = false;
          as_double(t, float_ok);
          EXPECT_FALSE(ok || float_ok);
          break;
        }
        case soak::TTextKind::kEmpty:
          EXPECT_TRUE(QString::fromStdString(t).trimmed().isEmpty());
          break;
        case soak::TTextKind::kHuge: {
          const int v = as_int(t, ok);
          EXPECT_TRUE(!ok || v >= 32767 || v <= -32769);
          break;
        }
      }
    }
  }
  // The same seed types the same texts.
  std::mt19937 a(5), b(5);
  for (int i = 0; i < 50; ++i) {
    const auto kind = soak::TTextKind(i % soak::kTextKinds);
    EXPECT_EQ(soak::TypedText(a, kind, 0, 9), soak::TypedText(b, kind, 0, 9));
  }
}

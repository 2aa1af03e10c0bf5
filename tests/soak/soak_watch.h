#pragma once
// What the window soak (soak_window.cpp) watches while it drives the window:
// how long the event loop went without answering a timer, the resident
// memory, the last actions taken (for the report of a failure, even from a
// crash handler), and the texts a user types into edit boxes.
#include <malloc.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator counts what it has handed out (its header is not
// installed with every compiler).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace soak {

// Resident memory of the process in KiB, from the "VmRSS:" line of a
// /proc/<pid>/status file; -1 when the file or the line is missing.
inline long ResidentKb(const char* status_path = "/proc/self/status") {
  FILE* f = std::fopen(status_path, "r");
  if (!f) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, "VmRSS:", 6) == 0) {
      kb = std::strtol(line + 6, nullptr, 10);
      break;
    }
  std::fclose(f);
  return kb;
}

// Bytes the allocator has handed out and not got back (small blocks and
// mapped ones), in KiB: what the program holds, without the free memory
// the allocator keeps.
inline long HeapInUseKb() {
#if defined(__SANITIZE_ADDRESS__)
  return long(__sanitizer_get_current_allocated_bytes() / 1024);
#else
  const struct mallinfo2 m = mallinfo2();
  return long((m.uordblks + m.hblkhd) / 1024);
#endif
}

// Free memory the allocator keeps for reuse rather than handing it back to
// the system, in KiB (0 where the sanitizer's allocator stands in).
inline long AllocatorFreeKb() {
#if defined(__SANITIZE_ADDRESS__)
  return 0;
#else
  return long(mallinfo2().fordblks / 1024);
#endif
}

// The last `kSlots` lines pushed, oldest first. Lines live in fixed slots
// (cut at kLineBytes - 1 bytes) so that WriteTo can run in a signal handler.
class TActionRing {
 public:
  static constexpr int kSlots = 64;
  static constexpr int kLineBytes = 240;

  void Push(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    Put(next_, line);
    ++next_;
  }
  // Rewrites the last line (an action's line once it is done); pushes it when
  // there is none.
  void ReplaceLast(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (next_ == 0) ++next_;
    Put(next_ - 1, line);
  }
  // The last `n` lines (at most kSlots), oldest first.
  std::vector<std::string> Last(int n) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    const int64_t count = std::min<int64_t>({int64_t(n), int64_t(kSlots), next_});
    for (int64_t i = next_ - count; i < next_; ++i) out.emplace_back(slots_[i % kSlots].data());
    return out;
  }
  // The last `n` lines to file descriptor `fd`, one per line; takes no lock
  // and allocates nothing (for crash handlers; a line being written may show
  // half old, half new).
  void WriteTo(int fd, int n) const {
    const int64_t next = next_;
    const int64_t count = std::min<int64_t>({int64_t(n), int64_t(kSlots), next});
    for (int64_t i = next - count; i < next; ++i) {
      const char* s = slots_[i % kSlots].data();
      if (write(fd, s, strnlen(s, kLineBytes)) < 0 || write(fd, "\n", 1) < 0) return;
    }
  }

 private:
  void Put(int64_t index, const std::string& line) {
    char* slot = slots_[index % kSlots].data();
    const size_t n = std::min(line.size(), size_t(kLineBytes - 1));
    std::memcpy(slot, line.data(), n);
    slot[n] = '\0';
  }

  mutable std::mutex mutex_;
  std::array<std::array<char, kLineBytes>, kSlots> slots_{};
  int64_t next_ = 0;
};

// A gap between two ticks of the watch's timer: how long the event loop did
// not answer, and what ran meanwhile.
struct TGap {
  int64_t ms = 0;     // from one tick to the next, less the timer's interval
  int64_t at_ms = 0;  // when it ended, on the watch's clock
  std::string during;
  bool tolerated = false;  // during a mesh load with its busy indicator
};

// Ticks every `tick_ms` and measures each gap between ticks beyond the
// interval. `blame(start_ms, end_ms)` names what ran during a gap and tells
// whether the gap is tolerated; it is asked only for gaps over `report_ms`.
// `on_tick(now_ms)` runs at every tick (further checks of the caller).
class TGapWatch {
 public:
  struct TBlame {
    std::string during;
    bool tolerated = false;
  };
  TGapWatch(int tick_ms, int64_t report_ms, std::function<TBlame(int64_t, int64_t)> blame)
      : tick_ms_(tick_ms), report_ms_(report_ms), blame_(std::move(blame)) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(tick_ms);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  }
  void Start() {
    clock_.start();
    last_ = 0;
    timer_.start();
  }
  void Stop() { timer_.stop(); }
  int64_t NowMs() const { return clock_.elapsed(); }
  int64_t LastTickMs() const { return last_; }

  std::function<void(int64_t now_ms)> on_tick;
  std::function<void(const TGap&)> on_over;                    // a gap over report_ms not tolerated, as it is found
  const TGap& Longest() const { return longest_; }             // not tolerated
  const TGap& LongestTolerated() const { return tolerated_; }  // during loads
  // Gaps over report_ms that were not tolerated, in order.
  const std::vector<TGap>& Over() const { return over_; }

 private:
  void Tick() {
    const int64_t now = clock_.elapsed();
    const int64_t gap = std::max<int64_t>(0, now - last_ - tick_ms_);
    const int64_t start = last_;
    last_ = now;
    if (gap > std::min(longest_.ms, tolerated_.ms) || gap > report_ms_) {
      TBlame b = blame_ ? blame_(start, now) : TBlame{};
      TGap g{gap, now, std::move(b.during), b.tolerated};
      TGap& worst = g.tolerated ? tolerated_ : longest_;
      if (g.ms > worst.ms) worst = g;
      if (!g.tolerated && g.ms > report_ms_) {
        over_.push_back(g);
        if (on_over) on_over(g);
      }
    }
    if (on_tick) on_tick(now);
  }

  QTimer timer_;
  QElapsedTimer clock_;
  int tick_ms_;
  int64_t report_ms_;
  std::function<TBlame(int64_t, int64_t)> blame_;
  int64_t last_ = 0;
  TGap longest_, tolerated_;
  std::vector<TGap> over_;
};

// Kinds of text typed into an edit box.
enum class TTextKind { kGoodInteger, kGoodFloat, kOutOfRange, kBad, kEmpty, kHuge };
constexpr int kTextKinds = 6;
inline const char* TextKindName(TTextKind k) {
  static const char* const names[] = {"good", "float", "out of range", "bad", "empty", "huge"};
  return names[int(k)];
}

// A text of kind `kind` for an edit whose sensible values lie in lo..hi
// (lo > hi: no known range; a good integer is then drawn from -100..1000).
inline std::string TypedText(std::mt19937& r, TTextKind kind, int lo, int hi) {
  auto pick = [&r](std::initializer_list<const char*> from) {
    return std::string(from.begin()[std::uniform_int_distribution<size_t>(0, from.size() - 1)(r)]);
  };
  if (lo > hi) {
    lo = -100;
    hi = 1000;
  }
  switch (kind) {
    case TTextKind::kGoodInteger:
      return std::to_string(std::uniform_int_distribution<int>(lo, hi)(r));
    case TTextKind::kGoodFloat: {
      char s[32];
      std::snprintf(s, sizeof s, "%.3g", std::uniform_real_distribution<double>(lo, hi)(r));
      return s;
    }
    case TTextKind::kOutOfRange:
      return std::to_string(std::uniform_int_distribution<int>(0, 1)(r) ? hi + 1 + int(r() % 1000)
                                                                        : lo - 1 - int(r() % 1000));
    case TTextKind::kBad:
      return pick({"abc", "1,5", "--3", "0x1F", "1e", "12abc", "+-", "1 2", ".", "e5", "\xd9\xa1\xd9\xa2", "\xc3\xa9",
                   "'", "%s%n", "3..4", "1/2"});
    case TTextKind::kEmpty:
      return pick({"", " ", "  "});
    case TTextKind::kHuge:
      return pick({"99999999999999999999", "2147483647", "2147483648", "-2147483649", "32767", "32768", "-32769",
                   "65536", "1e308", "-1e308", "1e999", "nan", "inf", "-inf", "4294967296", "1e-320",
                   "123456789012345678901234567890123456789012345678901234567890"});
  }
  return {};
}

}  // namespace soak

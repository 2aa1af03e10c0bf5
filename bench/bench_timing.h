#pragma once
// Timing helpers shared by the benchmarks. The machine may be shared, so the
// processor benchmarks report wall-clock and processor time side by side:
// processor time is what the work itself costs.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

struct TTime {
  double wall = 1e30, cpu = 1e30;
};

inline double CpuNow() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

inline TTime Measure(const std::function<void()>& fn) {
  const auto t0 = std::chrono::steady_clock::now();
  const double c0 = CpuNow();
  fn();
  return TTime{std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), CpuNow() - c0};
}

// Best of `reps` runs, wall and processor time taken separately, each run
// timed by `measure`.
inline TTime Best(int reps, const std::function<void()>& fn,
                  TTime (*measure)(const std::function<void()>&) = Measure) {
  TTime best;
  for (int r = 0; r < reps; ++r) {
    const TTime t = measure(fn);
    best.wall = std::min(best.wall, t.wall);
    best.cpu = std::min(best.cpu, t.cpu);
  }
  return best;
}

inline double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;  // ru_maxrss is in kilobytes on Linux
}

// Runs a batch command of the program and returns the seconds of its
// "wrote (drew) N frames in T s" line; < 0 on failure.
inline double FrameSeconds(const std::string& command) {
  FILE* p = popen((command + " 2>/dev/null").c_str(), "r");
  if (!p) return -1;
  char line[512];
  double seconds = -1;
  while (fgets(line, sizeof line, p)) {
    int n = 0;
    double t = 0;
    if (std::sscanf(line, "wrote %d frames in %lf s", &n, &t) == 2 ||
        std::sscanf(line, "drew %d frames in %lf s", &n, &t) == 2)
      seconds = t;
  }
  return pclose(p) == 0 ? seconds : -1;
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

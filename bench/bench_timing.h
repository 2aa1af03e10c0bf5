#pragma once
// Timing helpers shared by the benchmarks. The machine may be shared, so the
// processor benchmarks report wall-clock and processor time side by side:
// processor time is what the work itself costs.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <functional>
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

// Best of `reps` runs, wall and processor time taken separately.
inline TTime Best(int reps, const std::function<void()>& fn) {
  TTime best;
  for (int r = 0; r < reps; ++r) {
    const TTime t = Measure(fn);
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

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

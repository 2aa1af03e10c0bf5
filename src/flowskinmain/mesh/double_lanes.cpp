#include "mesh/double_lanes.h"

#include <atomic>

namespace {

std::atomic<bool> g_wide_allowed{true};

}  // namespace

bool WideLanes() {
  static const bool machine_has = __builtin_cpu_supports("avx2");
  return machine_has && g_wide_allowed.load();
}

void SetWideLanes(bool allowed) { g_wide_allowed.store(allowed); }

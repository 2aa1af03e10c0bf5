#pragma once
// How much freed memory the process keeps for reuse rather than handing it
// back to the system. Called once at start, before any thread is started, by
// the program and by every tool that stands in for it (benchmarks, the soak).
void SetHeapLimits();

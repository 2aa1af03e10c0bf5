#pragma once
// For the display test binaries: a crash prints the stack of the crashing
// thread to standard error before the process dies as it would have, so a
// rare crash in CI leaves a trace in the log. Not installed in sanitizer
// builds, whose own reports are better.
#include <execinfo.h>
#include <unistd.h>

#include <csignal>

inline void PrintCrashTrace(int sig) {
  void* frames[64];
  const int n = backtrace(frames, 64);
  const char banner[] = "\n*** crash: stack of the crashing thread ***\n";
  write(STDERR_FILENO, banner, sizeof banner - 1);
  backtrace_symbols_fd(frames, n, STDERR_FILENO);
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

inline void InstallCrashTrace() {
#if !defined(__SANITIZE_ADDRESS__)
  for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) std::signal(sig, PrintCrashTrace);
#endif
}

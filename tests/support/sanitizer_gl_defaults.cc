// Sanitizer build of the GL and GUI test binaries: keeps the GL driver loaded
// until the process ends. Mesa unloads its software driver when the last
// display connection closes, before the leak check at exit runs; the check
// could then no longer name the library that made an allocation it reports,
// and the driver's own suppressions (sanitizer_defaults.cc) would not match.
#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>

namespace {

const bool kDriverPinned = [] {
  return dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_LAZY | RTLD_NODELETE) != nullptr;
}();

}  // namespace
#endif

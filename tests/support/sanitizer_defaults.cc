// Defaults of the address, leak and undefined-behaviour sanitizers for the
// test binaries of the sanitizer build (scripts/test.sh). Compiled into every
// test binary; without the sanitizers nothing calls these functions.
extern "C" {

// Leak suppressions: only memory that the system's GL, X and Qt libraries
// keep, never our own code. A suppression matches when a frame of the
// allocation's stack lies in the named library.
const char* __lsan_default_suppressions() {
  return
      // libdbus-1: Qt's X11 platform integration opens a D-Bus connection
      // (QtDBus, for the desktop theme and accessibility) whose read buffer
      // libdbus grows in _dbus_read from Qt's event loop; Qt never closes
      // that connection before exit. Nothing of ours uses D-Bus.
      "leak:libdbus-1.so\n"
      // swrast_dri.so: Mesa's software GL driver loses small blocks of its own
      // display-list storage: 36 bytes each time a list holding a GLU
      // cylinder is compiled (the flow-source glyphs of the overlay list) and
      // 56 when such a list is first replayed; seen with valgrind, allocated
      // inside the driver under gluCylinder and glCallList. The lists are
      // ours and are replaced under the same names (glNewList frees what a
      // name held); the lost blocks are the driver's.
      "leak:swrast_dri.so\n";
}

// Every report ends the test binary with an error, with a stack trace.
const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }

// intercept_tls_get_addr=0: the runtime of this compiler (GCC 12) takes a
// thread-local block of a loaded library (Mesa, Qt) for one with the header
// glibc dropped in 2.25 whenever the block happens to start 16 bytes into a
// page, and reads the two words before it as that block's extent. The leak
// check at exit then dies in its thread-stopping tracer ("Tracer caught
// signal 11", "LeakSanitizer has encountered a fatal error") after a test
// has passed: about one display test in a hundred. Without the interception
// the check scans the static thread-local blocks and the threads' stacks.
const char* __asan_default_options() { return "intercept_tls_get_addr=0"; }

// Thread sanitizer: the first race ends the test binary with its report.
const char* __tsan_default_options() { return "halt_on_error=1:second_deadlock_stack=1"; }

// Race suppressions: the GL driver's own threads. Mesa's software
// rasteriser hands frames to its worker threads and destroys its fences with
// futex-based waits the sanitizer cannot see, so it reports the driver's
// mutex_destroy against the lock of a worker that had already let go (both
// sides inside swrast_dri.so, on the driver's own allocations). What our code
// hands the driver is copied when the call is made.
//
// And two hand-overs between threads that Qt synchronises inside its own
// libraries, which the sanitizer does not see: a picture handed to a writer
// thread is freed by whichever side lets go of it last (Qt counts the
// picture's references with atomics inside its library), and a call queued
// to the main thread from a loading thread is deleted by the loading thread
// once it has run (Qt's event queue locks inside its library). Likewise the
// X connection's reader thread that Qt starts for the display: its wake-ups
// (in libxcb and Qt's wait condition) are reported against their own
// teardown at exit, both sides inside those libraries. And GLib, under Qt's
// event dispatcher: it locks its main context with raw futex waits, not the
// pthread calls the sanitizer follows, so a buffer GLib grew in the X reader
// thread and copies in the main thread under that lock is reported as a race
// (both sides inside libglib-2.0, g_realloc against g_memdup2).
const char* __tsan_default_suppressions() {
  return "race:swrast_dri.so\n"
         "race:QImageData::~QImageData\n"
         "race:QMetaObject::invokeMethodImpl\n"
         "race:QWaitCondition::~QWaitCondition\n"
         "race:libxcb.so.1\n"
         "race:libglib-2.0.so.0\n";
}

}  // extern "C"

#include "mesh/heap_limits.h"

#include <malloc.h>

// The software GL driver allocates and frees about 8 MB of binning memory and
// vertex buffers on every draw. With the C library's default limits those
// blocks go back to the system after some frames and fault in again on the
// next (up to twice the frame's time): blocks under 32 MB therefore come from
// the heap rather than their own mappings.
//
// Free memory at the top of a heap is handed back once it exceeds 16 MB. The
// limit is also what lets the heaps of other threads (a load beside the
// window, a movie's encoder) shrink at all: each holds at most 64 MB, so a
// larger limit, as a 256 MB one did, kept every such heap at the largest
// size it ever reached, and a window used for an hour grew by hundreds of MB.
void SetHeapLimits() {
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 16 << 20);
}

#pragma once
// The batch renderer: `flowskin MESH.ply OPTIONS` draws frames of the
// animation in a window that is never shown on screen and writes them as
// pictures (see BatchUsage in batch_options.h).

// Whether the command line asks for a batch run (any option).
bool IsBatchRun(int argc, char** argv);

// Runs the batch command line and returns the exit status: 0 when every
// frame was written, 1 when the mesh, a setting or a write failed, 2 for a
// bad command line. Messages go to the standard error, progress to the
// standard output. Creates the application object itself; everything the
// command line names is checked before the first file is written.
int RunBatch(int argc, char** argv);

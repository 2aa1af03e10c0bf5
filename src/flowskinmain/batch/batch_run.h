#pragma once
// The batch renderer: `flowskin MESH.ply OPTIONS` draws frames of the
// animation with no window system and writes them as pictures or a movie
// (see BatchUsage in batch_options.h).
#include <QString>

struct TBatchOptions;

// Whether the command line asks for a batch run (any option).
bool IsBatchRun(int argc, char** argv);

// Runs the batch command line and returns the exit status: 0 when every
// frame was written, 1 when the mesh, a setting or a write failed, 2 for a
// bad command line. Messages go to the standard error, progress to the
// standard output. Creates the application object itself; everything the
// command line names is checked before the first file is written.
int RunBatch(int argc, char** argv);

// The frames of parsed options written to o.output (after o.warmup frames),
// progress and --probe answers on the standard output; needs a QApplication.
// False with the message when the output folder, the mesh, a setting or a
// write failed (nothing is left under the output's names then).
bool WriteBatchFrames(const TBatchOptions& o, QString& error);

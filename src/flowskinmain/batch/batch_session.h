#pragma once
// One scene drawn frame by frame with no window system: the window's controls
// laid out off screen, its drawing area started headless at the asked size,
// the mesh loaded and the presets, settings, pictures and view changes applied
// in the order given. The batch command and the Python module draw through it,
// so that both give the same frames for the same options. Needs a QApplication
// (the off-screen platform does).
#include <QImage>
#include <QString>
#include <memory>
#include <vector>

#include "batch/batch_options.h"

class TForm1;
class TBatchDialogs;

class TBatchSession {
 public:
  TBatchSession();
  ~TBatchSession();
  TBatchSession(const TBatchSession&) = delete;
  TBatchSession& operator=(const TBatchSession&) = delete;

  // Starts the drawing area at o.width x o.height, applies the "Mesh input"
  // settings of o.steps, loads o.mesh and applies the other steps. False with
  // the message (the file and the reason, or the step and what is wrong).
  bool Open(const TBatchOptions& o, QString& error);
  // More steps after the load; a "Mesh input" setting is refused (it applies
  // to a load only).
  bool Apply(const std::vector<TBatchStep>& steps, QString& error);
  // One step of the "Run" loop; Picture: the frame it drew (a null picture
  // when it could not be read back).
  void Step();
  QImage Picture();
  // What the status line shows with the mouse on pixel (x, y) of the drawing
  // area, from its top left ("off the surface" when no surface lies there).
  QString Probe(int x, int y);
  // The text of --list.
  QString ControlListing();

 private:
  bool ApplySteps(const std::vector<TBatchStep>& steps, bool load_options, QString& error);
  std::unique_ptr<TBatchDialogs> dialogs_;
  std::unique_ptr<TForm1> form_;
  int32_t width_ = 0, height_ = 0;
};

// Leaves out the off-screen platform's remark that a window has no size
// hints; every other message goes to the standard error as usual.
void DropOffScreenRemarks();

// Frame driver: one frame per GL panel redraw, and the "Run" loop.
#include <GL/gl.h>

#include <QCoreApplication>

#include "colorconversion/colorconversion.h"
#include "glpanel/glpanel.h"
#include "shell/form1.h"

// One frame. For now: viewport over the whole panel, cleared to the
// "Background" colour; the frame's passes are composed here as they arrive.
// Ends with scene_dirty and view_changed consumed.
void TForm1::GLPanel1Redraw(QObject*) {
  ++diag.frames_drawn;
  glViewport(0, 0, GLPanel1->Width(), GLPanel1->Height());
  const TRGBInt bg = SplitColor(sh_background->Color());
  glClearColor(bg.red / 255.0f, bg.green / 255.0f, bg.blue / 255.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glColor3f(1, 1, 1);
  state.frame.scene_dirty = false;
  state.frame.view_changed = false;
}

// The "Run" loop: while sb_animate is down, draw frame after frame, turn the view
// by the "Rotate" step (0.1 degree units), advance time-dependent data, and let
// pending window messages run between frames. A click that raises the button
// (or closing the window) ends the loop at its next test; the nested click
// handler finds the button up and returns at once.
void TForm1::sb_animateClick(QObject*) {
  while (sb_animate->Down()) {
    ++state.frame.frame_counter;
    GLPanel1->Redraw();
    const int rotate = ud_rotate->Position();
    if (rotate != 0) {
      state.view.rot_y += rotate / 10.0;
      state.frame.view_changed = true;
    }
    RunLoopTimeStep();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
}

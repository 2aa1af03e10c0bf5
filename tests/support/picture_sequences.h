#pragma once
// A fresh main window for drawing a fixed sequence of frames: the mesh loaded
// through the dialog, then every frame the panel draws kept as read from the
// back buffer before the swap (RGB rows of 3w bytes, bottom row first).
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <QTest>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "glpanel/glpanel.h"
#include "support/frame_recorder.h"
#include "support/scripted_dialogs.h"
#include "window/form1.h"

struct TSequenceRun {
  TScriptedDialogs dialogs;
  std::unique_ptr<TForm1> form;
  std::unique_ptr<TFrameRecorder> recorder;

  // Shows the window, waits for its context, loads `mesh` and starts
  // recording; surface_arrays chooses how the surface is drawn. The events of
  // showing are all handled before the load, so the sequence starts from the
  // same state in every window. read_back: how frames reach the frame
  // texture (-1 leaves the context's choice); panel: the drawing area's size
  // (empty leaves it at its start size).
  bool Open(const QString& mesh, bool surface_arrays, int read_back = -1, QSize panel = {}) {
    form = std::make_unique<TForm1>(QStringList{}, &dialogs);
    form->state.frame.surface_arrays = surface_arrays;
    form->settle_after_changes = false;  // only the sequence's own frames, as in a batch run
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) return false;
    if (!QTest::qWaitFor([&] { return form->GLPanel1->ContextReady(); }, 3000)) return false;
    QTest::qWait(20);
    if (read_back >= 0) form->state.frame.capture.read_back_window = read_back == 1;
    if (!panel.isEmpty() && !SizePanel(panel)) return false;
    dialogs.file_answers.push_back(mesh);
    form->Open1Click(form->but_load_mesh);
    if (form->state.mesh.vertex_count == 0) return false;
    recorder = std::make_unique<TFrameRecorder>(*form);
    return true;
  }

  // Sizes the drawing area through the window edits and lets the resize settle.
  bool SizePanel(QSize panel) {
    form->ed_winw->SetText(QString::number(panel.width()));
    form->ed_winh->SetText(QString::number(panel.height()));
    QTest::keyClick(form->ed_winw, Qt::Key_Return);
    const bool sized = QTest::qWaitFor([&] { return QSize(form->GLPanel1->Width(), form->GLPanel1->Height()) == panel; }, 3000);
    QTest::qWait(20);
    return sized;
  }
};

// FNV-1a over every byte of every frame, as 16 hex digits.
inline std::string FramesChecksum(const std::vector<std::vector<uint8_t>>& frames) {
  uint64_t h = 1469598103934665603ull;
  for (const auto& f : frames)
    for (uint8_t b : f) h = (h ^ b) * 1099511628211ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

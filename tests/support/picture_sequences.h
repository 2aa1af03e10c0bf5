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
  // same state in every window.
  bool Open(const QString& mesh, bool surface_arrays) {
    form = std::make_unique<TForm1>(QStringList{}, &dialogs);
    form->state.frame.surface_arrays = surface_arrays;
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) return false;
    if (!QTest::qWaitFor([&] { return form->GLPanel1->ContextReady(); }, 3000)) return false;
    QTest::qWait(20);
    dialogs.file_answers.push_back(mesh);
    form->Open1Click(form->but_load_mesh);
    if (form->state.mesh.vertex_count == 0) return false;
    recorder = std::make_unique<TFrameRecorder>(*form);
    return true;
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

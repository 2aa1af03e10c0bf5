#pragma once
// Dialogs for the benchmarks that drive the real window.
#include <QString>
#include <cstdio>

#include "window/dialogs.h"

// Every dialog is cancelled; messages are counted (a long run should show none).
class TQuietDialogs : public IDialogs {
 public:
  int messages = 0;
  bool OpenFile(const TFileDialogState&, QString&) override { return false; }
  bool PickColor(int32_t, int32_t&) override { return false; }
  bool OpenPicture(const TFileDialogState&, QString&) override { return false; }
  bool SavePicture(const TFileDialogState&, QString&) override { return false; }
  void ShowMessage(const QString& text) override {
    ++messages;
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
  }
};

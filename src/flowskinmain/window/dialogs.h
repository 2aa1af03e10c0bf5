#pragma once
// The modal dialogs of the window behind one interface, so that tests answer
// them without a human. TForm1 uses the Qt implementation unless it is given
// another one.
#include <QString>
#include <cstdint>

// State of a file dialog that outlives one showing (initial folder, last name).
// filter uses the "Description|pattern|Description|pattern" form.
struct TFileDialogState {
  QString filter;
  QString initial_dir;
  QString file_name;
};

class IDialogs {
 public:
  virtual ~IDialogs() = default;
  // Each returns false when the user cancels, leaving the output untouched.
  virtual bool OpenFile(const TFileDialogState& dialog, QString& path) = 0;
  // color and chosen are 0x00BBGGRR values.
  virtual bool PickColor(int32_t color, int32_t& chosen) = 0;
  virtual bool OpenPicture(const TFileDialogState& dialog, QString& path) = 0;
  virtual bool SavePicture(const TFileDialogState& dialog, QString& path) = 0;
  virtual void ShowMessage(const QString& text) = 0;
  // A file that could not be loaded or saved: a warning that names the file
  // and says why. Dialogs that know no warning show it as a message.
  virtual void ShowWarning(const QString& text) { ShowMessage(text); }
};

class QWidget;

// The dialogs of the toolkit, parented to the main window.
class TQtDialogs : public IDialogs {
 public:
  explicit TQtDialogs(QWidget* parent) : parent_(parent) {}
  bool OpenFile(const TFileDialogState& dialog, QString& path) override;
  bool PickColor(int32_t color, int32_t& chosen) override;
  bool OpenPicture(const TFileDialogState& dialog, QString& path) override;
  bool SavePicture(const TFileDialogState& dialog, QString& path) override;
  void ShowMessage(const QString& text) override;
  void ShowWarning(const QString& text) override;

 private:
  QWidget* parent_;
};

// "PLY files (*.ply)|*.PLY|All files|*.*" -> "PLY files (*.PLY *.ply);;All files (*.*)":
// the toolkit's filter form, with lower-case patterns added.
QString QtFilterOf(const QString& pipe_filter);

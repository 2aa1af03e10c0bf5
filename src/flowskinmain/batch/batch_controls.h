#pragma once
// The controls of the window as a batch run sees them: found by their names
// (ud_vz) or by tab and caption ("Texture/Scale"), set as a user would set
// them (typing into an edit and pressing Enter, ticking a box, choosing a
// colour in the dialog), and the preset buttons pressed by their captions
// ("Contour flow XY"). Listing of both for --list.
#include <QString>
#include <QWidget>
#include <deque>
#include <optional>
#include <vector>

#include "window/dialogs.h"

class TForm1;

// Dialogs of a batch run: no dialog is shown. A colour pick answers the
// queued colour; a picture dialog answers the queued file; everything else is
// cancelled. Every message is kept: in a batch run a message means failure.
class TBatchDialogs : public IDialogs {
 public:
  std::optional<int32_t> next_color;
  std::optional<QString> next_picture;
  std::vector<QString> messages;

  bool OpenFile(const TFileDialogState&, QString&) override { return false; }
  bool PickColor(int32_t, int32_t& chosen) override;
  bool OpenPicture(const TFileDialogState&, QString& path) override;
  bool SavePicture(const TFileDialogState&, QString&) override { return false; }
  void ShowMessage(const QString& text) override { messages.push_back(text); }
};

// One control that --set can change, or one preset button.
struct TBatchControl {
  QWidget* widget = nullptr;
  QString name;     // object name; for presets the caption with its row ("Contour flow XY")
  QString tab;      // the tab that holds it
  QString caption;  // its own caption or the label before it in its row; may be empty
  QString values;   // what it accepts, for the listing ("-100..100", "0 or 1", ...)
};

// Controls on the tabs that --set can change: check boxes, radio buttons,
// up-downs, edits that no up-down owns, colour swatches, drop-down lists, the
// track bar and the "Blocks" list (set by block names).
std::vector<TBatchControl> SettableControls(TForm1& form);
// The buttons of the "Presets" group.
std::vector<TBatchControl> PresetButtons(TForm1& form);
// Every other button on the tabs ("Add paint", "Reset View", ...).
std::vector<TBatchControl> TabButtons(TForm1& form);

// The control named `name` (an object name, or "Tab/Caption", any case; the
// edit of an up-down stands for the up-down). Null with a message when no
// control or more than one fits.
const TBatchControl* FindSettable(const std::vector<TBatchControl>& controls, const QString& name, QString& error);
// The preset `name` (its caption with its row, or its button's name, any case).
const TBatchControl* FindPreset(const std::vector<TBatchControl>& presets, const QString& name, QString& error);

// Sets control c to `value` the way a user would, so its notification runs.
// Returns false with a message for a value the control cannot take (not a
// number, outside the control's range, an unknown colour or list item, a radio
// button set to 0). The "Blocks" list takes block names separated by commas,
// for the load that follows (which refuses a name the file has no block of).
bool ApplySetting(TForm1& form, TBatchDialogs& dialogs, const TBatchControl& c, const QString& value, QString& error);

// The text of --list: presets, then controls by tab with what each accepts
// and its value now.
QString ControlListing(TForm1& form);

#pragma once
// What the window remembers between runs: the values of the controls, the
// window's geometry and the folders of its file dialogs, kept in a QSettings
// store. Only the program's start-up links a store to the window; batch runs
// and tests that give none read and write nothing.
#include <QMap>
#include <QString>

class QSettings;
class TForm1;

// Control values by the control's name, as text: check boxes and radio buttons
// "1" or "0", up-downs their position, drop-down lists the item index, colour
// swatches the colour value (0x00BBGGRR, in decimal), edits their text.
using TControlValues = QMap<QString, QString>;

// The store a window reads at start (when `restore`) and writes when it closes.
struct TSettingsLink {
  QSettings* store = nullptr;  // not owned; outlives the window
  bool restore = true;         // false: start from the defaults (the --defaults switch)
};

// The remembered controls of the tabs: every check box, radio button,
// up-down, drop-down list, colour swatch and edit of its own, except those that
// follow the loaded mesh ("Flow data", the data range "Min"/"Max", the time
// controls) or the window ("Window" width and height).
TControlValues ReadControlValues(const TForm1& form);

// Writes the values into the controls by name, as a preset writes them (each
// control's notification runs). Names the window does not have and values a
// control cannot take (not a number, outside its range, an unknown list item)
// are skipped. Returns the number of controls written. Only radio buttons
// given as "1" are written, which unchecks the others of their group.
int WriteControlValues(TForm1& form, const TControlValues& values);

// Saves the controls, the choices for file arrays (by array name), the
// geometry and the dialog folders into `store`.
void SaveSettings(const TForm1& form, QSettings& store);

// Restores what SaveSettings saved; folders that no longer exist are left
// out. Redraws are suspended meanwhile; no frame is requested.
void RestoreSettings(TForm1& form, QSettings& store);

#pragma once
// The window's controls as a table: name, kind, caption, range, default,
// visibility at start and the handler each event reaches (the control-table
// window tests walk it).
#include <vector>

enum class K { Button, Check, Radio, Speed, UpDown, Edit, Swatch, Combo, Track, Paint };

// Event sources: "click" (button, check box, radio, speed button, up-down
// arrows), "change" (edit text, combo, track bar), "keydown", "keyup" (edit),
// "mousedown" (swatch), "paint" (paint box).
struct Ev {
  const char* event;
  const char* handler;
};

struct Ctl {
  const char* name;
  K kind;
  const char* caption;         // own text, else a label (or button) in the control's row; "" = not checked
  int def = 0;                 // checked, position, colour or item index
  const char* text = nullptr;  // edit: default text (null = not checked); up-down: its edit's name
  int min = 0, max = 0, step = 1;
  bool shown = true;  // visible at start (tab pages counted as current)
  std::vector<Ev> events = {};
};

inline constexpr const char* kRedraw = "cbshlineClick";
inline constexpr const char* kRefresh = "rbkmaxClick";
inline constexpr const char* kPick = "sh_dataminMouseDown";

// Every control of the window, tab by tab.
std::vector<Ctl> ControlTable();

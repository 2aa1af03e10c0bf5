#pragma once
// Dialogs answered from a script: each call is recorded and answered with the
// next queued answer; an empty queue answers "cancel".
#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "window/dialogs.h"

class TScriptedDialogs : public IDialogs {
 public:
  std::deque<std::optional<QString>> file_answers;   // OpenFile, OpenPicture, SavePicture
  std::deque<std::optional<int32_t>> color_answers;  // PickColor
  std::vector<std::string> calls;  // "open", "color", "open_picture", "save_picture", "message", "warning"
  std::vector<QString> messages;
  std::vector<TFileDialogState> file_dialogs_shown;
  std::vector<int32_t> colors_shown;
  std::function<void(const std::string& call)> on_call;  // runs as each dialog opens

  bool OpenFile(const TFileDialogState& d, QString& path) override { return File("open", d, path); }
  bool OpenPicture(const TFileDialogState& d, QString& path) override { return File("open_picture", d, path); }
  bool SavePicture(const TFileDialogState& d, QString& path) override { return File("save_picture", d, path); }
  bool PickColor(int32_t color, int32_t& chosen) override {
    calls.push_back("color");
    colors_shown.push_back(color);
    if (on_call) on_call("color");
    std::optional<int32_t> a;
    if (!color_answers.empty()) {
      a = color_answers.front();
      color_answers.pop_front();
    }
    if (!a) return false;
    chosen = *a;
    return true;
  }
  void ShowMessage(const QString& text) override {
    calls.push_back("message");
    messages.push_back(text);
    if (on_call) on_call("message");
  }
  // Recorded as "warning"; the text joins `messages` like any other.
  void ShowWarning(const QString& text) override {
    calls.push_back("warning");
    messages.push_back(text);
    if (on_call) on_call("warning");
  }
  int Count(const std::string& call) const {
    int n = 0;
    for (const auto& c : calls) n += c == call;
    return n;
  }

 private:
  bool File(const char* what, const TFileDialogState& d, QString& path) {
    calls.push_back(what);
    file_dialogs_shown.push_back(d);
    if (on_call) on_call(what);
    std::optional<QString> a;
    if (!file_answers.empty()) {
      a = file_answers.front();
      file_answers.pop_front();
    }
    if (!a) return false;
    path = *a;
    return true;
  }
};

#pragma once
// How every reader fails. A reader that refuses a file returns
// Refuse(reason, text): the reason is one sentence in the voice of the
// system's own messages ("File not found", "Invalid numeric input"): it starts
// with a capital letter and ends without a full stop. The file is named once,
// by whoever reports the failure: LoadFailureText gives the one message of a
// failed load, `Cannot load "<file name>": <reason>`.
#include <cctype>
#include <string>

// Sets `reason` to `text` in the readers' voice and returns false.
inline bool Refuse(std::string& reason, std::string text) {
  if (!text.empty() && std::islower(static_cast<unsigned char>(text.front())))
    text.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
  while (!text.empty() && text.back() == '.') text.pop_back();
  reason = std::move(text);
  return false;
}

// `Cannot load "<file name>": <reason>`, with the reason in the readers' voice
// whichever way it came (a system's or a library's words included).
std::string LoadFailureText(const std::string& path, std::string reason);

#pragma once
// A GL context without any window system: EGL on Mesa's surfaceless
// platform, a compatibility context with no surface of its own. Whoever
// draws with it draws into framebuffer objects it makes itself. Batch runs
// and scripts render through it, so they need no X display.
#include <string>

class TEglContext {
 public:
  TEglContext() = default;
  ~TEglContext();
  TEglContext(const TEglContext&) = delete;
  TEglContext& operator=(const TEglContext&) = delete;

  // Opens the display and makes the context current; false with the reason
  // (the EGL call that failed and its error) when either cannot be had.
  bool Create(std::string& error);
  bool MakeCurrent();
  void DoneCurrent();
  bool Valid() const { return context_ != nullptr; }

 private:
  void* display_ = nullptr;  // EGLDisplay
  void* context_ = nullptr;  // EGLContext
};

#include "glpanel/egl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>

namespace {

std::string Failure(const char* call) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(eglGetError()));
  return std::string(call) + " failed (EGL error " + code + ")";
}

}  // namespace

TEglContext::~TEglContext() {
  if (!display_) return;
  auto* display = static_cast<EGLDisplay>(display_);
  eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (context_) eglDestroyContext(display, static_cast<EGLContext>(context_));
  // The display is left initialised: EGL shares one per platform in the
  // process, and another context may still draw on it.
}

bool TEglContext::Create(std::string& error) {
  const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  const auto get_display =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!extensions || std::string(extensions).find("EGL_MESA_platform_surfaceless") == std::string::npos ||
      !get_display) {
    error = "EGL has no surfaceless platform (EGL_MESA_platform_surfaceless)";
    return false;
  }
  EGLDisplay display = get_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  EGLint major = 0, minor = 0;
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) {
    error = Failure("eglInitialize");
    return false;
  }
  display_ = display;
  if (!eglBindAPI(EGL_OPENGL_API)) {
    error = Failure("eglBindAPI");
    return false;
  }
  // No configuration: the context never draws into a surface of EGL's.
  const EGLint attributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
  if (context == EGL_NO_CONTEXT) {
    error = Failure("eglCreateContext");
    return false;
  }
  context_ = context;
  if (!MakeCurrent()) {
    error = Failure("eglMakeCurrent");
    return false;
  }
  return true;
}

bool TEglContext::MakeCurrent() {
  return context_ && eglMakeCurrent(static_cast<EGLDisplay>(display_), EGL_NO_SURFACE, EGL_NO_SURFACE,
                                    static_cast<EGLContext>(context_));
}

void TEglContext::DoneCurrent() {
  if (display_) eglMakeCurrent(static_cast<EGLDisplay>(display_), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

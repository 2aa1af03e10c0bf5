#define GL_GLEXT_PROTOTYPES 1  // framebuffer objects (OpenGL 3.0)
#include "glpanel/framebuffer.h"

#include <GL/gl.h>
#include <GL/glext.h>

bool MakeFramebuffer(int width, int height, TFramebufferNames& names) {
  glGenFramebuffers(1, &names.framebuffer);
  glGenRenderbuffers(1, &names.colour);
  glGenRenderbuffers(1, &names.depth);
  glBindRenderbuffer(GL_RENDERBUFFER, names.colour);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, names.depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, names.framebuffer);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, names.colour);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, names.depth);
  return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void DeleteFramebuffer(TFramebufferNames& names) {
  glDeleteFramebuffers(1, &names.framebuffer);
  glDeleteRenderbuffers(1, &names.colour);
  glDeleteRenderbuffers(1, &names.depth);
  names = TFramebufferNames();
}

#pragma once
// A framebuffer object of two renderbuffers, 8-bit RGBA colour and 24-bit
// depth (never of a texture, whose name a drawing's own fixed texture names
// could take): what the headless panel, a panel drawing at a set size and
// the GL tests draw into. Needs a current context.
struct TFramebufferNames {
  unsigned framebuffer = 0, colour = 0, depth = 0;
};

// Makes one of w x h and leaves it bound as the draw and read framebuffer;
// false when it is not complete (its names are made all the same).
bool MakeFramebuffer(int width, int height, TFramebufferNames& names);
void DeleteFramebuffer(TFramebufferNames& names);

#pragma once
// Copy of the frame into the frame texture, which the next frame maps back
// onto the surface at the upstream texture coordinates.
#include "app_state.h"
#include "view_record.h"

// Texture object that holds the previous frame (GL_TEXTURE_2D, GL_RGB).
constexpr unsigned kFrameTexture = 8;

// Redefines the bound 2-D texture (the frame texture) from the lower-left
// view.tex_width x view.tex_height window pixels, one texel per pixel, with
// LINEAR filters (no mipmaps) and REPEAT wrap. tex_width/tex_height are the
// power-of-two sizes the frame set up from the panel size before composing.
// The texels are the same whichever way `capture` has them taken.
void CaptureFrame(const TView& view, TFrameCapture& capture);

// Whether the current context's rasteriser is one whose copies out of the
// window are drawings, so that reading the frame back is the quicker way.
bool ReadBackIsQuicker();

// Deletes the frame texture's image: the object is made anew, empty, when it
// is next bound, exactly as before the first capture of a run, so the next
// frame maps nothing of the old picture onto the surface.
void DiscardFrameTexture();

#pragma once
// The scene overlays of the overlay list (glyphs, mesh lines, normals,
// velocity and curvature vectors, frames, box) and the paint blobs, wired into
// a frame's passes on the state they draw: one wiring for the window and for
// everything else that composes frames.
#include <functional>

#include "app_state.h"
#include "render/frame_gl.h"
#include "render/overlays_gl.h"
#include "render/source_glyphs_gl.h"

// Sets those passes of `passes`; `app` and `quadric` must outlive them, and
// `mesh_lines` gives the mesh lines' material when the list is compiled.
void InstallScenePasses(TFramePasses& passes, TAppState& app, TGlyphQuadric& quadric,
                        std::function<TMeshLineMaterial()> mesh_lines);

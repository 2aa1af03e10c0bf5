#include "render/overlay_passes_gl.h"

void InstallScenePasses(TFramePasses& passes, TAppState& app, TGlyphQuadric& quadric,
                        std::function<TMeshLineMaterial()> mesh_lines) {
  passes.source_glyphs = [&app, &quadric] { DrawFlowSources(app.sources, app.mesh, app.mouse, quadric); };
  passes.mesh_lines = [&app, mesh_lines = std::move(mesh_lines)] {
    DrawMeshLines(app.mesh, mesh_lines(), app.frame.lighting_on);
  };
  passes.normals = [&app] { DrawNormals(app.mesh); };
  passes.velocity_vectors = [&app] { DrawVelocityVectors(app.mesh); };
  passes.frames = [&app] { DrawFrames(app.mesh); };
  passes.curvature_vectors = [&app](int kind) { DrawCurvatureVectors(app.mesh, kind); };
  passes.box = [&app] { DrawBox(app.mesh, app.view.center); };
  passes.paint_blobs = [&app, &quadric] { DrawPaintSources(app.sources, app.frame.frame_counter, quadric); };
}

#include "advection/surface_passes_gl.h"

#include <GL/gl.h>

#include <cstddef>

#include "advection/surface_opacity.h"
#include "colorconversion/colorconversion.h"

namespace {

bool IsMarker(int32_t entry) { return static_cast<uint32_t>(entry) >= kStripMarker; }

const TVec3& PositionOf(const TVertex& v, bool use_adv) { return use_adv ? v.adv_pos : v.pos; }

void Vertex(const TVec3& p) { glVertex3f(p.x, p.y, p.z); }
void Normal(const TVec3& n) { glNormal3f(n.x, n.y, n.z); }

// Material shared by every pass: Diffuse colour with alpha a as the current
// colour (tracked into ambient and diffuse), Specular and Shine for the front.
// Returns the current colour. A shininess outside the 0..128 the GL accepts is
// not passed on, so the previous one stays in effect without a GL error.
void SetupMaterial(const TSurfaceControls& c, double a, float colour[4]) {
  const TRGBInt d = SplitColor(c.diffuse);
  colour[0] = d.red / 255.0f;
  colour[1] = d.green / 255.0f;
  colour[2] = d.blue / 255.0f;
  colour[3] = static_cast<float>(a);
  glColor4fv(colour);
  const TRGBInt s = SplitColor(c.specular);
  const float specular[4] = {s.red / 255.0f, s.green / 255.0f, s.blue / 255.0f, 1.0f};
  glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
  if (c.shininess >= 0 && c.shininess <= 128) glMaterialf(GL_FRONT, GL_SHININESS, static_cast<float>(c.shininess));
}

// Colour c with its alpha replaced by the opacity of a vertex.
void VertexOpacity(const float c[4], const TSurfaceControls& sc, double a, double norm_value) {
  const float rgba[4] = {c[0], c[1], c[2], static_cast<float>(SurfaceOpacity(a, norm_value, sc.alpha_mod_inverse))};
  glColor4fv(rgba);
}

// Textured strip walk: each run of 3 or more indices closed by a marker is one
// glDrawElements on the enabled client arrays; an unclosed tail is not drawn.
void DrawStripRuns(const TMesh& mesh) {
  const int32_t* s = mesh.strips.data();
  int32_t start = 0;
  for (int32_t i = 0; i < mesh.strip_len; ++i) {
    if (!IsMarker(s[i])) continue;
    const int32_t run = i - start;
    if (run >= 3) glDrawElements(GL_TRIANGLE_STRIP, run, GL_UNSIGNED_INT, s + start);
    start = i + 1;
  }
}

void DrawTexturedFaces(const TMesh& mesh, bool lighting_on) {
  glBegin(GL_TRIANGLES);
  for (int32_t f = 0; f < mesh.face_count; ++f) {
    const TFace& face = mesh.faces[f];
    if (lighting_on) Normal(face.fnormal);
    for (int k = 0; k < 3; ++k) {
      const TVertex& v = mesh.vertices[face.v[k]];
      glTexCoord2f(v.tex[0], v.tex[1]);
      Vertex(v.adv_pos);
    }
  }
  glEnd();
}

// Shaded strips in immediate mode: a marker closes the strip and opens the next.
void DrawShadedStrips(const TMesh& mesh, const TSurfaceControls& c, const TSurfaceFrame& f, bool use_adv, double a,
                      const float colour[4], bool show_image) {
  glBegin(GL_TRIANGLE_STRIP);
  for (int32_t i = 0; i < mesh.strip_len; ++i) {
    const int32_t e = mesh.strips[i];
    if (IsMarker(e)) {
      glEnd();
      glBegin(GL_TRIANGLE_STRIP);
      continue;
    }
    const TVertex& v = mesh.vertices[e];
    if (c.alpha_mod) VertexOpacity(colour, c, a, v.norm_value);
    if (f.lighting_on) Normal(v.normal);
    if (show_image) glTexCoord2f(v.tex0[0], v.tex0[1]);
    Vertex(PositionOf(v, use_adv));
  }
  glEnd();
}

void DrawShadedFaces(const TMesh& mesh, const TSurfaceFrame& f, bool use_adv, bool show_image) {
  glBegin(GL_TRIANGLES);
  for (int32_t fi = 0; fi < mesh.face_count; ++fi) {
    const TFace& face = mesh.faces[fi];
    if (f.lighting_on) Normal(face.fnormal);
    for (int k = 0; k < 3; ++k) {
      const TVertex& v = mesh.vertices[face.v[k]];
      if (show_image) glTexCoord2f(v.tex0[0], v.tex0[1]);
      Vertex(PositionOf(v, use_adv));
    }
  }
  glEnd();
}

// The faces through the drawn vertices of a split at sharp edges, each corner
// with its drawn vertex's normal (smooth shading).
void DrawSplitFaces(const TMesh& mesh, const TSplitNormals& split, const TSurfaceControls& c, const TSurfaceFrame& f,
                    bool use_adv, double a, const float colour[4], bool show_image, bool data_coord) {
  glBegin(GL_TRIANGLES);
  for (const uint32_t d : split.corners) {
    const TVertex& v = mesh.vertices[split.source[d]];
    if (data_coord) glTexCoord1f(static_cast<float>(v.norm_value));
    if (c.alpha_mod) VertexOpacity(colour, c, a, v.norm_value);
    if (f.lighting_on) Normal(split.normals[d]);
    if (show_image) glTexCoord2f(v.tex0[0], v.tex0[1]);
    Vertex(PositionOf(v, use_adv));
  }
  glEnd();
}

// The split to draw smooth shading through, if any.
const TSplitNormals* SplitOf(const TSurfaceControls& c, const TSurfaceFrame& f) {
  return c.smooth && c.sharp_edges && f.sharp && f.sharp->split ? f.sharp : nullptr;
}

}  // namespace

void EnableSurfaceArrays(const TMesh& mesh) {
  if (mesh.vertices.empty()) return;
  const TVertex* first = mesh.vertices.data();
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(3, GL_FLOAT, sizeof(TVertex), &first->adv_pos);
  glTexCoordPointer(3, GL_FLOAT, sizeof(TVertex), &first->tex[0]);
}

void DisableSurfaceArrays() {
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void DrawTexturedSurface(TMesh& mesh, const TSurfaceControls& c, const TSurfaceFrame& f,
                         const std::function<void()>& compute_tex_coords, TSurfaceBuffers* buffers) {
  if (f.tex_lock_state == 0 && compute_tex_coords) compute_tex_coords();
  glDisable(GL_LIGHTING);
  float colour[4];
  SetupMaterial(c, 1.0, colour);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  if (c.smooth && buffers) {
    TSurfaceAttribs a;
    a.use_adv = true;
    a.tex = true;
    buffers->DrawStrips(mesh, a, false);
  } else if (c.smooth) {
    DrawStripRuns(mesh);
  } else {
    DrawTexturedFaces(mesh, f.lighting_on);
  }
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
}

namespace {

// The arrays of a lit overlay pass drawn from the surface buffers: positions
// (displaced or not), normals when lit, the material colour per vertex when
// the opacity is modulated.
TSurfaceAttribs LitAttribs(const TSurfaceControls& c, const TSurfaceFrame& f, bool use_adv, double a,
                           const float* colour) {
  TSurfaceAttribs at;
  at.use_adv = use_adv;
  at.normals = f.lighting_on;
  if (c.alpha_mod) at.colour = colour;
  at.alpha = a;
  at.alpha_inverse = c.alpha_mod_inverse;
  return at;
}

}  // namespace

void DrawShadedSurface(const TMesh& mesh, const TSurfaceControls& c, const TSurfaceFrame& f, bool use_adv, double a,
                       TSurfaceBuffers* buffers) {
  if (f.lighting_on) glEnable(GL_LIGHTING);
  const bool show_image = c.image_loaded && c.sh_image;
  float colour[4];
  SetupMaterial(c, a, colour);
  if (show_image) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glCallList(kMapImageList);
    glEnable(GL_TEXTURE_2D);
  }
  const TSplitNormals* split = SplitOf(c, f);
  if (split && buffers) {
    TSurfaceAttribs at = LitAttribs(c, f, use_adv, a, colour);
    at.tex0 = show_image;
    buffers->DrawSplit(mesh, at, *split);
  } else if (split) {
    DrawSplitFaces(mesh, *split, c, f, use_adv, a, colour, show_image, false);
  } else if (c.smooth && buffers) {
    TSurfaceAttribs at = LitAttribs(c, f, use_adv, a, colour);
    at.tex0 = show_image;
    buffers->DrawStrips(mesh, at, true);
  } else if (c.smooth) {
    DrawShadedStrips(mesh, c, f, use_adv, a, colour, show_image);
  } else {
    DrawShadedFaces(mesh, f, use_adv, show_image);
  }
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
}

void DrawDataSurface(const TMesh& mesh, const TSurfaceControls& c, const TSurfaceFrame& f, bool use_adv, double a,
                     TSurfaceBuffers* buffers) {
  if (f.lighting_on) glEnable(GL_LIGHTING);
  glEnable(GL_TEXTURE_1D);
  float colour[4];
  SetupMaterial(c, a, colour);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  const TSplitNormals* split = SplitOf(c, f);
  if (c.smooth && buffers) {
    TSurfaceAttribs at = LitAttribs(c, f, use_adv, a, colour);
    at.data_coord = true;
    if (split)
      buffers->DrawSplit(mesh, at, *split);
    else
      buffers->DrawFaces(mesh, at);
  } else if (split) {
    DrawSplitFaces(mesh, *split, c, f, use_adv, a, colour, false, true);
  } else {
    glBegin(GL_TRIANGLES);
    for (int32_t fi = 0; fi < mesh.face_count; ++fi) {
      const TFace& face = mesh.faces[fi];
      if (!c.smooth && f.lighting_on) Normal(face.fnormal);
      for (int k = 0; k < 3; ++k) {
        const TVertex& v = mesh.vertices[face.v[k]];
        glTexCoord1f(static_cast<float>(v.norm_value));
        if (c.smooth) {
          if (c.alpha_mod) VertexOpacity(colour, c, a, v.norm_value);
          if (f.lighting_on) Normal(v.normal);
        }
        Vertex(PositionOf(v, use_adv));
      }
    }
    glEnd();
  }
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_1D);
}

void DrawOverlaySurface(const TMesh& mesh, const TSurfaceControls& c, const TSurfaceFrame& f,
                        TSurfaceBuffers* buffers) {
  const double alpha = c.alpha_shade / 100.0;
  if (c.tex_data && c.blend_streaks) {
    // frame = data * frame + frame * data: twice their product.
    glBlendFunc(GL_DST_COLOR, GL_SRC_COLOR);
    DrawDataSurface(mesh, c, f, true, 1.0, buffers);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  } else if (c.tex_data) {
    DrawDataSurface(mesh, c, f, true, alpha, buffers);
  } else {
    DrawShadedSurface(mesh, c, f, true, alpha, buffers);
  }
  glDisable(GL_BLEND);
}

void BeginOverlayProjection(const TView& view) {
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  const double far_plane = view.frustum_far * 1.01;
  if (view.isometric) {
    glOrtho(view.frustum_left, view.frustum_right, view.frustum_bottom, view.frustum_top, view.frustum_near, far_plane);
  } else {
    glFrustum(view.frustum_left, view.frustum_right, view.frustum_bottom, view.frustum_top, view.frustum_near,
              far_plane);
  }
}

void EndOverlayProjection() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
}

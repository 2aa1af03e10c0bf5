#include "advection/crisp_composite_gl.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>

namespace {

// Lighting of light 0 per vertex, as the fixed pipeline does it with colour
// material (ambient and diffuse from the vertex colour) and a viewer at
// infinity; the back side's colour with the normal turned, without specular
// (the back material has none). The data overlay's colour map (unit 0, 1-D)
// modulates the lit colour as the fixed pipeline's texture stage does.
constexpr const char* kVertexShader = R"(#version 120
uniform bool lighting;
varying vec4 front_colour;
varying vec4 back_colour;
vec3 Lit(vec3 n, vec3 l, vec4 eye, bool specular) {
  float d = max(dot(n, l), 0.0);
  vec3 c = gl_LightModel.ambient.rgb * gl_Color.rgb + gl_LightSource[0].ambient.rgb * gl_Color.rgb +
           d * gl_LightSource[0].diffuse.rgb * gl_Color.rgb;
  if (specular && d > 0.0) {
    vec3 h = normalize(l + vec3(0.0, 0.0, 1.0));
    float s = pow(max(dot(n, h), 0.0), gl_FrontMaterial.shininess);
    c += s * gl_LightSource[0].specular.rgb * gl_FrontMaterial.specular.rgb;
  }
  return clamp(c, 0.0, 1.0);
}
void main() {
  gl_Position = ftransform();
  gl_TexCoord[0] = gl_MultiTexCoord0;
  if (!lighting) {
    front_colour = gl_Color;
    back_colour = gl_Color;
    return;
  }
  vec4 eye = gl_ModelViewMatrix * gl_Vertex;
  vec3 n = normalize(gl_NormalMatrix * gl_Normal);
  vec4 p = gl_LightSource[0].position;
  vec3 l = p.w == 0.0 ? normalize(p.xyz) : normalize(p.xyz - eye.xyz);
  front_colour = vec4(Lit(n, l, eye, true), gl_Color.a);
  back_colour = vec4(Lit(-n, l, eye, false), gl_Color.a);
}
)";

constexpr const char* kFragmentShader = R"(#version 120
uniform sampler2D frame;
uniform sampler1D colour_map;
uniform bool data_colours;
uniform vec2 texel;
uniform float factor;
uniform vec3 pivot;
uniform bool two_sided;
varying vec4 front_colour;
varying vec4 back_colour;
void main() {
  vec4 lit = (two_sided && !gl_FrontFacing) ? back_colour : front_colour;
  if (data_colours) lit.rgb *= texture1D(colour_map, gl_TexCoord[0].s).rgb;
  vec2 at = gl_FragCoord.xy * texel;
  vec3 t = texture2D(frame, at).rgb;
  vec3 m = texture2D(frame, at, 3.5).rgb;
  vec3 base = mix(pivot, lit.rgb, lit.a);
  vec3 room = 2.0 * min(base, vec3(1.0) - base);
  vec3 detail = factor * (t - m);
  detail /= sqrt(1.0 + 4.0 * detail * detail);  // below 1/2 however strong: never clipped
  gl_FragColor = vec4(base + detail * room, 1.0);
}
)";

GLuint Compile(GLenum kind, const char* source) {
  const GLuint s = glCreateShader(kind);
  glShaderSource(s, 1, &source, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    glDeleteShader(s);
    return 0;
  }
  return s;
}

// The program, or 0 when this context cannot build it.
GLuint Link() {
  const GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader);
  const GLuint fs = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
  GLuint program = 0;
  if (vs && fs) {
    program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
      glDeleteProgram(program);
      program = 0;
    }
  }
  if (vs) glDeleteShader(vs);
  if (fs) glDeleteShader(fs);
  return program;
}

}  // namespace

void CopyShownFrameForComposite(const TView& view, int32_t panel_w, int32_t panel_h) {
  glBindTexture(GL_TEXTURE_2D, kCompositeTexture);
  GLint width = 0, height = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  if (width != view.tex_width || height != view.tex_height) {
    // A texture of another size is made anew rather than given a new first
    // level: the driver kept the old mipmap chain's storage (22 MB after a
    // full-screen view) for the life of the texture.
    const GLuint id = kCompositeTexture;
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, kCompositeTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, view.tex_width, view.tex_height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }
  const GLsizei w = std::min(view.tex_width, panel_w), h = std::min(view.tex_height, panel_h);
  if (w > 0 && h > 0) glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, w, h);
  glGenerateMipmap(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
}

bool CompositeReady(uint32_t& program) {
  static thread_local bool failed = false;  // a context that cannot build it is not asked every frame
  if (program == 0 && !failed) {
    program = Link();
    failed = program == 0;
  }
  return program != 0;
}

bool BeginComposite(uint32_t& program, const TView& view, const TCompositeSetup& s) {
  if (!CompositeReady(program)) return false;
  glUseProgram(program);
  glUniform1i(glGetUniformLocation(program, "frame"), 1);
  glUniform1i(glGetUniformLocation(program, "colour_map"), 0);
  glUniform1i(glGetUniformLocation(program, "data_colours"), s.data_colours ? 1 : 0);
  glUniform2f(glGetUniformLocation(program, "texel"), 1.0f / std::max(view.tex_width, 1),
              1.0f / std::max(view.tex_height, 1));
  glUniform1f(glGetUniformLocation(program, "factor"), static_cast<float>(s.factor));
  glUniform3f(glGetUniformLocation(program, "pivot"), static_cast<float>(s.pivot[0]), static_cast<float>(s.pivot[1]),
              static_cast<float>(s.pivot[2]));
  glUniform1i(glGetUniformLocation(program, "lighting"), s.lighting_on ? 1 : 0);
  glUniform1i(glGetUniformLocation(program, "two_sided"), s.two_sided ? 1 : 0);
  glActiveTexture(GL_TEXTURE1);  // unit 0 keeps the data's colour map
  glBindTexture(GL_TEXTURE_2D, kCompositeTexture);
  glActiveTexture(GL_TEXTURE0);
  glDisable(GL_BLEND);
  return true;
}

void EndComposite() {
  glUseProgram(0);
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, 0);
  glActiveTexture(GL_TEXTURE0);
}

// The world renderer's OpenGL output: the only renderer file that calls OpenGL.
#include "world/gen/render_gl.h"

#include <GL/gl.h>

#include "world/gen/gen_bit.h"
#include "world/gen/gen_wrap.h"

namespace {

constexpr double kWeight = 0.0256;      // w = D x 0.0256
constexpr double kDepthRange = 2560.0;  // depth value D / 2560 - 1

// What this output last set in OpenGL during a frame, so that a run of
// polygons of one bitmap changes no state between them. Every polygon
// still draws textured with its own texture and blended; texturing is off
// again once the frame, a line or a point needs it off.
struct GlState {
  bool known;      // the fields below hold (set at frame begin)
  bool texturing;  // GL_TEXTURE_2D on
  GLuint bound;    // texture bound while texturing
  int width, height;  // the viewport of the last frame begin, pixels
};
GlState gl_st = {false, false, 0, 320, 200};
RENDER_GL_STATS gl_stats = {0, 0};

void texturing(bool on) {
  if (gl_st.known && gl_st.texturing == on) return;
  if (on)
    glEnable(GL_TEXTURE_2D);
  else
    glDisable(GL_TEXTURE_2D);
  gl_st.texturing = on;
}

// Blending source alpha over one minus source alpha, texturing off.
void frame_state() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_TEXTURE_2D);
  gl_st.known = true;
  gl_st.texturing = false;
  gl_st.bound = 0;
}

double at_least_1(int size) { return size >= 1 ? size : 1.0; }

// Normalised coordinates of the centre of pixel (x, y), for lines and points.
void pixel_centre(int x, int y, double* nx, double* ny) {
  *nx = (x + 0.5) * 2.0 / at_least_1(gl_st.width) - 1.0;
  *ny = -((y + 0.5) * 2.0 / at_least_1(gl_st.height) - 1.0);
}

void colour_of(uint32_t c) { glColor4ub(GLubyte(c >> 16), GLubyte(c >> 8), GLubyte(c), 255); }

}  // namespace

void Render_Output_GL(RENDER_OUTPUT* output) {
  if (!output) return;
  output->frame_begin = Render_GL_Frame_Begin;
  output->frame_end = Render_GL_Frame_End;
  output->polygon = Render_GL_Polygon;
  output->line = Render_GL_Line;
  output->point = Render_GL_Point;
  output->screen = Render_GL_Screen;
  output->picture = Render_GL_Picture;
}

void Render_GL_Frame_Begin(int width, int height) {
  gl_st.width = width;
  gl_st.height = height;
  if (!gen_wrap_ready()) return;
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  frame_state();
}

void Render_GL_Frame_End() {
  if (!gen_wrap_ready()) return;
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  gl_st.known = false;
}

void Render_GL_Clip_Coordinates(const RENDER_VERTEX& v, int width, int height, double out[4]) {
  const double w = v.depth * kWeight;
  out[0] = (v.x * 2.0 / at_least_1(width) - 1.0) * w;
  out[1] = -(v.y * 2.0 / at_least_1(height) - 1.0) * w;
  out[2] = (v.depth / kDepthRange - 1.0) * w;
  out[3] = w;
}

void Render_GL_Polygon(const RENDER_POLYGON* p) {
  if (!gen_wrap_ready() || !p || p->count < 3 || p->count > 4) return;
  if (!gl_st.known) frame_state();  // a polygon outside a frame
  texturing(p->texture != 0);
  if (p->texture && gl_st.bound != p->texture) {
    glBindTexture(GL_TEXTURE_2D, p->texture);
    gl_st.bound = p->texture;
    gl_stats.binds++;
  }
  glColor4f(p->colour[0], p->colour[1], p->colour[2], p->colour[3]);
  gl_stats.draws++;
  glBegin(GL_TRIANGLE_FAN);
  for (int i = 0; i < p->count; i++) {
    double c[4];
    Render_GL_Clip_Coordinates(p->v[i], gl_st.width, gl_st.height, c);
    glTexCoord2f(p->v[i].u, p->v[i].v);
    glVertex4d(c[0], c[1], c[2], c[3]);
  }
  glEnd();
}

void Render_GL_Line(int x1, int y1, int x2, int y2, uint32_t colour) {
  if (!gen_wrap_ready()) return;
  double ax, ay, bx, by;
  texturing(false);
  pixel_centre(x1, y1, &ax, &ay);
  pixel_centre(x2, y2, &bx, &by);
  colour_of(colour);
  gl_stats.draws++;
  glBegin(GL_LINES);
  glVertex2d(ax, ay);
  glVertex2d(bx, by);
  glEnd();
}

void Render_GL_Point(int x, int y, uint32_t colour) {
  if (!gen_wrap_ready()) return;
  double nx, ny;
  texturing(false);
  pixel_centre(x, y, &nx, &ny);
  colour_of(colour);
  gl_stats.draws++;
  glBegin(GL_POINTS);
  glVertex2d(nx, ny);
  glEnd();
}

RENDER_GL_STATS Render_GL_Stats() { return gl_stats; }

int Render_GL_Screen(VX_RECT* screen) {
  if (!gen_wrap_ready()) return 0;
  if (screen) *screen = gen_wrap_screen();
  return 1;
}

int Render_GL_Picture(VX_BITMAP* bitmap, const VX_RECT* dest, const VX_RECT* src) {
  return gen_bit_put(bitmap, dest, src, GEN_DRAW_SCALE);
}

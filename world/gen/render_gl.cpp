// The world renderer's OpenGL output: the only renderer file that calls OpenGL.
#include "world/gen/render_gl.h"

#include <GL/gl.h>

#include <algorithm>

#include "world/gen/gen_atlas.h"
#include "world/gen/gen_bit.h"
#include "world/gen/gen_wrap.h"

namespace {

constexpr double kWeight = 0.0256;      // w = D x 0.0256
constexpr double kDepthRange = 2560.0;  // depth value D / 2560 - 1

// Polygons go to OpenGL in batches. A frame's triangles collect in one
// vertex array, in runs of one texture and one blending state, and go out
// when a line, point or picture must come after them or the frame ends:
// consecutive runs that agree are one draw call, in the painter's order. A
// polygon needs blending when its alpha is below 1 or its texture has
// texels below full alpha; an opaque one draws the same pixels either way,
// so only the largest opaque runs are drawn unblended (cheaper to fill)
// and the small ones join the blended draws around them.
struct Vertex {
  float x, y, z, w;
  float s, t;
  float r, g, b, a;
};
constexpr int kBatchVertices = 6 * 4096;  // two triangles per quad
constexpr int kRuns = 4096;
constexpr int kOpaqueRuns = 16;      // opaque runs drawn unblended at most per batch
constexpr int kOpaqueVertices = 96;  // and only when they are at least this long

struct Run {
  int first, count;  // vertices
  GLuint texture;    // 0: untextured
  bool blend;        // needs blending
};

struct Batch {
  Vertex v[kBatchVertices];
  int count;
  Run runs[kRuns];
  int run_count;
  int sizes[kRuns];  // scratch of the flush
};
Batch batch = {};

// What this output last set in OpenGL during a frame, so that batches of
// one texture or blending change nothing between them.
struct GlState {
  bool known;      // the fields below hold (set at frame begin)
  bool in_frame;   // between frame begin and frame end
  bool texturing;  // GL_TEXTURE_2D on
  bool blending;   // GL_BLEND on
  GLuint bound;    // texture bound while texturing
  int width, height;  // the viewport of the last frame begin, pixels
};
GlState gl_st = {false, false, false, false, 0, 320, 200};
RENDER_GL_STATS gl_stats = {0, 0};

void texturing(bool on) {
  if (gl_st.known && gl_st.texturing == on) return;
  if (on)
    glEnable(GL_TEXTURE_2D);
  else
    glDisable(GL_TEXTURE_2D);
  gl_st.texturing = on;
}

void blending(bool on) {
  if (gl_st.known && gl_st.blending == on) return;
  if (on)
    glEnable(GL_BLEND);
  else
    glDisable(GL_BLEND);
  gl_st.blending = on;
}

// Blending source alpha over one minus source alpha, texturing off.
void frame_state() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_TEXTURE_2D);
  gl_st.known = true;
  gl_st.texturing = false;
  gl_st.blending = true;
  gl_st.bound = 0;
}

// The shortest opaque run drawn unblended in this batch.
int opaque_threshold() {
  int n = 0;
  for (int i = 0; i < batch.run_count; i++)
    if (!batch.runs[i].blend && batch.runs[i].count >= kOpaqueVertices) batch.sizes[n++] = batch.runs[i].count;
  if (n <= kOpaqueRuns) return kOpaqueVertices;
  std::nth_element(batch.sizes, batch.sizes + (kOpaqueRuns - 1), batch.sizes + n, [](int a, int b) { return a > b; });
  // Runs of the same length as the last one kept may add a few more.
  return batch.sizes[kOpaqueRuns - 1];
}

void draw(GLuint texture, bool blend, int first, int count) {
  texturing(texture != 0);
  if (texture && gl_st.bound != texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    gl_st.bound = texture;
    gl_stats.binds++;
  }
  blending(blend);
  glDrawArrays(GL_TRIANGLES, first, count);
  gl_stats.draws++;
}

// Draws the batch's triangles, run by run as merged, and empties it.
void flush() {
  if (batch.count == 0) return;
  if (!gl_st.known) frame_state();
  const int threshold = opaque_threshold();
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(4, GL_FLOAT, sizeof(Vertex), &batch.v[0].x);
  glColorPointer(4, GL_FLOAT, sizeof(Vertex), &batch.v[0].r);
  glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &batch.v[0].s);
  Run open = {0, 0, 0, false};
  for (int i = 0; i < batch.run_count; i++) {
    Run r = batch.runs[i];
    r.blend = r.blend || r.count < threshold;
    if (open.count && (r.texture != open.texture || r.blend != open.blend)) {
      draw(open.texture, open.blend, open.first, open.count);
      open.count = 0;
    }
    if (open.count == 0) open = r;
    else open.count += r.count;
  }
  if (open.count) draw(open.texture, open.blend, open.first, open.count);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  batch.count = batch.run_count = 0;
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
  if (gen_wrap_ready()) flush();
  gl_st.width = width;
  gl_st.height = height;
  if (!gen_wrap_ready()) return;
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  frame_state();
  gl_st.in_frame = true;
}

void Render_GL_Frame_End() {
  if (!gen_wrap_ready()) return;
  flush();
  gl_st.in_frame = false;
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
  // A world texture lies on a page of the atlas; any other name is a
  // texture of its own, whose alpha is not known here.
  GEN_ATLAS_PLACE place;
  const bool packed = p->texture && gen_atlas_find(p->texture, &place);
  const GLuint texture = packed ? place.page : p->texture;
  const bool blend = p->colour[3] < 1.0f || (p->texture && !(packed && place.opaque));
  const int needed = (p->count - 2) * 3;
  if (batch.count + needed > kBatchVertices) flush();
  Run* run = batch.run_count ? &batch.runs[batch.run_count - 1] : nullptr;
  if (!run || run->texture != texture || run->blend != blend) {
    if (batch.run_count == kRuns) flush();
    run = &batch.runs[batch.run_count++];
    *run = Run{batch.count, 0, texture, blend};
  }
  run->count += needed;
  Vertex corner[4];
  for (int i = 0; i < p->count; i++) {
    double c[4];
    Render_GL_Clip_Coordinates(p->v[i], gl_st.width, gl_st.height, c);
    Vertex& v = corner[i];
    v = Vertex{float(c[0]), float(c[1]), float(c[2]), float(c[3]), p->v[i].u, p->v[i].v,
               p->colour[0], p->colour[1], p->colour[2], p->colour[3]};
    if (packed) gen_atlas_map(place, p->v[i].u, p->v[i].v, &v.s, &v.t);
  }
  // The fan 0 1 2 (0 2 3) as triangles.
  for (int i = 1; i + 1 < p->count; i++) {
    batch.v[batch.count++] = corner[0];
    batch.v[batch.count++] = corner[i];
    batch.v[batch.count++] = corner[i + 1];
  }
  if (!gl_st.in_frame) flush();  // a polygon outside a frame goes at once
}

void Render_GL_Line(int x1, int y1, int x2, int y2, uint32_t colour) {
  if (!gen_wrap_ready()) return;
  flush();
  blending(true);
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
  flush();
  blending(true);
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
  if (gen_wrap_ready()) flush();
  return gen_bit_put(bitmap, dest, src, GEN_DRAW_SCALE);
}

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

// Polygons go to OpenGL in batches. Within a frame each triangle carries
// its place in the painter's order as its depth value (later is nearer),
// and the depth test with writes on keeps, at every pixel, the latest
// opaque triangle drawn there, whatever order they go in. So a batch's
// opaque triangles (no alpha below 1, a texture with every texel opaque)
// go first, unblended and nearest first, so that the hidden pixels of the
// ones behind are never shaded; then its translucent and colour-keyed ones
// go in the painter's order, blended, depth-tested against the opaque ones
// without writing: each blends over exactly what the painter's order had
// under it, and is hidden where a later opaque face covers it. The picture
// is the painter's; the pixels shaded fall from about four per screen
// pixel to under two.
//
// Outside a frame, without a depth buffer, and for a polygon that reaches
// past the depth range (which OpenGL clips), polygons go in the painter's
// order with the depth test off: a batch's triangles in runs of one
// texture and one blending state, the largest opaque runs unblended.
struct Vertex {
  float x, y, z, w;
  float s, t;
  float r, g, b, a;
};
constexpr int kBatchVertices = 6 * 4096;  // two triangles per quad
constexpr int kRuns = 4096;
constexpr int kOpaqueRuns = 16;      // painter's order: opaque runs drawn unblended at most per batch
constexpr int kOpaqueVertices = 96;  // and only when they are at least this long

struct Run {
  int first, count;  // vertices
  GLuint texture;    // 0: untextured
  bool blend;        // needs blending
};

struct Batch {
  // The painter's order: every triangle, or the blended ones in depth order.
  Vertex v[kBatchVertices];
  int count;
  Run runs[kRuns];
  int run_count;
  // Depth order: the opaque triangles, filled from the end down, so the
  // array runs from the latest (nearest) to the earliest.
  Vertex opaque[kBatchVertices];
  int opaque_first;  // kBatchVertices when empty
  Run opaque_runs[kRuns];
  int opaque_run_count;
  int sizes[kRuns];  // scratch of the flush
};
Batch batch = {{}, 0, {}, 0, {}, kBatchVertices, {}, 0, {}};

// What this output last set in OpenGL during a frame, so that batches of
// one texture or blending change nothing between them.
struct GlState {
  bool known;      // the fields below hold (set at frame begin)
  bool in_frame;   // between frame begin and frame end
  bool texturing;  // GL_TEXTURE_2D on
  bool blending;   // GL_BLEND on
  GLuint bound;    // texture bound while texturing
  int width, height;  // the viewport of the last frame begin, pixels
  int depth_bits;  // of the context's depth buffer; -1 before it is asked
  bool depth;      // this frame draws in depth order
  int order;       // triangles given a depth this frame
  int orders;      // distinct depth values the buffer holds apart
  double step;     // between two of them, in normalised depth
};
GlState gl_st = {false, false, false, false, 0, 320, 200, -1, false, 0, 0, 0};
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

// Clears the depth buffer (within the scissor, as the screen clear) and
// starts the depth order over. The stencil, which nothing here uses, is
// cleared with it: depth and stencil share one buffer, and clearing only
// the depth keeps every pixel's stencil bits, a slow pixel-by-pixel pass in
// a software driver, where the two together are a plain fill.
void depth_restart() {
  glDepthMask(GL_TRUE);
  glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  gl_st.order = 0;
}

// The normalised depth of the next triangle in the painter's order: from
// just below 1 towards -1, four buffer steps apart so that rounding never
// makes two equal.
float next_depth() {
  return float(1.0 - (++gl_st.order) * gl_st.step);
}

// The shortest opaque run drawn unblended in this batch (painter's order).
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

void point_arrays(const Vertex* v) {
  glVertexPointer(4, GL_FLOAT, sizeof(Vertex), &v->x);
  glColorPointer(4, GL_FLOAT, sizeof(Vertex), &v->r);
  glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &v->s);
}

// Draws runs[0..n) in turn, neighbours of one texture and blending as one
// call; `all_blend` blends every run.
void draw_runs(const Run* runs, int n, int threshold, bool all_blend) {
  Run open = {0, 0, 0, false};
  for (int i = 0; i < n; i++) {
    Run r = runs[i];
    r.blend = all_blend || r.blend || r.count < threshold;
    if (open.count && (r.texture != open.texture || r.blend != open.blend || r.first != open.first + open.count)) {
      draw(open.texture, open.blend, open.first, open.count);
      open.count = 0;
    }
    if (open.count == 0) open = r;
    else open.count += r.count;
  }
  if (open.count) draw(open.texture, open.blend, open.first, open.count);
}

// Draws the batch and empties it.
void flush() {
  gen_bit_flush();  // pictures before the polygons that came after them
  const bool opaque = batch.opaque_first < kBatchVertices;
  if (batch.count == 0 && !opaque) return;
  if (!gl_st.known) frame_state();
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  // A polygon has one colour at every corner: flat shading gives the same
  // picture without interpolating the colour at every pixel.
  glShadeModel(GL_FLAT);
  const bool depth_test = opaque || (gl_st.depth && batch.count);
  if (depth_test) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
  }
  if (opaque) {
    // The runs were started nearest last: backwards they go nearest first.
    std::reverse(batch.opaque_runs, batch.opaque_runs + batch.opaque_run_count);
    glDepthMask(GL_TRUE);
    point_arrays(batch.opaque);
    draw_runs(batch.opaque_runs, batch.opaque_run_count, 0, false);
  }
  if (batch.count) {
    point_arrays(batch.v);
    if (gl_st.depth) {
      glDepthMask(GL_FALSE);
      draw_runs(batch.runs, batch.run_count, 0, true);
    } else {
      draw_runs(batch.runs, batch.run_count, opaque_threshold(), false);
    }
  }
  if (depth_test) {
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
  }
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glShadeModel(GL_SMOOTH);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  batch.count = batch.run_count = 0;
  batch.opaque_first = kBatchVertices;
  batch.opaque_run_count = 0;
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
  if (gl_st.depth_bits < 0) {
    GLint bits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &bits);
    gl_st.depth_bits = bits;
    // Four buffer steps apart; 2 / 2^bits is one step in normalised depth.
    gl_st.orders = bits >= 16 ? (1 << std::min(int(bits), 24)) / 4 - 2 : 0;
    gl_st.step = bits >= 16 ? 8.0 / double(1 << std::min(int(bits), 24)) : 0;
  }
  gl_st.depth = gl_st.orders > 0;
  if (gl_st.depth) depth_restart();
}

void Render_GL_Frame_End() {
  if (!gen_wrap_ready()) return;
  flush();
  gl_st.in_frame = false;
  gl_st.depth = false;
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
  const int triangles = p->count - 2;
  Vertex corner[4];
  bool inside = true;  // within the depth range: OpenGL clips nothing of it in depth
  for (int i = 0; i < p->count; i++) {
    double c[4];
    Render_GL_Clip_Coordinates(p->v[i], gl_st.width, gl_st.height, c);
    inside = inside && c[3] > 0 && c[2] >= -c[3] && c[2] <= c[3];
    Vertex& v = corner[i];
    v = Vertex{float(c[0]), float(c[1]), float(c[2]), float(c[3]), p->v[i].u, p->v[i].v,
               p->colour[0], p->colour[1], p->colour[2], p->colour[3]};
    if (packed) gen_atlas_map(place, p->v[i].u, p->v[i].v, &v.s, &v.t);
  }
  if (gl_st.depth && !inside) {
    // Drawn at once in the painter's way, as OpenGL clips it: everything
    // before it is on the screen, and everything after it has a nearer
    // depth than anything before, so it covers this one as it should.
    flush();
    gl_st.depth = false;
    Render_GL_Polygon(p);
    flush();
    gl_st.depth = true;
    return;
  }
  if (gl_st.depth && gl_st.order + triangles > gl_st.orders) {
    flush();
    depth_restart();
  }
  const int needed = triangles * 3;
  if (batch.count + needed > kBatchVertices || batch.opaque_first - needed < 0 || batch.run_count == kRuns ||
      batch.opaque_run_count == kRuns)
    flush();
  if (gl_st.depth && !blend) {
    // Nearest first: each triangle below the ones before it in the array.
    Run* run = batch.opaque_run_count ? &batch.opaque_runs[batch.opaque_run_count - 1] : nullptr;
    if (!run || run->texture != texture) {
      run = &batch.opaque_runs[batch.opaque_run_count++];
      *run = Run{batch.opaque_first, 0, texture, false};
    }
    for (int i = 1; i + 1 < p->count; i++) {
      const float z = next_depth();
      Vertex* t = &batch.opaque[batch.opaque_first -= 3];
      t[0] = corner[0], t[1] = corner[i], t[2] = corner[i + 1];
      for (int k = 0; k < 3; k++) t[k].z = z * t[k].w;
    }
    run->first = batch.opaque_first;
    run->count += needed;
    return;
  }
  Run* run = batch.run_count ? &batch.runs[batch.run_count - 1] : nullptr;
  if (!run || run->texture != texture || run->blend != blend) {
    run = &batch.runs[batch.run_count++];
    *run = Run{batch.count, 0, texture, blend};
  }
  run->count += needed;
  // The fan 0 1 2 (0 2 3) as triangles.
  for (int i = 1; i + 1 < p->count; i++) {
    Vertex* t = &batch.v[batch.count];
    t[0] = corner[0], t[1] = corner[i], t[2] = corner[i + 1];
    if (gl_st.depth) {
      const float z = next_depth();
      for (int k = 0; k < 3; k++) t[k].z = z * t[k].w;
    }
    batch.count += 3;
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

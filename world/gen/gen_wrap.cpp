// gen_wrap: the rendering context, display modes, the 2D projection, clear, display update with snapshots, and the 3D interface table.
#include "world/gen/gen_wrap.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>

#include "core/vx_io.h"
#include "core/vx_io_ini.h"
#include "display/vx_app.h"
#include "display/vx_bit_save.h"
#include "platform/plat_gl.h"
#include "world/gen/gen_atlas.h"
#include "world/gen/gen_bit.h"
#include "world/gen/gen_draw.h"
#include "world/gen/gen_info.h"
#include "world/gen/gen_str.h"

namespace {

// The pixel format the context asks for: double-buffered RGBA of 32 colour
// bits, the deepest depth buffer there is, a stencil bit, no accumulation.
constexpr PLAT_GL_FORMAT kFormat = {1, 32, 0, 1, 0};
// The clear depth asked at start; GL keeps depths within 0 to 1, so it reads back as 1.
constexpr double kStartClearDepth = 500.0;

struct Snapshot {
  int pending;
  char file[VX_IO_PATH_MAX];
  VX_RECT rect;  // in screen pixels, moved by the screen's origin
};

struct {
  PLAT_WINDOW* window;
  PLAT_GL_CONTEXT* context;
  VX_RECT screen;
  char vendor[256];
  char renderer[256];
  Snapshot snapshot;
} wrap;

const char* text_of(GLenum what) {
  const GLubyte* s = glGetString(what);
  return s ? reinterpret_cast<const char*>(s) : "";
}

const char* glu_text_of(GLenum what) {
  const GLubyte* s = gluGetString(what);
  return s ? reinterpret_cast<const char*>(s) : "";
}

void renderer_report() {
  gen_history("gl info:\n");
  gen_history("vendor: %s\n", text_of(GL_VENDOR));
  gen_history("renderer: %s\n", text_of(GL_RENDERER));
  gen_history("version: %s\n", text_of(GL_VERSION));
  gen_history("extensions: %s\n", text_of(GL_EXTENSIONS));
  gen_history("glu info:\n");
  gen_history("version: %s\n", glu_text_of(GLU_VERSION));
  gen_history("extensions: %s\n", glu_text_of(GLU_EXTENSIONS));
}

// Gives the window its pixel format and a current context. A failure shows
// its box and asks the program to quit.
int create_context(PLAT_WINDOW* window) {
  int failure = PLAT_GL_OK;
  wrap.context = plat_gl_context_create(window, &kFormat, &failure);
  if (!wrap.context) {
    const char* text = failure == PLAT_GL_NO_FORMAT ? "ChoosePixelFormat failed" : "SetPixelFormat failed";
    vx_dsp_error_box(text, "Error", PLAT_MB_OK);
    plat_post_quit_message(0);
    return 0;
  }
  wrap.window = window;
  glClearDepth(1.0);
  gen_str_copy(wrap.vendor, sizeof wrap.vendor, text_of(GL_VENDOR));
  gen_str_copy(wrap.renderer, sizeof wrap.renderer, text_of(GL_RENDERER));
  renderer_report();
  return 1;
}

void projection_2d(const VX_RECT& r) {
  glViewport(r.x, r.y, r.width, r.height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  // Pixels across, y running down from the top edge.
  glOrtho(r.x, r.x + r.width, r.y + r.height, r.y, -1.0, 1.0);
  glTranslatef(float(r.x), float(r.y), 0.0f);
  glMatrixMode(GL_MODELVIEW);
  glScissor(r.x, r.y, r.width, r.height);
  glEnable(GL_SCISSOR_TEST);
}

// Reads the requested rectangle into a 24-bit bitmap, bottom screen row to
// the last bitmap row, and writes it through the bitmap save.
void snapshot_write() {
  const Snapshot& s = wrap.snapshot;
  VX_BITMAP shot = {};
  VX_RECT size = {0, 0, s.rect.width, s.rect.height};
  if (vx_bit_alloc(&shot, &size, VX_BIT_BPP24)) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    const long row_bytes = vx_bit_row_bytes(shot.width, VX_BIT_BPP24);
    for (int row = 0; row < shot.height; row++) {
      const int screen_row = s.rect.y - wrap.screen.y + row;
      glReadPixels(s.rect.x, gen_wrap_buffer_row(&wrap.screen, screen_row), shot.width, 1, GL_RGB,
                   GL_UNSIGNED_BYTE, shot.pixels + row * row_bytes);
    }
    vx_bit_save(&shot, s.file, nullptr, VX_BIT_SAVE_DIRECT);
    vx_bit_free(&shot);
  }
  wrap.snapshot.pending = 0;
}

void write_system_key(const char* key, const char* value) {
  const char* settings = vx_io_settings_path();
  if (settings && settings[0]) vx_io_ini_set_string("System", key, value, settings);
}

void system_report() {
  char number[32];
  write_system_key("Vendor", wrap.vendor);
  write_system_key("Renderer", wrap.renderer);
  std::snprintf(number, sizeof number, "%lld", gen_bit_ram_max());
  write_system_key("TextureRamMax", number);
  std::snprintf(number, sizeof number, "%lld", gen_bit_ram_current());
  write_system_key("TextureRamCurrent", number);
}

// ---------------------------------------------------------------- table entries
// Adapters where the table's form differs from the module's.
int put_entry(VX_BITMAP* b, const VX_RECT* d, const VX_RECT* s, uint32_t flags) { return gen_bit_put(b, d, s, flags); }
int free_entry(VX_BITMAP* b) { return gen_bit_free(b); }
int pixel_entry(VX_BITMAP* b, int x, int y, uint32_t c) { return gen_draw_pixel(b, x, y, c); }
int line_entry(VX_BITMAP* b, int x1, int y1, int x2, int y2, uint32_t c) { return gen_draw_line(b, x1, y1, x2, y2, c); }
int rectangle_entry(VX_BITMAP* b, const VX_RECT* r, uint32_t c) { return gen_draw_rectangle(b, r, c); }
int circle_entry(VX_BITMAP* b, int cx, int cy, int r, uint32_t c) { return gen_draw_circle(b, cx, cy, r, c); }
uint32_t get_pixel_entry(VX_BITMAP* b, int x, int y) { return gen_get_pixel(b, x, y); }

}  // namespace

void gen_wrap_get_interface(VX_DSP_3D_INTERFACE* table) {
  if (!table) return;
  *table = VX_DSP_3D_INTERFACE{};
  table->vx_dsp_3d_init = gen_wrap_init;                 // context, clear, 2D projection; 8: hardware
  table->vx_dsp_3d_deinit = gen_wrap_deinit;             // system report, all textures and the context released
  table->vx_dsp_3d_video_mode_set = gen_wrap_video_mode_set;  // full screen or windowed, boxes on failure
  table->vx_dsp_3d_resize = gen_wrap_resize;             // 2D projection for the new rectangle
  table->vx_dsp_3d_flush = gen_wrap_flush;               // waits for all drawing
  table->vx_bit_3d_put = put_entry;                      // bitmap draw (gen_bit_put)
  table->vx_bit_3d_save = gen_wrap_snapshot;             // snapshot at the next display update
  table->vx_bit_3d_free = free_entry;                    // texture release of one bitmap
  table->vx_dsp_3d_screen_clear = gen_wrap_screen_clear; // black, the whole window
  table->vx_dsp_3d_display_update = gen_wrap_display_update;  // snapshot, swap, clear
  table->vx_bit_3d_draw_pixel = pixel_entry;             // one point inside the bitmap
  table->vx_bit_3d__draw_line = line_entry;              // one line, both ends
  table->vx_bit_3d__draw_rectangle = rectangle_entry;    // outline unless wholly outside
  table->vx_bit_3d__draw_circle = circle_entry;          // outline through stepped points
  table->vx_bit_3d_get_pixel = get_pixel_entry;          // one pixel as 0xRRGGBB
}

int gen_wrap_init(PLAT_WINDOW* window, const VX_RECT* screen, const char** renderer, const char** vendor) {
  if (renderer) *renderer = wrap.renderer;
  if (vendor) *vendor = wrap.vendor;
  if (wrap.context && wrap.window != window) {
    gen_bit_free_all();
    gen_atlas_free_all();
    plat_gl_context_delete(wrap.context);
    wrap.context = nullptr;
  }
  if (!wrap.context && !create_context(window)) {
    wrap.vendor[0] = wrap.renderer[0] = 0;
    return 0;
  }
  wrap.screen = screen ? *screen : VX_RECT{};
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClearDepth(kStartClearDepth);
  glClearIndex(0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glClear(GL_COLOR_BUFFER_BIT);
  plat_gl_swap(wrap.context);
  glClear(GL_COLOR_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  projection_2d(wrap.screen);
  glViewport(wrap.screen.x, wrap.screen.y, wrap.screen.width, wrap.screen.height);
  gen_history("gen_wrap_init!!!");
  return gen_wrap_hardware_flag(wrap.renderer);
}

int gen_wrap_deinit() {
  if (!wrap.context) return 0;
  gen_bit_flush();
  system_report();
  glDisable(GL_SCISSOR_TEST);
  gen_bit_free_all();
  gen_atlas_free_all();
  gen_bit_ram_reset();
  plat_gl_context_delete(wrap.context);
  wrap.context = nullptr;
  wrap.window = nullptr;
  wrap.snapshot.pending = 0;
  // The log's format buffer goes with the layer.
  gen_info_deinit();
  return 1;
}

int gen_wrap_video_mode_set(int width, int height, int depth, int refresh, int fullscreen) {
  if (wrap.context) gen_bit_flush();
  PLAT_WINDOW* window = wrap.window ? wrap.window : plat_window_main();
  const int result = plat_display_mode_set(window, width, height, depth, refresh, fullscreen);
  if (result == PLAT_DISPLAY_OK) return 1;
  vx_dsp_error_box(gen_wrap_display_error_text(result), "ChangeDisplaySettings Failed", PLAT_MB_OK);
  return 0;
}

int gen_wrap_resize(const VX_RECT* screen) {
  if (!wrap.context || !screen) return 0;
  gen_bit_flush();
  wrap.screen = *screen;
  projection_2d(wrap.screen);
  return 1;
}

int gen_wrap_flush() {
  if (!wrap.context) return 0;
  gen_bit_flush();
  glFinish();
  return 1;
}

int gen_wrap_snapshot(VX_BITMAP*, const char* file_name, const VX_RECT* rect, uint32_t) {
  if (wrap.snapshot.pending || !file_name) return 0;
  VX_RECT r = rect ? *rect : VX_RECT{0, 0, wrap.screen.width, wrap.screen.height};
  const int x0 = r.x < 0 ? 0 : r.x, y0 = r.y < 0 ? 0 : r.y;
  const int x1 = r.x + r.width < wrap.screen.width ? r.x + r.width : wrap.screen.width;
  const int y1 = r.y + r.height < wrap.screen.height ? r.y + r.height : wrap.screen.height;
  if (x1 <= x0 || y1 <= y0) return 0;
  Snapshot& s = wrap.snapshot;
  gen_str_copy(s.file, sizeof s.file, file_name);
  s.rect = {int16_t(x0 + wrap.screen.x), int16_t(y0 + wrap.screen.y), int16_t(x1 - x0), int16_t(y1 - y0)};
  s.pending = 1;
  return 1;
}

int gen_wrap_screen_clear() {
  if (!wrap.context) return 0;
  gen_bit_flush();
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
  return 1;
}

int gen_wrap_display_update() {
  if (!wrap.context) return 0;
  gen_bit_flush();
  if (wrap.snapshot.pending) {
    glFinish();
    snapshot_write();
  }
  plat_gl_swap(wrap.context);
  // The whole buffer, not only the picture: the bars around a picture
  // smaller than the window stay black.
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
  return 1;
}

// ---------------------------------------------------------------- state

int gen_wrap_ready() { return wrap.context != nullptr; }
VX_RECT gen_wrap_screen() { return wrap.screen; }
const char* gen_wrap_renderer() { return wrap.renderer; }
const char* gen_wrap_vendor() { return wrap.vendor; }
int gen_wrap_snapshot_pending() { return wrap.snapshot.pending; }

// The viewport's lowest row is screen row height - 1.
int gen_wrap_buffer_row(const VX_RECT* screen, int y) { return screen->y + screen->height - 1 - y; }

int gen_wrap_hardware_flag(const char* renderer) { return gen_str_contains(renderer, "Generic") ? 0 : 8; }

const char* gen_wrap_display_error_text(int result) {
  switch (result) {
    case PLAT_DISPLAY_BAD_MODE: return "The graphics mode is not supported.";
    case PLAT_DISPLAY_BAD_FLAGS: return "An invalid set of flags was passed in.";
    case PLAT_DISPLAY_NOT_UPDATED: return "Unable to write settings to the registry.";
    case PLAT_DISPLAY_RESTART: return "The computer must be restarted in order for the graphics mode to work.";
    default: return "Unknown error:";
  }
}

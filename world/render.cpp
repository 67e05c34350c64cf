// The world renderer's engine state: start and stop, the viewport, the row table, light colours and fade, the output table, the transparency tables and the editor font.
#include "world/render.h"

#include <cstring>
#include <new>

#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "world/engine_error.h"
#include "world/render_internal.h"

RENDER_VIEW render_view = {
    319,      // view_right
    199,      // view_bottom
    160,      // centre_x
    100,      // centre_y
    200,      // proj_x
    166,      // proj_y
    15,       // view_depth
    0,        // horizon_shift
    0,        // cell_lighting
    0,        // object_lighting
    8,        // fade_start
    1.0,      // fade_rate
    1,        // floors_on
    1,        // walls_on
    nullptr,  // row_half_width
};

namespace {

constexpr const char* kTransparencyFile = "data\\transp.tab";
constexpr const char* kFontFile = "data\\font.dat";
constexpr int kMaxTables = 255;  // the count is one byte

struct RenderState {
  RENDER_OUTPUT output;
  uint8_t* polygon_buffer;  // RENDER_POLYGON_BUFFER bytes; the polygon being built lives at its start
  uint8_t* rows;            // RENDER_ROWS bytes, render_view.row_half_width
  RENDER_STATS stats;
  uint8_t* tables[kMaxTables];
  int table_count;
  uint8_t* font;            // RENDER_FONT_BUFFER bytes
};
RenderState rd_st = {};

// The entries of an output that draws nowhere.
void no_frame_begin(int, int) {}
void no_frame_end() {}
void no_polygon(const RENDER_POLYGON*) {}
void no_line(int, int, int, int, uint32_t) {}
void no_point(int, int, uint32_t) {}
int no_screen(VX_RECT*) { return 0; }
int no_picture(VX_BITMAP*, const VX_RECT*, const VX_RECT*) { return 0; }

void install_defaults(RENDER_OUTPUT* out) {
  if (!out->frame_begin) out->frame_begin = no_frame_begin;
  if (!out->frame_end) out->frame_end = no_frame_end;
  if (!out->polygon) out->polygon = no_polygon;
  if (!out->line) out->line = no_line;
  if (!out->point) out->point = no_point;
  if (!out->screen) out->screen = no_screen;
  if (!out->picture) out->picture = no_picture;
}

// A cleared, named block of the engine; a failure shows "Can't allocate
// more memory" first, as every engine allocation does.
void* engine_alloc(size_t size, const char* name) {
  void* p = vx_mem_calloc(1, size);
  if (!p) {
    Engine_Box("Can't allocate more memory", "Error");
    return nullptr;
  }
  vx_mem_name(p, name);
  return p;
}

template <typename T>
void release(T*& p) {
  if (p) vx_mem_free(p);
  p = nullptr;
}

// Bytes of a file of the file layer or of memory, read in order.
struct Source {
  VX_IO_FILE* file;
  const uint8_t* data;
  size_t size, pos;
};

size_t source_read(Source* s, void* out, size_t n) {
  if (s->file) return vx_io_fread(out, 1, n, s->file);
  const size_t left = s->size - s->pos;
  if (n > left) n = left;
  if (n) std::memcpy(out, s->data + s->pos, n);
  s->pos += n;
  return n;
}

int read_tables(Source* s) {
  Free_Transparency_Tables();
  uint8_t count = 0;
  source_read(s, &count, 1);
  for (int i = 0; i < count; i++) {
    uint8_t* t = static_cast<uint8_t*>(engine_alloc(RENDER_TRANSPARENCY_TABLE, "1 tabla trans in load transparency tables"));
    if (!t) {
      Engine_Stop("Not enough memory for transparency tables");
      return 0;
    }
    rd_st.tables[rd_st.table_count++] = t;
    source_read(s, t, RENDER_TRANSPARENCY_TABLE);
  }
  return 1;
}

int read_font(Source* s) {
  release(rd_st.font);
  rd_st.font = static_cast<uint8_t*>(engine_alloc(RENDER_FONT_BUFFER, "mem font 2 in load editor font"));
  if (!rd_st.font) {
    Engine_Stop("Not enough RAM to load the font %s\n", kFontFile);
    return 0;
  }
  source_read(s, rd_st.font, size_t(RENDER_FONT_GLYPHS) * RENDER_FONT_ROWS);
  return 1;
}

}  // namespace

// ---------------------------------------------------------------- output

void Render_Output_Set(const RENDER_OUTPUT* output) {
  rd_st.output = output ? *output : RENDER_OUTPUT{};
  install_defaults(&rd_st.output);
}

const RENDER_OUTPUT& Render_Out() {
  if (!rd_st.output.polygon) install_defaults(&rd_st.output);
  return rd_st.output;
}

void Render_Frame_Begin() {
  Render_Out().frame_begin(render_view.view_right + 1, render_view.view_bottom + 1);
}

RENDER_POLYGON* Render_Polygon() {
  return rd_st.polygon_buffer ? reinterpret_cast<RENDER_POLYGON*>(rd_st.polygon_buffer) : nullptr;
}

void Render_Emit(const RENDER_POLYGON* polygon) {
  rd_st.stats.polygons++;
  Render_Out().polygon(polygon);
}

RENDER_STATS& Render_Counters() { return rd_st.stats; }
RENDER_STATS Render_Stats() { return rd_st.stats; }
const uint8_t* Render_Font() { return rd_st.font; }

// ---------------------------------------------------------------- engine

void Init_3D_Engine() {
  RENDER_VIEW& v = render_view;
  v.cell_lighting = 0;
  v.object_lighting = 0;
  v.fade_rate = 1.0;
  v.horizon_shift = 0;
  v.fade_start = 8;
  release(rd_st.polygon_buffer);
  release(rd_st.rows);
  v.row_half_width = nullptr;
  rd_st.polygon_buffer = static_cast<uint8_t*>(engine_alloc(RENDER_POLYGON_BUFFER, "cua in init 3d engine"));
  if (!rd_st.polygon_buffer) {
    Engine_Stop("Not enough memory!");
    return;
  }
  new (rd_st.polygon_buffer) RENDER_POLYGON{};
  rd_st.rows = static_cast<uint8_t*>(engine_alloc(RENDER_ROWS, "row lenght table in init 3d engine"));
  if (!rd_st.rows) {
    release(rd_st.polygon_buffer);
    Engine_Stop("Not enough memory!");
    return;
  }
  for (int d = 0; d < RENDER_ROWS; d++)
    rd_st.rows[d] = uint8_t(Render_Row_Width(d, World_Cell_Unit(), v.proj_x, v.view_right));
  v.row_half_width = rd_st.rows;
}

void Free_3D_Engine() {
  release(rd_st.polygon_buffer);
  release(rd_st.rows);
  release(rd_st.font);
  render_view.row_half_width = nullptr;
}

void Set_Viewport(int bottom, int right) {
  RENDER_VIEW& v = render_view;
  v.proj_x = int32_t(((long long)(right / 2) * 200) / 160);
  v.proj_y = int32_t(((long long)(bottom / 2) * 166) / 100);
  v.centre_x = (right + 1) / 2;
  v.centre_y = (bottom + 1) / 2;
  v.view_right = right;
  v.view_bottom = bottom;
}

// ---------------------------------------------------------------- arithmetic

int Render_Row_Width(int d, int cell_size, int proj_x, int view_right) {
  // The point n cells to the side, d rows ahead (plus 10 units), must
  // project inside the viewport.
  const long long depth = (long long)d * cell_size + 10;
  if (depth <= 0) return 2;
  for (int n = 100; n >= 1; n--) {
    if ((long long)n * cell_size * proj_x / depth + view_right / 2 < view_right) return n + 2;
  }
  return 2;
}

void Render_Light_Colour(int tint, int brightness, float rgb[3]) {
  const int t = Render_Clamp15(tint), b = Render_Clamp15(brightness);
  if (t == 0 && b == 15) {
    rgb[0] = rgb[1] = rgb[2] = 1.0f;
    return;
  }
  const float i = float(b * 256 * 0.0002441);  // about b / 16
  const float h = i / 2;
  // Per tint: the red, green and blue of the ramp.
  switch (t) {
    case 1: rgb[0] = i, rgb[1] = 0, rgb[2] = 0; break;
    case 2: rgb[0] = 0, rgb[1] = i, rgb[2] = 0; break;
    case 3: rgb[0] = 0, rgb[1] = 0, rgb[2] = i; break;
    case 4: rgb[0] = i, rgb[1] = i, rgb[2] = 0; break;
    case 5: rgb[0] = i, rgb[1] = 0, rgb[2] = i; break;
    case 6: rgb[0] = 0, rgb[1] = i, rgb[2] = i; break;
    case 8: rgb[0] = i, rgb[1] = h, rgb[2] = h; break;
    case 9: rgb[0] = h, rgb[1] = i, rgb[2] = h; break;
    case 10: rgb[0] = h, rgb[1] = h, rgb[2] = i; break;
    case 11: rgb[0] = i, rgb[1] = i, rgb[2] = h; break;
    case 12: rgb[0] = i, rgb[1] = h, rgb[2] = i; break;
    case 13: rgb[0] = h, rgb[1] = i, rgb[2] = i; break;
    case 14:
    case 15: rgb[0] = rgb[1] = rgb[2] = 0; break;
    default: rgb[0] = rgb[1] = rgb[2] = i; break;  // 0 and 7: grey
  }
}

int Render_Fade(int brightness, int d) {
  const RENDER_VIEW& v = render_view;
  long long b = brightness;
  if (d > v.fade_start) {
    const double lost = (double(d) - v.fade_start) * v.fade_rate;
    // Saturated: a fade past any brightness is simply dark; NaN fades nothing.
    if (lost == lost) b -= lost >= 1e6 ? 1000000 : (lost <= -1e6 ? -1000000 : (long long)lost);
  }
  return b < 0 ? 0 : (b > 15 ? 15 : int(b));
}

void Render_Polygon_Colour(RENDER_POLYGON* p, const RENDER_LIGHT* light, float alpha) {
  if (light) {
    Render_Light_Colour(light->tint, light->brightness, p->colour);
  } else {
    p->colour[0] = p->colour[1] = p->colour[2] = 1.0f;
  }
  p->colour[3] = alpha;
}

// ---------------------------------------------------------------- transparency tables

int Load_Transparency_Tables() {
  Source s = {vx_io_fopen(kTransparencyFile, "rb"), nullptr, 0, 0};
  if (!s.file) {
    Engine_Stop("Can't open the transparency tables file %s", kTransparencyFile);
    return 0;
  }
  const int ok = read_tables(&s);
  vx_io_fclose(s.file);
  return ok;
}

int Load_Transparency_Tables_Memory(const uint8_t* data, size_t size) {
  Source s = {nullptr, data, data ? size : 0, 0};
  return read_tables(&s);
}

void Free_Transparency_Tables() {
  for (int i = 0; i < rd_st.table_count; i++) release(rd_st.tables[i]);
  rd_st.table_count = 0;
}

int Render_Transparency_Count() { return rd_st.table_count; }

const uint8_t* Render_Transparency_Table(int i) {
  return i >= 0 && i < rd_st.table_count ? rd_st.tables[i] : nullptr;
}

// ---------------------------------------------------------------- editor font

int Load_Editor_Font() {
  Source s = {vx_io_fopen(kFontFile, "rb"), nullptr, 0, 0};
  if (!s.file) {
    Engine_Stop("Cant open the file %s\n", kFontFile);
    return 0;
  }
  const int ok = read_font(&s);
  vx_io_fclose(s.file);
  return ok;
}

int Load_Editor_Font_Memory(const uint8_t* data, size_t size) {
  Source s = {nullptr, data, data ? size : 0, 0};
  return read_font(&s);
}

int Render_Editor_Font_Loaded() { return rd_st.font != nullptr; }

int Render_Editor_Glyph(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 'a';
  if (c >= 'A' && c <= 'Z') return 26 + (c - 'A');
  if (c >= '0' && c <= '9') return 52 + (c - '0');
  switch (c) {
    case ' ': return -1;
    case '.': return 62;
    case ',': return 63;
    case ';': return 64;
    case ':': return 65;
    case 0xA8: return 66;  // inverted question mark
    case '?': return 67;
    case 0xAD: return 68;  // inverted exclamation mark
    case '!': return 69;
    case '(': return 70;
    case ')': return 71;
    case 0xA4: return 72;  // n with tilde
    case 0xA5: return 73;  // N with tilde
    case 0xA0: return 74;  // a acute
    case 0x82: return 75;  // e acute
    case 0xA1: return 76;  // i acute
    case 0xA2: return 77;  // o acute
    case 0xA3: return 78;  // u acute
    case '-': return 79;
    case '$': return 80;
    case '%': return 81;
    case '/': return 82;
    default: return 0;
  }
}

void Render_Screen_Text(int x, int y, const char* text) {
  const RENDER_OUTPUT& out = Render_Out();
  Render_Frame_Begin();
  Render_Editor_Text(x, y, text);
  out.frame_end();
}

void Render_Editor_Text(int x, int y, const char* text) {
  const uint8_t* font = rd_st.font;
  if (!font || !text) return;
  const RENDER_VIEW& v = render_view;
  const RENDER_OUTPUT& out = Render_Out();
  for (const char* p = text; *p; p++, x += RENDER_FONT_ADVANCE) {
    const int g = Render_Editor_Glyph(static_cast<unsigned char>(*p));
    if (g < 0) continue;
    // Only glyphs wholly inside the viewport: five pixels by seven.
    if (x < 0 || y < 0 || x + 4 > v.view_right || y + RENDER_FONT_ROWS - 1 > v.view_bottom) continue;
    const uint8_t* rows = font + g * RENDER_FONT_ROWS;
    for (int r = 0; r < RENDER_FONT_ROWS; r++)
      for (int b = 0; b < 5; b++)
        if (rows[r] & (0x10 >> b)) out.point(x + b, y + r, 0xFFFFFF);
  }
}

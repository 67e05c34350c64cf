// Text-defined menus: reading a menu section and its lines, and laying the lines out in the menu rectangle.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "core/vx_io.h"
#include "core/vx_io_ini.h"
#include "core/vx_mem.h"
#include "display/vx_blit.h"
#include "toolkit/vx_menu.h"
#include "toolkit/vx_menu_internal.h"

namespace {

constexpr int DEFAULT_POSITION[4] = {25, 25, 50, 50};  // percent of the base size
constexpr int DEFAULT_TIMEOUT = 10000;
constexpr int DEFAULT_DELAY = 500;
constexpr int DEFAULT_TRANSPARENCY = 50;
constexpr int DEFAULT_SPACE = 10000;  // so large that a menu of several lines without Space gets no room
constexpr int DEFAULT_ESCAPE = 1;
constexpr int KEY_CHARS = 32;
constexpr int VALUE_CHARS = VX_IO_INI_NUMBER;

// What one load works with.
struct Loader {
  VX_MENU* menu;
  const char* file;
  const char* section;
};

// A key read; true when the key is present (also with an empty value).
bool read_string(const Loader& L, const char* key, char* out, int size) {
  vx_io_ini_get_string(L.section, key, out, size, L.file);
  return !vx_io_get_status(1);
}

bool read_int(const Loader& L, const char* key, int* out) {
  vx_io_ini_get_int(L.section, key, out, L.file);
  return !vx_io_get_status(1);
}

// An optional key: `fallback` when missing.
int read_int_or(const Loader& L, const char* key, int fallback) {
  int v = 0;
  return read_int(L, key, &v) ? v : fallback;
}

int16_t to_i16(long long v) { return int16_t(std::clamp<long long>(v, INT16_MIN, INT16_MAX)); }
int16_t to_side(long long v) { return int16_t(std::clamp<long long>(v, 0, INT16_MAX)); }

// "%d,%d,%d,%d" as the standard scan reads it: blanks before each number, a
// comma right after each of the first three. Numbers beyond int clamp.
bool parse_position(const char* s, int out[4]) {
  for (int i = 0; i < 4; i++) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(s, &end, 10);
    if (end == s) return false;
    out[i] = int(std::clamp<long>(v, INT_MIN, INT_MAX));
    s = end;
    if (i < 3) {
      if (*s != ',') return false;
      s++;
    }
  }
  return true;
}

void read_position(const Loader& L) {
  char value[VALUE_CHARS + 1];
  int p[4];
  if (!read_string(L, "Position", value, VALUE_CHARS) || !parse_position(value, p)) {
    std::copy(std::begin(DEFAULT_POSITION), std::end(DEFAULT_POSITION), p);
    vx_menu_raise(VX_MENU_ERR_POSITION, "%s [%s] Position=%s", L.file, L.section, value);
  }
  VX_MENU* m = L.menu;
  m->pos_x = to_i16(p[0]);
  m->pos_y = to_i16(p[1]);
  m->pos_w = to_i16(p[2]);
  m->pos_h = to_i16(p[3]);
}

// ---------------------------------------------------------------- lines

bool valid_kind(int kind) {
  return kind == VX_MENU_STATIC || kind == VX_MENU_DYNAMIC || kind == VX_MENU_ITEM || kind == VX_MENU_OPTIONS ||
         kind == VX_MENU_DYNAMIC_OPTIONS || kind == VX_MENU_DYNAMIC_ITEM;
}

// NumOptions_NN (else NbOptions_NN) of an option line, kept within 1..99.
int read_option_count(const Loader& L, int n) {
  char key[KEY_CHARS], old_key[KEY_CHARS];
  std::snprintf(key, sizeof key, "NumOptions_%02d", n);
  std::snprintf(old_key, sizeof old_key, "NbOptions_%02d", n);
  int count = 0;
  if (!read_int(L, key, &count) && !read_int(L, old_key, &count)) {
    vx_menu_raise(VX_MENU_ERR_FORMAT, "%s [%s] %s=", L.file, L.section, key);
    return 1;
  }
  if (count < 1 || count > VX_MENU_MAX_OPTIONS) {
    vx_menu_raise(VX_MENU_ERR_FORMAT, "%s [%s] %s=%d", L.file, L.section, key, count);
    return std::clamp(count, 1, VX_MENU_MAX_OPTIONS);
  }
  return count;
}

// A field of the line: `fallback` and `code` reported when the key is missing.
int read_field(const Loader& L, const char* stem, int n, int fallback, int code) {
  char key[KEY_CHARS];
  std::snprintf(key, sizeof key, "%s_%02d", stem, n);
  int v = 0;
  if (read_int(L, key, &v)) return v;
  if (code == VX_MENU_ERR_FORMAT)
    vx_menu_raise(code, "%s [%s] %s=", L.file, L.section, key);
  else
    vx_menu_raise(code, "%s [%s] %s", L.file, L.section, key);
  return fallback;
}

void read_texts(const Loader& L, int n, VX_MENU_LINE* line) {
  for (int t = 0; t < line->text_count; t++) {
    char key[KEY_CHARS];
    if (line->text_count == 1)
      std::snprintf(key, sizeof key, "Line_%02d", n);
    else
      std::snprintf(key, sizeof key, "Line_%02d_%02d", n, t + 1);
    VX_MENU_TEXT& text = line->texts[t];
    // A key present with an empty value is an empty text, not a fault.
    if (!read_string(L, key, text.text, VX_MENU_TEXT_SIZE - 1))
      vx_menu_raise(VX_MENU_ERR_LINE, "%s [%s] %s", L.file, L.section, key);
    text.capacity = uint32_t(std::strlen(text.text));
  }
}

// Line n (1-based); null when it cannot be loaded.
VX_MENU_LINE* load_line(const Loader& L, int n) {
  char key[KEY_CHARS];
  std::snprintf(key, sizeof key, "Type_%02d", n);
  int type = 0;
  if (!read_int(L, key, &type)) {
    vx_menu_raise(VX_MENU_ERR_FORMAT, "%s [%s] %s=", L.file, L.section, key);
    return nullptr;
  }
  const int kind = type & ~VX_MENU_VISIBILITY;
  if (!valid_kind(kind)) {
    vx_menu_raise(VX_MENU_ERR_FORMAT, "%s [%s] %s=%d", L.file, L.section, key, type);
    return nullptr;
  }
  const bool options = kind == VX_MENU_OPTIONS || kind == VX_MENU_DYNAMIC_OPTIONS;
  const int count = options ? read_option_count(L, n) : 1;
  const size_t bytes = sizeof(VX_MENU_LINE) + size_t(count) * sizeof(VX_MENU_TEXT);
  auto* line = static_cast<VX_MENU_LINE*>(vx_mem_calloc(1, bytes));
  if (!line) {
    vx_menu_raise(VX_MENU_ERR_MEMORY, "%s [%s] %s", L.file, L.section, key);
    return nullptr;
  }
  char name[96];
  if (vx_menu_settings().debug)
    std::snprintf(name, sizeof name, "Menu: %s, line: %d", L.section, n);
  else
    std::snprintf(name, sizeof name, "VX_MENU_LINE");
  vx_mem_name(line, name);
  line->type = type;
  line->text_count = count;
  line->texts = reinterpret_cast<VX_MENU_TEXT*>(line + 1);
  if (kind != VX_MENU_STATIC) {
    line->value = read_field(L, "Value", n, 0, VX_MENU_ERR_FORMAT);
    line->notify_mask = read_field(L, "Notif", n, 0, VX_MENU_ERR_FORMAT);
  }
  line->spacing = read_field(L, "Font", n, 1, VX_MENU_ERR_LINE);
  line->align = read_field(L, "Align", n, VX_MENU_ALIGN_CENTRE, VX_MENU_ERR_LINE);
  read_texts(L, n, line);
  return line;
}

// ---------------------------------------------------------------- layout

// A Position coordinate: positive values are percent of the base size,
// zero and negative ones pixels.
long long coordinate(int v, int base) { return v > 0 ? (long long)v * base / 100 : -(long long)v; }

// The width a text takes at natural size with its line's spacing.
int natural_width(VX_FONT* font, const VX_MENU_LINE* line, const VX_MENU_TEXT& text) {
  if (!font || !text.text[0]) return 0;
  return std::max(0, vx_font_measure(font, text.text, nullptr, line->spacing == 1 ? VX_FONT_PROPORTIONAL : 0));
}

// x of a text `w` wide in the menu by its alignment (stretch and unknown values: left).
long long aligned_x(const VX_RECT& m, int align, long long w) {
  if (align == VX_MENU_ALIGN_CENTRE) return m.x + (m.width - w) / 2;
  if (align == VX_MENU_ALIGN_RIGHT) return m.x + m.width - w;
  return m.x;
}

void layout(VX_MENU* menu, VX_FONT* font, int flags) {
  const VX_MENU_SETTINGS& s = vx_menu_settings();
  VX_RECT& m = menu->rect;
  m.x = to_side(coordinate(menu->pos_x, s.base_width));
  m.y = to_side(coordinate(menu->pos_y, s.base_height));
  m.width = to_side((long long)menu->pos_w * s.base_width / 100);
  m.height = to_side((long long)menu->pos_h * s.base_height / 100);
  const int n = menu->line_count;
  if (n < 1) return;
  long long line_h = (m.height - (long long)(n - 1) * menu->space) / n;
  if (line_h < 1) {
    vx_menu_raise(VX_MENU_ERR_SIZE, "%s", menu->name);
    line_h = 0;
  }
  const bool fitted = flags & VX_MENU_FITTED;
  int max_w = 0;
  if (fitted)
    for (int i = 0; i < n; i++)
      if (const VX_MENU_LINE* line = menu->lines[i])
        for (int t = 0; t < line->text_count; t++) max_w = std::max(max_w, natural_width(font, line, line->texts[t]));
  const int font_h = font ? font->height : 0;
  for (int i = 0; i < n; i++) {
    VX_MENU_LINE* line = menu->lines[i];
    if (!line) continue;
    const long long top = m.y + (long long)i * (menu->space + line_h);
    for (int t = 0; t < line->text_count; t++) {
      VX_MENU_TEXT& text = line->texts[t];
      const int measured = natural_width(font, line, text);
      long long w;
      if (fitted)
        w = max_w > 0 ? (long long)m.width * measured / max_w : 0;
      else
        w = std::min<long long>(font_h > 0 ? (long long)measured * line_h / font_h : 0, m.width);
      long long x = aligned_x(m, line->align, w);
      if (fitted && line->align == VX_MENU_ALIGN_STRETCH) x = m.x, w = m.width;
      text.rect = {to_i16(x), to_i16(top), to_side(w), to_side(line_h)};
      if (fitted && max_w == 0) text.rect.width = text.rect.height = 0;
    }
  }
}

// Every text rectangle and the menu rectangle follow the virtual screen from now on.
void register_rects(VX_MENU* menu) {
  for (int i = 0; i < menu->line_count; i++)
    if (VX_MENU_LINE* line = menu->lines[i])
      for (int t = 0; t < line->text_count; t++) vx_dsp_rect_add(&line->texts[t].rect);
  vx_dsp_rect_add(&menu->rect);
}

// NumLines (else NbLines), kept within 0..99; false when neither is there.
bool read_line_count(const Loader& L, int* count) {
  if (!read_int(L, "NumLines", count) && !read_int(L, "NbLines", count)) return false;
  if (*count < 0 || *count > VX_MENU_MAX_LINES) {
    vx_menu_raise(VX_MENU_ERR_FORMAT, "%s [%s] NumLines=%d", L.file, L.section, *count);
    *count = std::clamp(*count, 0, VX_MENU_MAX_LINES);
  }
  return true;
}

// Reads everything after the name; false (the record's parts are freed by
// the caller) for a missing line count or a failed line array.
bool read_menu(const Loader& L) {
  VX_MENU* m = L.menu;
  if (!read_line_count(L, &m->line_count)) {
    vx_menu_raise(VX_MENU_ERR_LINE, "%s [%s]", L.file, L.section);
    return false;
  }
  read_position(L);
  m->timeout = read_int_or(L, "Timeout", DEFAULT_TIMEOUT);
  m->delay = read_int_or(L, "Delay", DEFAULT_DELAY);
  m->transparency = read_int_or(L, "Transparency", DEFAULT_TRANSPARENCY);
  m->space = read_int_or(L, "Space", DEFAULT_SPACE);
  const int d = read_int_or(L, "Default", 0);
  m->default_line = d >= 1 && d <= m->line_count ? d - 1 : -1;
  m->current = m->default_line;
  m->escape = read_int_or(L, "Escape", DEFAULT_ESCAPE);
  if (m->line_count > 0) {
    m->lines = static_cast<VX_MENU_LINE**>(vx_mem_calloc(size_t(m->line_count), sizeof(VX_MENU_LINE*)));
    if (!m->lines) {
      vx_menu_raise(VX_MENU_ERR_MEMORY, "%s [%s]", L.file, L.section);
      return false;
    }
    vx_mem_name(m->lines, "VX_MENU lines");
  }
  for (int i = 0; i < m->line_count; i++) m->lines[i] = load_line(L, i + 1);
  return true;
}

}  // namespace

int vx_menu_load(VX_MENU* menu, const char* file, const char* section, VX_MENU_UPDATE_CB update_cb,
                 VX_MENU_NOTIFY_CB notify_cb, VX_FONT* font, int layout_flags) {
  if (!menu || !file || !section) {
    vx_menu_raise(VX_MENU_ERR_POINTER);
    return 0;
  }
  *menu = {};
  if (!vx_io_exists(file, VX_IO_THROUGH_OPEN)) {
    vx_menu_raise(VX_MENU_ERR_NO_FILE, "%s", file);
    return 0;
  }
  const size_t name_bytes = std::strlen(section) + 1;
  menu->name = static_cast<char*>(vx_mem_alloc_named(name_bytes, "VX_MENU name"));
  if (!menu->name) {
    vx_menu_raise(VX_MENU_ERR_MEMORY, "%s [%s]", file, section);
    return 0;
  }
  std::memcpy(menu->name, section, name_bytes);
  const Loader L = {menu, file, section};
  const bool kept_open = vx_io_ini_set_mode(file, KEEP_OPEN) == 1;
  // Every key is reported here with its own message and detail; the string
  // layer's reports of missing keys would only repeat them.
  vx_io_ini_set_mode(nullptr, QUIET_KEY_ON);
  const bool read = read_menu(L);
  vx_io_ini_set_mode(nullptr, QUIET_KEY_OFF);
  if (kept_open) vx_io_ini_set_mode(file, KEEP_CLOSE);
  if (!read) {
    vx_menu_free(menu);
    return 0;
  }
  layout(menu, font, layout_flags);
  register_rects(menu);
  menu->update_cb = update_cb;
  menu->notify_cb = notify_cb;
  return 1;
}

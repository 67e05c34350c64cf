// The window's menu bar drawn with a bitmap font: colours, label measuring, and the bar and popups drawn in the display layer's layout.
#include "toolkit/vx_font_bar.h"

#include <array>
#include <cstring>

#include "core/vx_mem.h"
#include "display/vx_blit.h"
#include "display/vx_dsp_menu.h"

namespace {

// Text is drawn scaled by height, proportional, through the transparent copy.
constexpr uint32_t kTextFlags = VX_FONT_SCALE | VX_FONT_PROPORTIONAL | VX_FONT_KEEP_ASPECT | VX_FONT_TRANSPARENT;
constexpr int kGap = 1;  // pixels after every character, as the font's printing leaves them

// Plain colours, drawn as small pictures scaled to any rectangle: a
// dark blue bar and popups under the font's white letters, whose navy
// ring keeps them apart from it; greyed items lie under a veil of their
// background's colour that lets a third of the letters through.
enum Swatch { BAR, BAR_EDGE, HIGHLIGHT, POPUP, BORDER, SEPARATOR, SHADOW, VEIL_BAR, VEIL_POPUP, VEIL_HIGHLIGHT, SWATCHES };
struct Rgba {
  uint8_t r, g, b, a;
};
constexpr std::array<Rgba, SWATCHES> kColours = {{
    {36, 46, 78, 255},     // BAR
    {96, 120, 180, 255},   // BAR_EDGE: the line under the bar
    {58, 96, 176, 255},    // HIGHLIGHT: the open title, the current item
    {28, 36, 62, 255},     // POPUP
    {110, 136, 200, 255},  // BORDER of a popup
    {80, 98, 146, 255},    // SEPARATOR
    {0, 0, 0, 96},         // SHADOW below and right of a popup
    {36, 46, 78, 170},     // VEIL_BAR
    {28, 36, 62, 170},     // VEIL_POPUP
    {58, 96, 176, 170},    // VEIL_HIGHLIGHT
}};
constexpr int kSwatchSide = 8;  // a power of two: one texture each, scaled when drawn

// The check mark and the sub-popup arrow are the font's own characters.
constexpr const char* kCheck = "\u2713";
constexpr const char* kArrow = "\u25B8";

struct BarState {
  VX_FONT* font;
  std::array<VX_BITMAP, SWATCHES> swatches;
  uint32_t* codes;  // decoding buffer of the measuring, grown by the font module
  int capacity;
  VX_BITMAP canvas;  // the drawable area's size; no pixels of its own
};
BarState bar;

int make_swatch(VX_BITMAP* b, Rgba c) {
  const VX_RECT size = {0, 0, kSwatchSide, kSwatchSide};
  if (!vx_bit_alloc(b, &size, VX_BIT_BPP32)) return 0;
  for (int i = 0; i < kSwatchSide * kSwatchSide; i++) std::memcpy(b->pixels + i * 4, &c, 4);
  return 1;
}

void free_swatches() {
  for (VX_BITMAP& b : bar.swatches) vx_bit_free(&b);
}

// The label's text as drawn: up to '\t', the '&' marks left out ("&&" is one '&').
void clean_label(const char* text, char* out, size_t size) {
  size_t n = 0;
  for (const char* p = text; *p && *p != '\t' && n + 1 < size; p++) {
    if (*p == '&') {
      if (p[1] != '&') continue;
      p++;
    }
    out[n++] = *p;
  }
  out[n] = 0;
}

// The drawn width of a clean text at `height` pixels: each character's span
// scaled by height, as the font's proportional printing scales it, with its gap.
int clean_width(const char* text, int height) {
  if (!bar.font || !*text) return 0;
  const int mode = VX_FONT_GROW | (bar.font->version == 2 ? VX_FONT_UTF8 : 0);
  const int n = vx_font_utf_8_to_unicode(&bar.codes, &bar.capacity, text, mode);
  int width = 0;
  for (int i = 0; i < n; i++) {
    VX_RECT r[3];
    if (!vx_font_char_frame(bar.font, bar.codes[i], 1, r)) continue;
    if (r[1].height > 0) width += static_cast<int>(long(r[1].width) * height / r[1].height);
    width += kGap;
  }
  return n > 0 ? width - kGap : 0;
}

void fill(Swatch s, int x, int y, int w, int h) {
  if (w < 1 || h < 1) return;
  const VX_RECT dest = {int16_t(x), int16_t(y), int16_t(w), int16_t(h)};
  const VX_RECT src = {0, 0, kSwatchSide, kSwatchSide};
  vx_bit_copy(&bar.canvas, &bar.swatches[s], &dest, &src, VX_BIT_SCALE);
}

// A label's text (up to '\t') with its top-left corner at (x, y).
void text(const char* label, int x, int y) {
  char clean[VX_MENU_TEXT];
  clean_label(label, clean, sizeof clean);
  const int w = clean_width(clean, VX_FONT_BAR_TEXT);
  if (w < 1) return;
  const VX_RECT r = {int16_t(x), int16_t(y), int16_t(w + kGap), VX_FONT_BAR_TEXT};
  vx_font_print(bar.font, &bar.canvas, &r, kTextFlags, "%s", clean);
}

// A text centred in the column of `width` pixels from x.
void centred(const char* mark, int x, int width, int y) { text(mark, x + (width - clean_width(mark, VX_FONT_BAR_TEXT)) / 2, y); }

const char* key_of(const char* label) {
  const char* tab = std::strchr(label, '\t');
  return tab ? tab + 1 : nullptr;
}

void draw_titles(const VX_MENU_BAR_STATE* state, int width) {
  const int menu = vx_dsp_menu_bar();
  fill(BAR, 0, 0, width, VX_MENU_BAR_HEIGHT - 1);
  fill(BAR_EDGE, 0, VX_MENU_BAR_HEIGHT - 1, width, 1);
  for (int i = 0; i < vx_dsp_menu_count(menu); i++) {
    const VX_MENU_ITEM* it = vx_dsp_menu_item(menu, i);
    const VX_DSP_RECT r = vx_dsp_menu_bar_title_rect(i);
    const bool open = state->open && state->popup == i;
    if (open) fill(HIGHLIGHT, r.x, r.y + 1, r.width, r.height - 3);
    text(it->text, r.x + VX_MENU_TITLE_PAD, r.y + (r.height - 1 - VX_FONT_BAR_TEXT) / 2);
    if (it->flags & VX_MENU_GRAYED) fill(open ? VEIL_HIGHLIGHT : VEIL_BAR, r.x + 1, r.y + 1, r.width - 2, r.height - 3);
  }
}

// One popup in its box; `current` is its highlighted item, `opened` the
// item whose sub-popup is open (both -1 for none).
void draw_popup(int menu, VX_DSP_RECT box, int current, int opened) {
  if (menu < 0 || box.width < 1 || box.height < 1) return;
  fill(SHADOW, box.x + 4, box.y + box.height, box.width, 4);
  fill(SHADOW, box.x + box.width, box.y + 4, 4, box.height - 4);
  fill(BORDER, box.x, box.y, box.width, box.height);
  fill(POPUP, box.x + 1, box.y + 1, box.width - 2, box.height - 2);
  const int key_x = vx_dsp_menu_popup_key_x(menu, box.x);
  int y = box.y;
  for (int i = 0; i < vx_dsp_menu_count(menu); i++) {
    const VX_MENU_ITEM* it = vx_dsp_menu_item(menu, i);
    if (it->flags & VX_MENU_SEPARATOR) {
      fill(SEPARATOR, box.x + 4, y + VX_MENU_SEPARATOR_ROW / 2, box.width - 8, 1);
      y += VX_MENU_SEPARATOR_ROW;
      continue;
    }
    const bool lit = i == current || i == opened;
    if (lit) fill(HIGHLIGHT, box.x + 2, y + 1, box.width - 4, VX_MENU_ROW - 2);
    const int text_y = y + (VX_MENU_ROW - VX_FONT_BAR_TEXT) / 2;
    if (it->flags & VX_MENU_CHECKED) centred(kCheck, box.x, VX_MENU_CHECK_COLUMN, text_y);
    text(it->text, box.x + VX_MENU_CHECK_COLUMN, text_y);
    if (const char* key = key_of(it->text)) text(key, key_x, text_y);
    if (it->flags & VX_MENU_POPUP) centred(kArrow, box.x + box.width - VX_MENU_ARROW_COLUMN, VX_MENU_ARROW_COLUMN, text_y);
    if (it->flags & VX_MENU_GRAYED) fill(lit ? VEIL_HIGHLIGHT : VEIL_POPUP, box.x + 2, y + 1, box.width - 4, VX_MENU_ROW - 2);
    y += VX_MENU_ROW;
  }
}

}  // namespace

int vx_font_bar_start(VX_FONT* font) {
  vx_font_bar_stop();
  if (!font || font->char_count < 1 || font->height < 1) return 0;
  for (int i = 0; i < SWATCHES; i++)
    if (!make_swatch(&bar.swatches[i], kColours[i])) return free_swatches(), 0;
  bar.font = font;
  const VX_MENU_BAR_DRAWER drawer = {vx_font_bar_draw, vx_font_bar_text_width};
  vx_dsp_menu_bar_drawer_set(&drawer);
  return 1;
}

void vx_font_bar_stop() {
  if (bar.font) vx_dsp_menu_bar_drawer_set(nullptr);
  bar.font = nullptr;
  free_swatches();
  if (bar.codes) vx_mem_free(bar.codes);
  bar.codes = nullptr;
  bar.capacity = 0;
}

int vx_font_bar_text_width(const char* text) {
  char clean[VX_MENU_TEXT];
  clean_label(text ? text : "", clean, sizeof clean);
  return clean_width(clean, VX_FONT_BAR_TEXT);
}

void vx_font_bar_draw(int width, int height) {
  if (!bar.font || width < 1 || height < 1) return;
  bar.canvas = VX_BITMAP{};
  bar.canvas.width = int16_t(width);
  bar.canvas.height = int16_t(height);
  bar.canvas.bpp = VX_BIT_BPP32;
  const VX_MENU_BAR_STATE* state = vx_dsp_menu_bar_state();
  draw_titles(state, width);
  if (!state->open) return;
  const int popup = vx_dsp_menu_sub(vx_dsp_menu_bar(), state->popup);
  draw_popup(popup, vx_dsp_menu_bar_popup_box(0), state->item, state->sub);
  draw_popup(vx_dsp_menu_sub(popup, state->sub), vx_dsp_menu_bar_popup_box(1), state->sub_item, -1);
}

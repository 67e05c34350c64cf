// The about box: its texts read on opening, drawn centred over the frozen frame, closed by a key or a click.
#include "game/about_box.h"

#include <cstdio>

#include "core/vx_io_ini.h"
#include "core/vx_mem.h"
#include "display/vx_bit.h"
#include "display/vx_blit.h"
#include "display/vx_dsp3d.h"
#include "display/vx_screen.h"
#include "game/game_fonts.h"
#include "toolkit/vx_font.h"
#include "toolkit/vx_inp.h"
#include "world/image/img_load.h"

namespace {

constexpr const char* kTextsFile = "data\\texts.txt";
constexpr int kTextSize = 80;
constexpr int kLineSize = 2 * kTextSize + 16;
// The box at the 640 x 480 base: centred, 480 x 300.
constexpr int kBoxW = 480, kBoxH = 300, kBase = 640;
constexpr int kKeyEsc = 1, kKeyEnter = 28, kKeySpace = 57;
constexpr uint32_t kOutline = 150;  // the menus' highlight band
constexpr int kMarginPart = 24;     // a margin of 1/24 of the box's width on each side
constexpr uint32_t kTextFlags = VX_FONT_TRANSPARENT | VX_FONT_PROPORTIONAL | VX_FONT_CENTER;

constexpr int kCloseCodes[] = {kKeyEnter, kKeySpace, kKeyEsc, VX_INP_MOUSE_BUTTON1};

struct AboutBox {
  int open;
  int ready;  // no closing key or button held since it opened: a release now closes it
  char lines[ABOUT_LINES][kLineSize];
  VX_BITMAP background;
  int has_background;
};
AboutBox ab = {};

void read(const char* section, const char* key, char (&out)[kTextSize + 1]) {
  if (!vx_io_ini_get_string(section, key, out, kTextSize, kTextsFile)) out[0] = 0;
}

// The box's rectangle on a screen of `width` x `height`.
VX_RECT box_rect(int width, int height) {
  const int w = kBoxW * width / kBase, h = kBoxH * width / kBase;
  return VX_RECT{static_cast<int16_t>((width - w) / 2), static_cast<int16_t>((height - h) / 2),
                 static_cast<int16_t>(w), static_cast<int16_t>(h)};
}

}  // namespace

void about_box_open(const char* abbreviation) {
  about_box_close();
  char section[64];
  std::snprintf(section, sizeof section, "AboutBox_%s", abbreviation && abbreviation[0] ? abbreviation : "eng");
  char title[kTextSize + 1], text[kTextSize + 1];
  vx_io_ini_set_mode(nullptr, QUIET_KEY_ON);
  vx_io_ini_set_mode(nullptr, QUIET_SECTION_ON);
  read("Application", "Title", title);
  read(section, "Title", text);
  // The texts file's formats take one argument each.
  std::snprintf(ab.lines[0], kLineSize, text, title);
  std::snprintf(ab.lines[1], kLineSize, "%s", title);
  read("Application", "Version", text);
  std::snprintf(ab.lines[2], kLineSize, "%s", text);
  read(section, "Memory", text);
  std::snprintf(ab.lines[3], kLineSize, text, static_cast<int>(vx_mem_max_used() / 1024));
  const char* keys[] = {"Copyright1", "Copyright2", "Reserved", "License"};
  for (int i = 0; i < 4; i++) {
    read(section, keys[i], text);
    std::snprintf(ab.lines[4 + i], kLineSize, "%s", text);
  }
  read(section, "Background", text);
  vx_io_ini_set_mode(nullptr, QUIET_KEY_OFF);
  vx_io_ini_set_mode(nullptr, QUIET_SECTION_OFF);
  ab.has_background = text[0] && vx_img_load(&ab.background, text, 0);
  ab.open = 1;
}

int about_box_is_open() { return ab.open; }

void about_box_input() {
  if (!ab.open) return;
  int held = 0, let_go = 0;
  for (int code : kCloseCodes) {
    held |= vx_inp_state(code) != 0;
    let_go |= vx_inp_released(code);
  }
  // The Enter or the click that chose About on the menu bar is often still
  // held when the box opens: its release must not close the box at once.
  if (!ab.ready) {
    ab.ready = !held && !let_go;
    return;
  }
  if (let_go) about_box_close();
}

void about_box_draw() {
  VX_BITMAP* screen = vx_screen();
  VX_FONT* font = game_default_font();
  if (!ab.open || !screen) return;
  const VX_RECT box = box_rect(screen->width, screen->height);
  if (ab.has_background) vx_bit_copy(screen, &ab.background, &box, nullptr, VX_BIT_SCALE);
  if (const VX_DSP_3D_INTERFACE* gl = vx_dsp_3d_interface())
    if (gl->vx_bit_3d__draw_rectangle) gl->vx_bit_3d__draw_rectangle(screen, &box, kOutline);
  if (!font) return;
  // The caption apart, then the fields evenly down the box.
  const int step = box.height / (ABOUT_LINES + 1);
  for (int i = 0; i < ABOUT_LINES; i++) {
    if (!ab.lines[i][0]) continue;
    const int y = box.y + step / 2 + i * step + (i > 0 ? step / 2 : 0);
    VX_RECT r = {box.x, static_cast<int16_t>(y), box.width, static_cast<int16_t>(font->height)};
    // A line wider than the box (long texts of some languages, small
    // screens) is drawn smaller, keeping its shape, so that it stays inside.
    const int room = box.width - box.width / kMarginPart * 2;
    const int wide = vx_font_measure(font, ab.lines[i], nullptr, kTextFlags);
    if (wide > room && room > 0) {
      const int h = font->height * room / wide;
      r.y = static_cast<int16_t>(y + (font->height - h) / 2);
      r.height = static_cast<int16_t>(h);
      vx_font_print(font, screen, &r, kTextFlags | VX_FONT_SCALE | VX_FONT_KEEP_ASPECT, "%s", ab.lines[i]);
      continue;
    }
    vx_font_print(font, screen, &r, kTextFlags, "%s", ab.lines[i]);
  }
}

void about_box_close() {
  if (ab.has_background) vx_bit_free(&ab.background);
  ab.background = {};
  ab.has_background = 0;
  ab.open = 0;
  ab.ready = 0;
}

const char* about_box_line(int i) { return ab.open && i >= 0 && i < ABOUT_LINES ? ab.lines[i] : ""; }

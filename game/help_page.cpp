// The help page: read from the current language's help file on opening, drawn in place of the game frame, freed on closing.
#include "game/help_page.h"

#include <cstdio>
#include <cstring>

#include "core/vx_io_ini.h"
#include "core/vx_mem.h"
#include "display/vx_bit.h"
#include "display/vx_blit.h"
#include "display/vx_screen.h"
#include "game/frontend.h"
#include "game/game_state.h"
#include "game/menus.h"
#include "game/texts.h"
#include "platform/platform.h"
#include "toolkit/vx_font.h"
#include "world/image/img_load.h"

namespace {

constexpr int kPathSize = 256;
constexpr int kLineSize = 1024;
constexpr int kFontFlags = VX_FONT_LOAD_PALETTE | VX_FONT_LOAD_TRIM;
constexpr uint32_t kTextFlags = VX_FONT_TRANSPARENT | VX_FONT_PROPORTIONAL;

struct HelpPage {
  int open;
  VX_BITMAP background;
  int has_background;
  VX_FONT font;
  int has_font;
  int16_t text_x, text_y;
  int timeout;          // ms
  uint32_t not_before;  // tick before which the page may not open
  int line_count;
  char* lines[HELP_MAX_LINES];
  char default_file[kPathSize];
};
HelpPage hp = {};

// Copies the record to its closed state, the lines and pictures gone.
void page_clear() {
  if (hp.has_background) vx_bit_free(&hp.background);
  if (hp.has_font) vx_font_free(&hp.font);
  for (int i = 0; i < hp.line_count; i++) vx_mem_free(hp.lines[i]);
  hp.background = {};
  hp.font = {};
  hp.has_background = hp.has_font = 0;
  hp.line_count = 0;
}

// The background covers the screen: a picture of another size is stretched once.
void background_fit(const VX_BITMAP* screen) {
  if (!hp.has_background || !screen) return;
  if (hp.background.width == screen->width && hp.background.height == screen->height) return;
  const VX_RECT size = {0, 0, static_cast<int16_t>(screen->width), static_cast<int16_t>(screen->height)};
  if (!vx_bit_resize(&hp.background, &size, nullptr)) {
    vx_bit_free(&hp.background);
    hp.has_background = 0;
  }
}

void lines_read(const char* file) {
  int count = 0;
  vx_io_ini_get_int("Text", "NumberOfLines", &count, file);
  if (count > HELP_MAX_LINES) count = HELP_MAX_LINES;
  char line[kLineSize + 1];
  for (int i = 0; i < count; i++) {
    // Each read goes on from the previous one: successive Text keys.
    if (!vx_io_ini_get_string("Text", "Text", line, kLineSize, file)) line[0] = 0;
    const size_t n = std::strlen(line) + 1;
    char* copy = static_cast<char*>(vx_mem_malloc(n));
    if (!copy) break;
    vx_mem_name(copy, "Help page line.");
    std::memcpy(copy, line, n);
    hp.lines[hp.line_count++] = copy;
  }
}

}  // namespace

int help_open_file(const char* file, uint32_t now) {
  if (hp.open || static_cast<int32_t>(now - hp.not_before) < 0) return 0;
  page_clear();
  hp.text_x = hp.text_y = 0;
  hp.timeout = 0;
  if (file && file[0]) {
    vx_io_ini_set_mode(file, KEEP_OPEN);
    char path[kPathSize + 1];
    if (vx_io_ini_get_string("Help", "Background", path, kPathSize, file))
      hp.has_background = vx_img_load(&hp.background, path, 0);
    if (vx_io_ini_get_string("Help", "Font", path, kPathSize, file))
      hp.has_font = vx_font_load(&hp.font, path, kFontFlags);
    int value = 0;
    vx_io_ini_get_int("Help", "Text_X", &value, file);
    hp.text_x = static_cast<int16_t>(value);
    vx_io_ini_get_int("Help", "Text_Y", &value, file);
    hp.text_y = static_cast<int16_t>(value);
    vx_io_ini_get_int("Help", "Timeout", &hp.timeout, file);
    lines_read(file);
    vx_io_ini_set_mode(file, KEEP_CLOSE);
  }
  hp.not_before = now + static_cast<uint32_t>(hp.timeout);
  hp.open = 1;
  g_game.help_open = 1;
  return 1;
}

void help_open() {
  const char* file = language_help_file();
  if (!file || !file[0]) file = hp.default_file;
  if (help_open_file(file, plat_ticks())) show_menu(MENU_HELP);
}

void help_close_at(uint32_t now) {
  if (!hp.open) return;
  page_clear();
  hp.not_before = now + static_cast<uint32_t>(hp.timeout / 2);
  hp.open = 0;
  g_game.help_open = 0;
}

void help_close() { help_close_at(plat_ticks()); }

void help_draw() {
  VX_BITMAP* screen = vx_screen();
  if (!hp.open || !screen) return;
  background_fit(screen);
  if (hp.has_background) vx_bit_copy(screen, &hp.background, nullptr, nullptr, 0);
  if (!hp.has_font) return;
  VX_RECT box = {hp.text_x, hp.text_y, static_cast<int16_t>(screen->width - hp.text_x),
                 static_cast<int16_t>(hp.font.height)};
  for (int i = 0; i < hp.line_count; i++) {
    if (hp.lines[i][0]) vx_font_print(&hp.font, screen, &box, kTextFlags, "%s", hp.lines[i]);
    box.y = static_cast<int16_t>(box.y + hp.font.height + 1);
  }
}

void help_default_file_set(const char* file) {
  std::snprintf(hp.default_file, sizeof hp.default_file, "%s", file ? file : "");
}

int help_line_count() { return hp.line_count; }

const char* help_line(int i) { return i >= 0 && i < hp.line_count ? hp.lines[i] : nullptr; }

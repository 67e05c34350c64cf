// The game's fonts: the font module started with the picture decoders, and the default menu font.
#include "game/game_fonts.h"

#include "world/image/img_load.h"

namespace {

VX_FONT_SETTINGS font_settings = {0};

// Bit 1 hands palettes to the picture loader, bit 2 trims each character
// to its ink (the menu font is drawn with proportional spacing).
constexpr int kDefaultFontFlags = VX_FONT_LOAD_PALETTE | VX_FONT_LOAD_TRIM;

struct FontState {
  VX_FONT font;
  int loaded;
};
FontState fs = {};

}  // namespace

int game_fonts_start() {
  vx_font_picture_loader_set(vx_img_load);
  return vx_font_init(&font_settings);
}

int game_default_font_load(const char* file) {
  game_default_font_free();
  if (!file || !file[0] || !vx_font_load(&fs.font, file, kDefaultFontFlags)) return 0;
  fs.loaded = 1;
  return 1;
}

VX_FONT* game_default_font() { return fs.loaded ? &fs.font : nullptr; }

void game_default_font_free() {
  if (fs.loaded) vx_font_free(&fs.font);
  fs = FontState{};
}

void game_fonts_stop() { vx_font_deinit(); }

// The game's menus: created from the current language's menus file and freed as a whole; their callbacks are the front end's (game/frontend.cpp).
#include "game/menus.h"

#include <array>

#include "game/game_fonts.h"

namespace {

constexpr std::array<const char*, MENU_COUNT> kSections = {
    "Main Menu", "Game Setup", "Options", "Quit", "High-Scores", "Enter High-Score", "Quit Game", "Help",
};

// The layouts' percentages refer to the game's 640 x 480 base.
VX_MENU_SETTINGS menu_settings = {0, 640, 480, nullptr};

struct MenusState {
  std::array<VX_MENU, MENU_COUNT> menus;
};
MenusState mst = {};

}  // namespace

const char* menu_section(int index) { return index >= 0 && index < MENU_COUNT ? kSections[index] : nullptr; }

int menus_module_start() { return vx_menu_init(&menu_settings); }

int menus_create(const char* path) {
  menus_free();
  int loaded = 0;
  for (int i = 0; i < MENU_COUNT; i++)
    loaded += vx_menu_load(&mst.menus[i], path, kSections[i], menu_line_update, menu_action, game_default_font(), 0);
  return loaded;
}

void menus_free() {
  for (VX_MENU& m : mst.menus) vx_menu_free(&m);
}

VX_MENU* menu_get(int index) { return index >= 0 && index < MENU_COUNT ? &mst.menus[index] : nullptr; }

// The game's menus 0 to 7, loaded from the current language's menus file with the default font, and the callbacks the menu engine calls.
#pragma once
#include "toolkit/vx_menu.h"

// The menus by index; a menus file names each by its section.
enum GameMenu {
  MENU_MAIN = 0,         // "Main Menu": 1001-1006
  MENU_GAME_SETUP = 1,   // "Game Setup": 2001, 2002, 2004
  MENU_OPTIONS = 2,      // "Options": 3001, 3002, 3003, 3006
  MENU_QUIT = 3,         // "Quit": 4001, 4002
  MENU_HIGH_SCORES = 4,  // "High-Scores": 5001-5006
  MENU_ENTER_SCORE = 5,  // "Enter High-Score": 6001
  MENU_QUIT_GAME = 6,    // "Quit Game": 7001, 7002
  MENU_HELP = 7,         // "Help": 9004
  MENU_COUNT = 8,
};

// The section names, by index.
const char* menu_section(int index);

// Starts the menu module with the 640 x 480 base of the layouts. 1.
int menus_module_start();
// Loads menus 0 to 7 from `path` (natural layout, the default font, the
// two callbacks below). A menu that cannot be loaded stays empty.
// Returns the number of menus loaded.
int menus_create(const char* path);
// Frees the eight menus.
void menus_free();
// Menu `index`, or null outside 0 .. 7 (an empty record when it did not load).
VX_MENU* menu_get(int index);

// The callbacks, in game/frontend.cpp.
// The line callback: picks the variant of a line before it is drawn.
void menu_line_update(VX_MENU_LINE* line);
// The action callback: a line's value of 1000 and above with its input code.
void menu_action(int value, int code, VX_MENU_LINE* line);

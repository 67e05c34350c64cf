// The front end: what the game's menu lines do and show, the menu's share of each frame, the options and the offer of a final score.
#pragma once
#include "toolkit/vx_menu.h"

// Shows menu `n` (0 .. 7) and makes it the current menu.
void show_menu(int n);

// Readies the menus' pointer sprite (the default font's '*', frame 1) and asks for
// the front end's music.
void frontend_start();
// The menu part of a frame: one input code to the current menu (a back
// code while Esc is held or when a key interrupts an unattended attract
// run), `menu_active` from its shown flag, and the menu drawn with the
// pulsing highlight. Nothing while the language screen is up.
void frontend_menu_frame();
// The current menu drawn as the last frame left it, taking no input: for a
// picture drawn again while play stands still.
void frontend_menu_draw();

// The next volume for menu input `code` on a volume line: select and right
// add 10 below 100, left takes 10 above 0; any other code leaves it.
int frontend_volume_step(int volume, int code);
// Writes "%d%%" of `volume` into `text` (`size` bytes): the text is scanned
// from its end, every '*' passed turning into '-'; the number goes right
// after the first space or '.' met, or over the whole text when there is
// neither.
void frontend_volume_write(char* text, int size, int volume);
// Picks a volume line's text: 1 at 0, 2 switched off (-2), 3 unavailable
// (-1), else 0 with the volume written in.
void frontend_volume_line(VX_MENU_LINE* line, int volume);

// Writes Options/Difficulty and Options/Background (1 or 0) into the settings file.
void options_save(const char* settings_file);

// Offers the final score to the run's high-score table; when it enters,
// the name entry menu opens.
void hiscore_offer(int score);

// The about box: the program's title, version, memory figure, copyright and licence lines from "data\texts.txt", drawn by the game over the frozen frame until Enter, Space, Esc or a click.
//
// Section "AboutBox_%s" (the current language's abbreviation) holds the
// box's texts, each up to 80 characters:
//
//   Title=About %s        the caption, formatted with Application/Title
//   Memory=Memory: %d KB  formatted with the memory tracker's peak, in KiB
//   Copyright1=...  Copyright2=...  Reserved=...  License=...
//   Background=gfx\helpback.png   the box's picture (optional)
#pragma once

constexpr int ABOUT_LINES = 8;  // caption, title, version, memory, two copyrights, reserved, licence

// Reads the texts for the language `abbreviation` and opens the box.
void about_box_open(const char* abbreviation);
// 1 while the box is open.
int about_box_is_open();
// Closes the box when Enter, Space, Esc or the mouse button was let go.
void about_box_input();
// Draws the box over the screen.
void about_box_draw();
void about_box_close();
// Line i of the open box (its fields in the order of ABOUT_LINES), "" outside.
const char* about_box_line(int i);

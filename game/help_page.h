// The help page: a background picture and lines of text read from the current language's help file, shown with the "Help" menu in place of the game frame.
//
// The help file is a string file:
//
//   [Help]
//   Background=gfx\helpback.png  stretched to the screen (optional)
//   Font=font\help.fnt           the lines' font (optional)
//   Text_X=40                    left edge of the lines, pixels
//   Text_Y=40                    top of the first line
//   Timeout=500                  ms before it may open again (half of it after closing)
//   [Text]
//   NumberOfLines=2
//   Text=first line              one Text key per line, in file order
//   Text=second line
#pragma once
#include <cstdint>

constexpr int HELP_MAX_LINES = 64;

// Opens the page from the current language's help file (the HLPFile key
// until a language names one) and shows the "Help" menu. Nothing while the
// page is open or before its not-before tick.
void help_open();
// Opens the page from `file` at tick `now` (ms). 1 when it opened, 0 when it
// is open already or `now` is before the not-before tick. The menu is not shown.
int help_open_file(const char* file, uint32_t now);
// Frees the page's picture, font and lines at tick `now`; it may reopen
// Timeout / 2 ms later.
void help_close_at(uint32_t now);
void help_close();
// Draws the page over the whole screen.
void help_draw();
// The default help file, used until a language names one.
void help_default_file_set(const char* file);
// Lines of the open page, and line i (null outside).
int help_line_count();
const char* help_line(int i);

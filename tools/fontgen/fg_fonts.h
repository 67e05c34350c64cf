// fg_fonts: the game's fonts (menus and messages, language screen, help pages) and the generator's entry point.
//
// Every font is version 2 (UTF-8): the game's texts, menus and menu bar
// are UTF-8. File names are relative to the data root with '/' (the game
// names "data\menu.fnt"); a font's pictures lie in its own folder.
#pragma once
#include <vector>

#include "tools/artgen/ag_gen.h"
#include "tools/fontgen/fg_font.h"

// The font definitions, in the order they are built.
const FG_FONT_DEF* fg_font_defs(int* count);
// The definition that writes `file` ("data/menu.fnt"), or null.
const FG_FONT_DEF* fg_font_def(const char* file);

// Builds every font into `out` (cleared) and, when `fonts` is given, keeps
// the built fonts there. 1 when every font and file was made.
int fg_generate_all(AG_OUTPUT* out, std::vector<FG_FONT>* fonts = nullptr);

// The game's texts in the current language: the per-language text files, the bonus texts, and the switch of every game text (messages, rolling lines, menus, help file) to the current language.
//
// The main text file names each language's files:
//
//   [Messages]
//   Messages_eng=data\messages.eng   the messages file (its presence also loads the texts)
//   Credits_eng=data\credits.eng     the rolling lines
//   [Menus]
//   Menu_eng=data\menus.eng          menus 0 to 7
//   [Help]
//   Help_eng=data\help.eng           the help page
//
// A key that is missing keeps what the previous language had.
#pragma once

constexpr int TEXTS_LINES = 9;        // lines of data\texts.%s the game keeps
constexpr int TEXTS_BONUS_LINES = 8;  // lines of data\bonustxt.%s: bonus types 0 to 7
constexpr int TEXTS_LINE_SIZE = 256;  // bytes per line, terminator included

// Reads the first 9 lines of "data\texts.%s" and the 8 bonus texts of
// "data\bonustxt.%s" for the abbreviation, rereads the loaded level's title
// in that language, and makes it the current abbreviation. Fatal (the
// engine's box, result 0): "Can't load texts!!", "Can't load bonus texts!!".
int texts_load(const char* abbreviation);
// The text of bonus type 0..7 in the current language ("" for others).
const char* bonus_text(int type);
// Line i (0..8) of the texts file; kept, never shown.
const char* texts_line(int i);

// The language hook: switches the messages (with the texts), the rolling
// lines, the menus (the current menu stays shown or hidden as it was) and
// the help file to the current language of the language table. Called
// when a language is chosen and whenever the display layer has loaded its
// menu bar in a language.
void language_apply();
// The current language's help file, "" until a language names one.
const char* language_help_file();

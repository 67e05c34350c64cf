// The language table: read from the language file (the LNGFile key), kept by the display layer for the run, a language chosen by its Number.
//
// The language file is a string file:
//
//   [Languages]
//   NumLanguages=2        (NbLanguages when missing; neither: no table)
//   Default=1             1-based position of the language used at first
//   MultiLanguages=1      the saved choice is restored and the menu bar offers the languages
//   Included_01=1         0 or missing: the slot stays empty
//   Language_01=English   the section of the language
//   ...
//   [English]
//   Name=English
//   Abbreviation=eng      selects the per-language files ("data\texts.eng")
//   Fullscreen=&Fullscreen  menu-bar labels of the window / full-screen item
//   Window=&Window
//   Number=1              the value saved as Application/Language
//   Characters=1
#pragma once
#include "display/vx_dsp.h"

// Loads the table from `file` (section Languages, held open while read).
// An included language whose Language_NN key is missing shows the warning
// "Sorry, I can't find language %s in %s" and leaves its entry empty. The
// current entry is Default - 1 when that entry exists, else the first
// existing one; with MultiLanguages and Application/Language in the
// settings file, the entry of that Number. Null without a count or memory.
VX_LANGUAGES* languages_load(const char* file);
// Makes the entry whose Number is `number` current: 1, or 0 (nothing
// changes) when no existing entry has it.
int language_select(VX_LANGUAGES* table, int number);
// Frees a table of languages_load. Null is fine.
void languages_free(VX_LANGUAGES* table);
// The current entry, or null when the table has none.
const VX_LANGUAGE* language_current(const VX_LANGUAGES* table);

// The run's table: loaded from `file` at start-up and kept until the
// shutdown; the display layer reads it for the menu bar and keeps its
// `current`. Null when the file has no table.
VX_LANGUAGES* languages_start(const char* file);
VX_LANGUAGES* languages_table();
// The language file the run's table came from ("" before the start).
const char* languages_file();
void languages_stop();

// The game's texts in the current language: the text and bonus-text files, the level title in that language, and the language switch of messages, rolling lines, menus and help file.
#include "game/texts.h"

#include <cstdio>
#include <cstring>

#include "core/vx_io.h"
#include "core/vx_io_ini.h"
#include "game/credits.h"
#include "game/game_state.h"
#include "game/languages.h"
#include "game/menus.h"
#include "game/messages.h"
#include "world/engine_error.h"

namespace {

constexpr const char* kTextsFile = "data\\texts.txt";
constexpr const char* kDefaultAbbreviation = "eng";
constexpr int kValueSize = 261;  // the file names of the main text file: 260 characters

struct TextsState {
  char lines[TEXTS_LINES][TEXTS_LINE_SIZE];
  char bonus[TEXTS_BONUS_LINES][TEXTS_LINE_SIZE];
  char help_file[kValueSize];
};
TextsState ts = {};

// Reads up to `count` lines of `name` into `out`; lines past the end stay
// empty. 0 when the file cannot be opened.
int read_lines(const char* name, char (*out)[TEXTS_LINE_SIZE], int count) {
  VX_IO_FILE* f = vx_io_fopen(name, "rt");
  if (!f) return 0;
  for (int i = 0; i < count; i++)
    if (!vx_io_fgets(out[i], TEXTS_LINE_SIZE, f)) out[i][0] = 0;
  vx_io_fclose(f);
  return 1;
}

// The level's title in language `abbreviation`, from the gameplay file
// beside the level's .def (its last four characters replaced by ".txt").
void level_title_reread(const char* abbreviation) {
  GameState& gs = g_game;
  const size_t n = std::strlen(gs.def_path);
  if (n < 4 || !vx_io_exists(gs.def_path, VX_IO_THROUGH_OPEN)) return;
  char file[GAME_PATH_LEN], key[300], title[GAME_PATH_LEN];
  std::snprintf(file, sizeof file, "%.*s.txt", static_cast<int>(n - 4), gs.def_path);
  std::snprintf(key, sizeof key, "level_title.%s", abbreviation);
  if (!vx_io_ini_get_string("Level", key, title, GAME_PATH_LEN - 1, file)) return;
  std::snprintf(gs.level_title, sizeof gs.level_title, "%s", title);
  gs.level_title_len = static_cast<int>(std::strlen(gs.level_title));
}

// A file name of the main text file; 0 when the key is missing.
int text_file_key(const char* section, const char* format, const char* abbreviation, char* value) {
  char key[300];
  std::snprintf(key, sizeof key, format, abbreviation);
  return vx_io_ini_get_string(section, key, value, kValueSize - 1, kTextsFile) > 0;
}

}  // namespace

int texts_load(const char* abbreviation) {
  char name[300];
  std::snprintf(name, sizeof name, "data\\texts.%s", abbreviation);
  if (!read_lines(name, ts.lines, TEXTS_LINES)) {
    Engine_Error("Can't load texts!!");
    return 0;
  }
  std::snprintf(name, sizeof name, "data\\bonustxt.%s", abbreviation);
  if (!read_lines(name, ts.bonus, TEXTS_BONUS_LINES)) {
    Engine_Error("Can't load bonus texts!!");
    return 0;
  }
  level_title_reread(abbreviation);
  std::snprintf(g_game.language_abbrev, sizeof g_game.language_abbrev, "%s", abbreviation);
  return 1;
}

const char* bonus_text(int type) { return type >= 0 && type < TEXTS_BONUS_LINES ? ts.bonus[type] : ""; }

const char* texts_line(int i) { return i >= 0 && i < TEXTS_LINES ? ts.lines[i] : ""; }

void language_apply() {
  const VX_LANGUAGE* language = language_current(languages_table());
  const char* a = language && language->abbreviation[0] ? language->abbreviation : kDefaultAbbreviation;
  char value[kValueSize];
  vx_io_ini_set_mode(nullptr, QUIET_KEY_ON);
  vx_io_ini_set_mode(nullptr, QUIET_SECTION_ON);
  if (text_file_key("Messages", "Messages_%s", a, value)) {
    texts_load(a);
    messages_free(messages_current());
    messages_current_set(messages_load(value));
  }
  if (text_file_key("Messages", "Credits_%s", a, value)) credits_load(value);
  if (text_file_key("Menus", "Menu_%s", a, value)) {
    const VX_MENU* shown_before = menu_get(g_game.current_menu);
    const int shown = shown_before && shown_before->shown;
    menus_create(value);
    if (shown) vx_menu_show(menu_get(g_game.current_menu), 1);
  }
  // An open help page is reopened from the new file once the help page exists.
  if (text_file_key("Help", "Help_%s", a, value)) std::snprintf(ts.help_file, sizeof ts.help_file, "%s", value);
  vx_io_ini_set_mode(nullptr, QUIET_KEY_OFF);
  vx_io_ini_set_mode(nullptr, QUIET_SECTION_OFF);
}

const char* language_help_file() { return ts.help_file; }

// The front end: the menu lines' actions and texts, the menu's share of each frame, the options and the offer of a final score.
#include "game/frontend.h"

#include <cstdio>
#include <cstring>

#include "core/vx_io_ini.h"
#include "display/vx_dsp.h"
#include "display/vx_screen.h"
#include "game/attract.h"
#include "game/game_fonts.h"
#include "game/game_sound.h"
#include "game/game_state.h"
#include "game/help_page.h"
#include "game/highscore.h"
#include "game/level_setup.h"
#include "game/menus.h"
#include "game/rules.h"
#include "sound/vx_snd.h"
#include "toolkit/vx_inp.h"

namespace {

// Scan codes of the keys the menus read.
constexpr int kKeyEsc = 1, kKeyEnter = 28, kKeySpace = 57, kKeyF1 = 59, kKeyAlt = 56, kKeyAltGr = 184;
constexpr int kMouseButton2 = VX_INP_MOUSE_BUTTON1 + 1;
constexpr int kDrawFlags = VX_MENU_DRAW_POINTER_LEFT | VX_MENU_DRAW_POINTER_RIGHT;
constexpr int kVolumeStep = 10;
constexpr int kVolumeMax = 100;
constexpr int kVolumeOff = -2;
constexpr int kVolumeMissing = -1;

// The action codes of the menu lines.
enum MenuCode {
  NEW_GAME = 1001, GAME_SETUP = 1002, SHOW_SCORES = 1003, HELP = 1004, OPTIONS = 1005, QUIT = 1006,
  BACKGROUND = 2001, LIVES = 2002, SETUP_BACK = 2004,
  MUSIC_VOLUME = 3001, EFFECTS_VOLUME = 3002, WINDOW_LINE = 3003, OPTIONS_BACK = 3006,
  QUIT_YES = 4001, QUIT_NO = 4002,
  SCORE_RANK_1 = 5001, SCORE_RANK_5 = 5005, SCORES_BACK = 5006,
  NAME_ENTRY = 6001,
  LEAVE_GAME = 7001, STAY_IN_GAME = 7002,
  HELP_BACK = 9004,
};

struct FrontendState {
  VX_MENU_POINTER pointer;  // the '*' glyph and the highlight colour
};
FrontendState fe = {};

void back() { show_menu(MENU_MAIN); }

void set_variant(VX_MENU_LINE* line, int variant) {
  if (variant >= line->text_count) variant = line->text_count - 1;
  line->current_text = variant < 0 ? 0 : variant;
}

// A volume line chosen or moved: the channel is switched on first when it is off.
void volume_action(int code, int is_music) {
  int volume = is_music ? game_music_volume() : game_effects_volume();
  if (volume == kVolumeMissing) return;
  if (volume == kVolumeOff) {
    if (is_music)
      vx_snd_music_toggle();
    else
      vx_snd_effects_toggle();
    volume = is_music ? game_music_volume() : game_effects_volume();
    if (volume < 0) return;
  }
  volume = frontend_volume_step(volume, code);
  if (is_music)
    vx_snd_music_volume_set(volume);
  else
    vx_snd_effects_volume_set(volume);
}

// Leaves the running game for the attract sequence, menu 0 on top.
void leave_game() {
  GameState& gs = g_game;
  level_unload();
  show_menu(MENU_MAIN);
  music_menu();
  attract_next();
  gs.load_level_request = 0;
  gs.attract_mode = 1;
}

void new_game() {
  GameState& gs = g_game;
  if (!gs.attract_mode) {
    show_menu(MENU_QUIT_GAME);
    return;
  }
  vx_menu_show(menu_get(MENU_MAIN), 0);
  gs.menu_active = 0;
  game_new_game(0);
}

// The input code of this frame for a menu: select, else a direction, else none.
int menu_code() {
  const int button = vx_inp_buttons_swapped() ? kMouseButton2 : VX_INP_MOUSE_BUTTON1;
  if (vx_inp_released(kKeyEnter) || vx_inp_released(kKeySpace) || vx_inp_released(kKeyEsc) ||
      vx_inp_released(kKeyF1) || vx_inp_released(button))
    return VX_MENU_IN_SELECT;
  const uint8_t* a = g_game.player1.actions;  // up, down, left, right
  if (a[0]) return VX_MENU_IN_UP;
  if (a[1]) return VX_MENU_IN_DOWN;
  if (a[2]) return VX_MENU_IN_LEFT;
  if (a[3]) return VX_MENU_IN_RIGHT;
  return VX_MENU_IN_NONE;
}

}  // namespace

void show_menu(int n) {
  VX_MENU* menu = menu_get(n);
  if (!menu) return;
  vx_menu_show(menu, 1);
  g_game.current_menu = n;
}

void frontend_start() {
  music_menu();
  VX_RECT rects[3] = {};
  fe.pointer = {};
  if (VX_FONT* font = game_default_font()) {
    fe.pointer.bitmap = vx_font_char_frame(font, '*', 1, rects);
    fe.pointer.rect = rects[0];
  }
}

void frontend_menu_frame() {
  GameState& gs = g_game;
  if (!gs.language_chosen) return;
  VX_MENU* menu = menu_get(gs.current_menu);
  if (!menu) return;
  const bool esc = vx_inp_state(kKeyEsc) != 0;
  const bool alt = vx_inp_state(kKeyAlt) || vx_inp_state(kKeyAltGr);
  // A key during an unattended attract run opens the menu instead of choosing in it.
  const bool interrupt = gs.attract_mode && !menu->shown && !alt && vx_inp_any() != 0;
  if (!esc && !interrupt) {
    if (vx_menu_input(menu, menu_code())) play_effect(7);
  } else if (vx_menu_input(menu, VX_MENU_IN_BACK)) {
    play_effect(4);
  }
  // An action may have made another menu current.
  menu = menu_get(gs.current_menu);
  gs.menu_active = menu->shown;
  if (gs.menu_active) gs.paused = 0;
  frontend_menu_draw();
}

void frontend_menu_draw() {
  GameState& gs = g_game;
  VX_MENU* menu = gs.language_chosen ? menu_get(gs.current_menu) : nullptr;
  if (!menu) return;
  fe.pointer.colour = static_cast<uint32_t>(gs.highlight_colour);
  if (VX_FONT* font = game_default_font()) vx_menu_draw(menu, font, vx_screen(), &fe.pointer, kDrawFlags);
}

int frontend_volume_step(int volume, int code) {
  if ((code == VX_MENU_IN_RIGHT || code == VX_MENU_IN_SELECT) && volume < kVolumeMax) return volume + kVolumeStep;
  if (code == VX_MENU_IN_LEFT && volume > 0) return volume - kVolumeStep;
  return volume;
}

void frontend_volume_write(char* text, int size, int volume) {
  if (!text || size <= 0) return;
  int at = 0;  // where the number goes
  for (int i = static_cast<int>(std::strlen(text)) - 1; i >= 0; i--) {
    if (text[i] == '*') text[i] = '-';
    if (text[i] == ' ' || text[i] == '.') {
      at = i + 1;
      break;
    }
  }
  if (at >= size) return;
  std::snprintf(text + at, static_cast<size_t>(size - at), "%d%%", volume);
}

void frontend_volume_line(VX_MENU_LINE* line, int volume) {
  if (!line || line->text_count <= 0) return;
  if (volume > 0) {
    set_variant(line, 0);
    frontend_volume_write(line->texts[0].text, VX_MENU_TEXT_SIZE, volume);
  } else {
    set_variant(line, volume == 0 ? 1 : volume == kVolumeOff ? 2 : 3);
  }
}

void menu_line_update(VX_MENU_LINE* line) {
  if (!line) return;
  const GameState& gs = g_game;
  const int code = line->value;
  if (code >= SCORE_RANK_1 && code <= SCORE_RANK_5) {
    high_scores_line_text(high_scores_table(), code - 5000, line->texts[0].text, VX_MENU_TEXT_SIZE);
    return;
  }
  switch (code) {
    case NEW_GAME: set_variant(line, gs.attract_mode ? 1 : 0); break;
    case BACKGROUND: set_variant(line, gs.background_option ? 1 : 0); break;
    case LIVES: set_variant(line, gs.lives_per_game != 3); break;
    case MUSIC_VOLUME: frontend_volume_line(line, game_music_volume()); break;
    case EFFECTS_VOLUME: frontend_volume_line(line, game_effects_volume()); break;
    case WINDOW_LINE: set_variant(line, gs.fullscreen ? 0 : 1); break;
    case NAME_ENTRY: high_scores_name_text(line->texts[0].text, VX_MENU_TEXT_SIZE); break;
    default: break;
  }
}

void menu_action(int value, int code, VX_MENU_LINE*) {
  GameState& gs = g_game;
  switch (value) {
    case NEW_GAME: new_game(); break;
    case GAME_SETUP: show_menu(MENU_GAME_SETUP); break;
    case SHOW_SCORES: show_menu(MENU_HIGH_SCORES); break;
    case HELP: help_open(); break;
    case OPTIONS: show_menu(MENU_OPTIONS); break;
    case QUIT: show_menu(MENU_QUIT); break;
    case BACKGROUND: gs.background_option = !gs.background_option; break;
    case LIVES: gs.lives_per_game = gs.lives_per_game == 3 ? 5 : 3; break;
    case SETUP_BACK:
    case OPTIONS_BACK:
    case QUIT_NO:
    case SCORES_BACK:
    case STAY_IN_GAME: back(); break;
    case MUSIC_VOLUME: volume_action(code, 1); break;
    case EFFECTS_VOLUME: volume_action(code, 0); break;
    case QUIT_YES:
      // Closing the window runs the shutdown.
      if (PLAT_WINDOW* w = vx_dsp_window()) plat_post_message(w, PLAT_WM_CLOSE, 0, 0);
      break;
    case NAME_ENTRY:
      if (high_scores_name_input(code)) show_menu(MENU_HIGH_SCORES);
      break;
    case LEAVE_GAME: leave_game(); break;
    case HELP_BACK:
      help_close();
      back();
      break;
    default: break;  // lines such as the window line (3003) do nothing here
  }
}

void options_save(const char* settings_file) {
  if (!settings_file || !settings_file[0]) return;
  vx_io_ini_set_int("Options", "Difficulty", g_game.lives_per_game == 5 ? 1 : 0, settings_file);
  vx_io_ini_set_int("Options", "Background", g_game.background_option ? 1 : 0, settings_file);
}

void hiscore_offer(int score) {
  if (high_scores_offer(high_scores_table(), score)) show_menu(MENU_ENTER_SCORE);
}

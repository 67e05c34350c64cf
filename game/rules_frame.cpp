// The play screen: background and world, then the head-up display (score, invincibility, lives, clock, the state's messages); and the developer keys.
#include <cstdint>
#include <cstdio>

#include "game/attract.h"
#include "game/help_page.h"
#include "game/messages.h"
#include "game/rules.h"
#include "game/rules_internal.h"
#include "game/texts.h"
#include "toolkit/vx_inp.h"
#include "world/render.h"
#include "world/world_tables.h"

namespace {

// Keyboard scan codes of the developer keys.
constexpr int kKeyP = 25;
constexpr int kKeyCtrl = 29;
constexpr int kKeyShift = 42;
constexpr int kKeyL = 38;
constexpr int kKeyI = 23;
constexpr int kKeyT = 20;
constexpr int kKeyF1 = 59;

constexpr int kLifeIconFirstX = 8;
constexpr int kLifeIconStepX = 8;
constexpr int kMaxIconLives = 9;

// A level that lacks one of the screen sprites simply does not show it:
// drawing an undefined sprite would end the program.
const SPRITE* defined_sprite(int n) {
  const WORLD_TABLES& w = world_tables;
  if (!w.sprites || !w.objects || n < 0 || n >= WORLD_SPRITES || !w.sprites[n].defined) return nullptr;
  return &w.sprites[n];
}

// Sprites 10 and 11 carry their screen place: P4 x, P5 y, P6 height, P7 width.
void draw_screen_sprite(int n) {
  const SPRITE* s = defined_sprite(n);
  if (!s) return;
  Draw_Sprite_At(n, s->params[0], s->params[1], 0, 15, 0, s->params[2], s->params[3], 0, 0);
}

void draw_life_icons(int lives) {
  LIFE_ICON icons[RULES_LIFE_ICONS_MAX];
  const int count = life_icons_layout(lives, icons);
  for (int i = 0; i < count; i++) {
    const SPRITE* s = defined_sprite(icons[i].sprite);
    if (!s) continue;
    Draw_Sprite_At(icons[i].sprite, icons[i].x, RULES_LIFE_ICON_Y, 0, 15, 0, s->height, s->width, 0, 0);
  }
}

// The messages of the frog's state.
void draw_state_messages(const GameState& gs) {
  const FROG& f = gs.frog;
  switch (f.state) {
    case FROG_GET_READY:
      if (!gs.attract_mode) message_draw(12);
      break;
    case FROG_SQUASHED: draw_screen_sprite(RULES_SPRITE_SQUASHED); break;
    case FROG_TIME_UP: message_draw(13); break;
    case FROG_DROWNING: message_draw(14); break;
    case FROG_HOME:
      message_draw(15);
      if (f.state_timer < 20) message_draw(16);
      break;
    case FROG_TIME_BONUS:
    case FROG_LEAVING:
      for (int n = 15; n <= 18; n++) message_draw(n);
      break;
    default: break;
  }
}

}  // namespace

int life_icons_layout(int lives, LIFE_ICON out[RULES_LIFE_ICONS_MAX]) {
  if (lives < 1 || lives > kMaxIconLives) return 0;
  int count = 0;
  for (int left = lives; left > 0; left -= 3) {
    const int frogs = left >= 3 ? 3 : left;
    out[count].sprite = RULES_SPRITE_LIFE_1 + frogs - 1;
    out[count].x = kLifeIconFirstX + kLifeIconStepX * count;
    count++;
  }
  return count;
}

void game_frame() {
  GameState& gs = g_game;
  if (gs.attract_mode && gs.attract_blocks_step) {
    attract_picture_draw();
    return;
  }
  if (gs.background_option) Draw_Background();
  render_view.view_depth = RULES_VIEW_DEPTH;
  Render_World(gs.camera_x, gs.camera_y, gs.camera_z, 0);

  char number[16];
  std::snprintf(number, sizeof number, "%d", gs.score);
  pad_text(gs.text_buffer, number, RULES_SCORE_FIELD, 1);
  message_draw(3);
  if (gs.invincible) draw_screen_sprite(RULES_SPRITE_INVINCIBLE);
  if (!gs.attract_mode) draw_life_icons(gs.lives);
  if (gs.menu_active) return;
  message_draw(8);
  if (gs.paused) return;

  if (gs.title_showing) {
    pad_text(gs.text_buffer, gs.level_title, RULES_TITLE_FIELD, 1);
    message_draw(10);
  }
  draw_state_messages(gs);
  if (gs.bonus_text_timer > 0) {
    pad_text(gs.text_buffer, bonus_text(gs.bonus_shown_type), RULES_BONUS_TEXT_FIELD, 2);
    message_draw(11);
  }
  const char* line = gs.attract_mode ? attract_rolling_line() : nullptr;
  if (line) {
    pad_text(gs.text_buffer, line, RULES_ROLLING_FIELD, 2);
    message_draw(7);
  }
  if (gs.frog.state == FROG_GAME_OVER) message_draw(2);
}

void game_developer_keys() {
  GameState& gs = g_game;
  if (vx_inp_released(kKeyP)) gs.paused = !gs.paused;
  if (vx_inp_state(kKeyCtrl) && vx_inp_state(kKeyShift)) {
    if (vx_inp_released(kKeyL)) {
      gs.frog.state = FROG_HOME;
      gs.frog.state_timer = RULES_HOME_STEPS;
    }
    if (vx_inp_released(kKeyI)) {
      gs.no_death_cheat = !gs.no_death_cheat;
      gs.invincible = !gs.invincible;
      gs.invincible_timer = gs.invincible ? RULES_CHEAT_INVINCIBLE_STEPS : 0;
    }
    if (vx_inp_released(kKeyT)) gs.no_time_cheat = !gs.no_time_cheat;
  }
  if (vx_inp_released(kKeyF1)) help_open();
}

// The game services the rules call, in the form they take until their own modules land: stand-in messages in the editor font, no high-score table, no help page, and an attract sequence that starts a new game.
#include "game/game_seams.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "display/vx_dsp.h"
#include "game/game_state.h"
#include "game/rules.h"
#include "world/render.h"

namespace {

constexpr int kGlyphAdvance = RENDER_FONT_ADVANCE;
constexpr int kLineHeight = 12;  // pixels between stacked stand-in lines
constexpr int kMargin = 8;

struct SeamState {
  void (*message_hook)(int n);
  int font_wanted;  // the editor font loaded once and is to be kept
};
SeamState seam_st = {};

// The stand-in texts of the bonus types 0..7, until the per-language
// bonus texts land.
constexpr const char* kBonusTexts[GAME_BONUS_TYPES] = {
    "+1 MINUTE", "FAST FROG", "SLOW FROG", "POINTS", "EXTRA LIFE", "TRAFFIC FROZEN", "FAST TRAFFIC", "INVINCIBLE",
};

int screen_width() { return render_view.view_right + 1; }
int screen_height() { return render_view.view_bottom + 1; }
int text_width(const char* text) { return static_cast<int>(std::strlen(text)) * kGlyphAdvance; }
int centred_x(const char* text) { return (screen_width() - text_width(text)) / 2; }

// The editor font draws points in viewport pixels, in the renderer's own projection.
void draw_text(int x, int y, const char* text) { Render_Screen_Text(x, y, text); }

// The shared text buffer without the padding that pad_text added.
void trimmed_buffer(char* out, size_t size) {
  const char* s = g_game.text_buffer;
  while (*s == ' ') s++;
  std::snprintf(out, size, "%s", s);
  size_t n = std::strlen(out);
  while (n > 0 && out[n - 1] == ' ') out[--n] = 0;
}

// The wobble of messages 13 and 14: offsets from the state timer.
int wobble_y() {
  const int h = screen_height();
  return static_cast<int>(std::cos(g_game.frog.state_timer / 32.0) * (h * 15 / 120)) + h / 3;
}
int wobble_x() {
  const int w = screen_width();
  return static_cast<int>(std::sin(g_game.frog.state_timer / 32.0) * (w * 25 / 120)) + w * 30 / 100;
}

// Stand-in for the message table: a short English text in the editor
// font, placed as the message table would place it.
void stand_in_message(int n) {
  const GameState& gs = g_game;
  const int w = screen_width(), h = screen_height();
  char text[GAME_PATH_LEN + 32];
  char buffer[GAME_PATH_LEN];
  trimmed_buffer(buffer, sizeof buffer);
  switch (n) {
    case 1: draw_text(centred_x("LOADING"), h / 2, "LOADING"); break;
    case 2: draw_text(centred_x("GAME OVER"), h / 2, "GAME OVER"); break;
    case 3:
      std::snprintf(text, sizeof text, "SCORE %s", buffer);
      draw_text(kMargin, kMargin, text);
      break;
    case 7: draw_text(centred_x(buffer), h - 3 * kLineHeight, buffer); break;
    case 8:
      std::snprintf(text, sizeof text, "TIME %d:%02d", gs.time_min, gs.time_sec);
      draw_text(w - kMargin - text_width(text), kMargin, text);
      break;
    case 9: draw_text(centred_x("PAUSED"), h / 2 - kLineHeight, "PAUSED"); break;
    case 10: draw_text(static_cast<int>(gs.title_x * static_cast<float>(w) / 120.0f), h / 6, buffer); break;
    case 11: {
      const int x = static_cast<int>(std::sin(gs.bonus_text_timer / 32.0) * (w * 30 / 120)) + centred_x(buffer);
      draw_text(x, static_cast<int>(gs.bonus_text_y * static_cast<float>(h) / 120.0f), buffer);
      break;
    }
    case 12: draw_text(centred_x("GET READY"), h / 3, "GET READY"); break;
    case 13: draw_text(centred_x("TIME UP"), wobble_y(), "TIME UP"); break;
    case 14: draw_text(wobble_x(), wobble_y(), "SPLASH"); break;
    case 15: draw_text(centred_x("HOME"), h / 3, "HOME"); break;
    case 16: draw_text(centred_x("WELL DONE"), h / 3 + kLineHeight, "WELL DONE"); break;
    case 17: draw_text(centred_x("TIME BONUS"), h / 3 + 2 * kLineHeight, "TIME BONUS"); break;
    case 18:
      std::snprintf(text, sizeof text, "%d", gs.bonus_chunks);
      draw_text(centred_x(text), h / 3 + 3 * kLineHeight, text);
      break;
    default: break;
  }
}

}  // namespace

void message_draw(int n) {
  if (seam_st.message_hook) seam_st.message_hook(n);
  if (!seam_st.font_wanted || !message_font_load()) return;
  stand_in_message(n);
}

void message_draw_hook_set(void (*hook)(int n)) { seam_st.message_hook = hook; }

const char* bonus_text(int type) { return type >= 0 && type < GAME_BONUS_TYPES ? kBonusTexts[type] : ""; }

void present_frame() { vx_dsp_present(); }

void hiscore_offer(int) {}

void help_open() {}

void help_draw() {}

void attract_next() { game_new_game(0); }

int attract_demo_step() { return 0; }

void attract_picture_draw() {}

const char* attract_rolling_line() { return nullptr; }

int message_font_load() {
  // The renderer frees the editor font with every level; it comes back
  // here, from the file that was there at start-up.
  if (!Render_Editor_Font_Loaded() && !Load_Editor_Font()) return 0;
  seam_st.font_wanted = 1;
  return 1;
}

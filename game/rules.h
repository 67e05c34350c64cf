// The rules of play: one 10 ms step, the frog's states, hops, water, home,
// the clock, lives, score, bonuses, the start of a life, and the play
// screen with its head-up display.
//
// Everything here reads and writes `g_game` (game/game_state.h) and the
// world tables of the loaded level; every random value comes from
// game_random() in a fixed order that recorded demos replay.
#pragma once

// ---------------------------------------------------------------- constants
// The hop's steps, corner limits and offsets are the frog motion's (game/motion.h).
constexpr int RULES_HOP_FRAME_STEPS = 4;      // steps per shown hop frame (8 frames)
constexpr int RULES_IDLE_LAST = 40;           // idle counter runs 0..40, frame idle_counter / 4
constexpr int RULES_BONUS_TICKS = 30;         // clock ticks per time-bonus point
constexpr int RULES_BONUS_EFFECT_STEPS = 1600;  // frog fast or slow
constexpr int RULES_FROZEN_STEPS = 1000;
constexpr int RULES_DOUBLE_STEPS = 3000;
constexpr int RULES_INVINCIBLE_STEPS = 1000;
constexpr int RULES_CHEAT_INVINCIBLE_STEPS = 1000000;
constexpr int RULES_LIFE_DRAWS = 328;         // random draws of every start_life (164 screen points)
constexpr int RULES_PREFILL_STEPS = 1000;     // lane steps that fill the board at start_life
constexpr int RULES_VIEW_DEPTH = 40;          // rows the play screen draws ahead of the camera
constexpr int RULES_HOME_STEPS = 120;         // state 6: the home cell rises, then the time bonus

// Screen sprites of the level (drawn flat with Draw_Sprite_At).
constexpr int RULES_SPRITE_LIFE_1 = 6;        // one frog; 7 two, 8 three
constexpr int RULES_SPRITE_INVINCIBLE = 10;   // P4 x, P5 y, P6 height, P7 width
constexpr int RULES_SPRITE_SQUASHED = 11;     // the same parameters

// ---------------------------------------------------------------- the step
// One step of play; does nothing while a menu is shown, the game is paused
// or an attract picture or hold point is up.
void game_step();

// Puts the frog on the level's start point, restarts the clock and fills
// the lanes (328 random draws, then 1,000 lane steps).
void start_life();

// Hop progress and the frog's animation; recomputes the frog's cell.
void frog_update();

// Appearance, fall, bounce, expiry and pick-up of bonuses.
void bonuses_update();

// Starts a hop in the first pressed direction of player 1 (left, right,
// up, down) whose neighbour cell exists and joins the frog's cell with
// corner steps below 3; every direction looked at turns the frog, also a
// refused one. Only while no hop is under way. 1 when a hop started.
int frog_hop_start();

// Water and riding (step 9 of the step): in state 3 hides the frog and
// returns 0 (the step ends); a frog on no log and not hopping drowns on the
// level's water tile (state 5, timer 80, no effect); a frog on a log drifts
// with it. 1 otherwise.
int frog_water_and_riding();

// The time bonus (state 7), one step: counts 30 clock ticks into a chunk,
// pays one point per chunk, then waits and starts leaving.
void time_bonus_step();

// A life is over: a demo ends; else, unless no_death_cheat, one life less
// and every car's object is made ready again; then game over (state 3,
// timer 300) when no life is left, or start_life.
void life_lost();

// The level is completed: message 1 and a frame, the next level number
// (21 wraps to 0), its paths, and the request that the main loop loads it.
void next_level();

// Starts a new game at `level`: message 1 and a frame, attract mode off,
// score 0, lives from the difficulty, the level loaded and a life started.
void game_new_game(int level);

// ---------------------------------------------------------------- the screen
// Draws one frame of play: background, world, score, effect icons, lives,
// clock and the state's messages.
void game_frame();

// Copies `text` into `dest` padded with spaces to `width` characters:
// mode 1 left-aligned, 2 centred ((width - length) / 2 spaces before),
// 3 right-aligned; text of `width` characters or more is cut to `width`.
// Any other mode is left-aligned. `dest` must hold width + 1 bytes; a
// negative width gives "".
void pad_text(char* dest, const char* text, int width, int mode);
// The fields the play screen pads its messages' texts to, in characters:
// the score (left), the level title (left), a bonus text and a rolling
// line (centred). A message's rectangle is sized for its padded text.
constexpr int RULES_SCORE_FIELD = 6;
constexpr int RULES_TITLE_FIELD = 50;
constexpr int RULES_BONUS_TEXT_FIELD = 20;
constexpr int RULES_ROLLING_FIELD = 25;

// One life icon: the sprite (6, 7 or 8 frogs in it: 1, 2, 3) and its x in
// Draw_Sprite_At units; every icon is drawn at y 102.
struct LIFE_ICON {
  int sprite;
  int x;
};
constexpr int RULES_LIFE_ICONS_MAX = 3;
constexpr int RULES_LIFE_ICON_Y = 102;
// The icons for `lives`: full icons of three first at x 8, 16, then the
// remainder; 1 to 9 lives give 1 to 3 icons, any other count none.
// Returns the number of icons written to `out`.
int life_icons_layout(int lives, LIFE_ICON out[RULES_LIFE_ICONS_MAX]);

// The developer keys, looked at once per frame: P pauses; with Ctrl and
// Shift held, L completes the level, I toggles no_death_cheat and
// invincibility, T stops the clock; F1 opens the help page.
void game_developer_keys();

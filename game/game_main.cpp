// The program's entry point: start-up in a fixed order, the main loop, and shutdown in reverse.
#include "game/game_main.h"

#include <cstdio>
#include <cstdlib>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_io_ini.h"
#include "core/vx_list.h"
#include "core/vx_mem.h"
#include "core/vx_str.h"
#include "display/vx_app.h"
#include "display/vx_dsp.h"
#include "display/vx_dsp_splash.h"
#include "display/vx_screen.h"
#include "game/about_box.h"
#include "game/attract.h"
#include "game/credits.h"
#include "game/frontend.h"
#include "game/game_fonts.h"
#include "game/game_front.h"
#include "game/game_loop.h"
#include "game/game_random.h"
#include "game/game_resources.h"
#include "game/game_sound.h"
#include "game/game_state.h"
#include "game/help_page.h"
#include "game/highscore.h"
#include "game/language_screen.h"
#include "game/languages.h"
#include "game/level_setup.h"
#include "game/menus.h"
#include "game/messages.h"
#include "game/rules.h"
#include "game/texts.h"
#include "sound/vx_snd.h"
#include "toolkit/vx_inp.h"
#include "toolkit/vx_play.h"
#include "world/gen/gen_bit.h"
#include "world/gen/gen_info.h"
#include "world/gen/gen_wrap.h"
#include "world/gen/render_gl.h"
#include "world/image/img_load.h"
#include "world/level.h"
#include "world/render.h"

namespace {

constexpr size_t kGameHeapSize = 0x2000000;  // 32 MiB first heap buffer
constexpr uint32_t kInactiveSleepMs = 250;
// No picture of the game comes near this (4096 x 4096 at 32 bits is 64 MiB);
// a file that asks for more is hostile or damaged.
constexpr size_t kPictureLimit = size_t(256) << 20;

// Every module starts with its debug switch off: only the reports that a
// module makes unconditionally reach the player.
VX_ERROR_SETTINGS error_settings = {0};
VX_ERROR_SETTINGS list_settings = {0};
VX_ERROR_SETTINGS str_settings = {0};
VX_MEM_SETTINGS mem_settings = {0, kGameHeapSize};
VX_IO_SETTINGS io_settings = {0, nullptr, nullptr};
VX_INP_SETTINGS input_settings = {0, 0};
VX_PLAY_SETTINGS play_settings = {0};
VX_INP_SYSTEM input_system;

constexpr const char* kTextsFile = "data\\texts.txt";
constexpr const char* kDefaultLanguage = "eng";

constexpr VX_WINDOW_SIZE kWindowSizes[] = {
    {320, 240, 1}, {640, 480, 2}, {800, 600, 0}, {1024, 768, 0}, {0, 0, 0},
};

// The application keys of data\texts.txt, section Application, each with
// the length the start-up reads.
struct APP_KEYS {
  char font_file[56];     // FNTFile: the default menu font
  char start_splash[51];  // StartSplash
  char splash_section[56];  // "%s_%s": StartSplash and the language's abbreviation
  char settings_file[56]; // INIFile: the per-user settings file
  char title[51];         // Title
  char language_file[56]; // LNGFile
  char class_name[51];    // Class
  char help_file[56];     // HLPFile: the default help page
  char palette_file[56];  // PALFile: read and kept, never used
  char score_file[56];    // SCRFile: the high-score table, none when empty
};

// The display start parameters: 3D back end, full screen only, keep the
// 4:3 aspect, 16-bit colour.
constexpr uint32_t kDisplayFlags = VX_DSP_3D | VX_DSP_FULLSCREEN_ONLY;

struct MainState {
  char archive_name[56];  // string resource 101, at most 55 characters
  APP_KEYS keys;
  char class_name[51];
  char title[51];
  VX_APP app;
  VX_DSP_PARAMS display;
  VX_DSP_3D_INTERFACE table_3d;  // the OpenGL layer's operations
  VX_VIDEO_MODE video_mode;  // the current mode, kept up to date by the display
  VX_BITMAP screen;          // a copy of the virtual screen record, likewise
  uint32_t timer_id;
  int shut_down;
  int first_frame_logged;  // the time from launch to the first frame is in the history
  int deferred;  // 1: the start ended because another copy runs
};
MainState st = {};

// Steps of the rules run through these hooks. Behind the language screen
// the game stands still, as behind a menu or the about box.
int current_menu_shown() { return g_game.menu_active || !g_game.language_chosen || about_box_is_open(); }
const GAME_STEP_HOOKS kStepHooks = {game_step, game_random_reset_positions, current_menu_shown};

// The OpenGL layer behind everything that draws: the display's 3D table
// (the display start installs it), the renderer's output and the level's
// texture upload and release.
void gl_back_end_install() {
  gen_wrap_get_interface(&st.table_3d);
  RENDER_OUTPUT gl;
  Render_Output_GL(&gl);
  Render_Output_Set(&gl);
  Level_Texture_Hooks(gen_bit_texture_load, gen_bit_texture_delete);
}

void menu_bar_loaded() {
  vx_snd_menu_update();
  language_apply();
}

void fill_app_record(void* instance, const char* command_line, int show_state) {
  VX_APP& a = st.app;
  a = {};
  a.debug = 0;
  a.class_name = st.class_name;
  a.title = st.title;
  a.menu_name = "PONDSPRINT";
  a.resource_name = "PONDSPRINT";
  a.icon_name = "PONDSPRINT";
  a.cursor_name = nullptr;
  a.window_sizes = kWindowSizes;
  a.pos_x = -1;
  a.pos_y = -1;
  a.base_width = 640;
  a.base_height = 480;
  a.min_width = 640;
  a.min_height = 480;
  a.display_menu_pos = 1;
  a.resolution_menu_pos = 7;
  a.mode_check_offset = 2;
  a.running_out = &g_game.app_active;
  a.ready_out = &g_game.app_ready;
  a.fullscreen_out = &g_game.fullscreen;
  a.lowres_out = &g_game.lowres;
  a.highres_out = &g_game.highres;
  a.instance = instance;
  a.command_line = command_line;
  a.show_command = show_state;
  a.window_proc = game_window_proc;
  a.redraw_hook = game_redraw;
  // A menu loaded in a language gets the Sound popup's marks back, and
  // every game text follows the language.
  a.menu_hook = menu_bar_loaded;
  // The OpenGL layer renders and sets the modes.
  gl_back_end_install();
  a.table_3d = &st.table_3d;
  // The display switches the input devices off while a box is shown.
  a.input_enable = vx_inp_activate;

  VX_DSP_PARAMS& d = st.display;
  d = {};
  d.quiet_errors = 0;
  d.mode_out = &st.video_mode;
  d.screen_out = &st.screen;
  d.resize_hook = game_redraw;
  d.keep_aspect = 1;
  d.flags = kDisplayFlags;
  d.depth = 16;
}

// Pumps every waiting message. Returns 1 and stores the exit code when PLAT_WM_QUIT came.
int pump_messages(int* exit_code) {
  PLAT_MSG msg;
  while (plat_peek_message(&msg, 1)) {
    if (msg.message == PLAT_WM_QUIT) {
      *exit_code = static_cast<int>(msg.wparam);
      return 1;
    }
    plat_translate_message(&msg);
    plat_dispatch_message(&msg);
  }
  return 0;
}

// Without a menu: the attract sequence's messages, and the pause's.
void draw_messages() {
  GameState& gs = g_game;
  if (gs.menu_active) return;
  if (gs.attract_mode && gs.language_chosen) {
    message_draw(4);
    message_draw(5);
  }
  if (gs.paused) message_draw(9);
}

// One pass of drawing and input, then the owed steps.
void frame_pass() {
  GameState& gs = g_game;
  vx_inp_poll();
  vx_play_update();
  if (gs.load_level_request) {
    gs.load_level_request = 0;
    level_unload();
    if (level_setup(gs.def_path, gs.map_path)) start_life();
  }
  game_developer_keys();
  // Paused in a window, the pointer is the player's, to reach the menu bar
  // and the window's buttons.
  vx_inp_pointer_free(gs.paused && !gs.fullscreen);
  // The language screen stands in for everything until a language is chosen.
  if (gs.language_chosen) {
    if (gs.help_open)
      help_draw();
    else
      game_frame();
  } else {
    language_screen_frame();
  }
  draw_messages();
  // The current menu takes one input code and is drawn on top; the about
  // box, while open, takes the input instead and stands over everything.
  if (about_box_is_open()) {
    about_box_input();
    about_box_draw();
  } else {
    frontend_menu_frame();
  }
  game_highlight_pulse(&gs, plat_ticks());
  present_frame();
  if (!st.first_frame_logged && gs.app_ready) {
    st.first_frame_logged = 1;
    gen_history("first frame %d ms after launch\n", plat_launch_ms());
  }
  game_run_owed_steps(&gs, &kStepHooks);
}

// Options/Difficulty: 5 lives when non-zero, 3 when zero or missing;
// Options/Background: the level's background picture, on when missing.
void read_options() {
  GameState& gs = g_game;
  const char* settings = st.keys.settings_file;
  int value = 0;
  gs.lives_per_game = 3;
  gs.background_option = 1;
  if (!settings[0]) return;
  vx_io_ini_set_mode(nullptr, QUIET_KEY_ON);
  vx_io_ini_set_mode(nullptr, QUIET_SECTION_ON);
  if (vx_io_ini_get_int("Options", "Difficulty", &value, settings) && value != 0) gs.lives_per_game = 5;
  if (vx_io_ini_get_int("Options", "Background", &value, settings)) gs.background_option = value != 0;
  vx_io_ini_set_mode(nullptr, QUIET_KEY_OFF);
  vx_io_ini_set_mode(nullptr, QUIET_SECTION_OFF);
}

// The world viewport covers the whole screen.
void viewport_to_screen() {
  const VX_BITMAP* screen = vx_screen();
  if (screen && screen->width > 0 && screen->height > 0) Set_Viewport(screen->height - 1, screen->width - 1);
}

// The game's own data, once at start-up: the editor font, the
// transparency tables, the sound list, the attract list, the options, the
// demo tables and player 1's keys.
// Each missing file or block here is fatal (the engine's error box).
int game_data_init() {
  GameState& gs = g_game;
  if (!Load_Editor_Font()) return 0;
  if (!Load_Transparency_Tables()) return 0;
  if (!game_sound_effects_load()) return 0;
  if (!attract_list_load("data\\demos.txt")) return 0;
  read_options();
  std::snprintf(gs.def_path, sizeof gs.def_path, "%s", "level\\level1.def");
  std::snprintf(gs.map_path, sizeof gs.map_path, "%s", "level\\level1.map");
  gs.level_number = 0;
  gs.attract_mode = 1;
  if (!game_random_tables_alloc()) return 0;
  vx_play_setup(&gs.player1, 1, 200, 208, 203, 205, 23, 24, 28, 57, 49, VX_PLAY_KEEP);
  gs.message_timer = ATTRACT_START_PAUSE;
  gs.message_index = 0;
  viewport_to_screen();
  gs.lives = 5;
  return 1;
}

// Reads one key of section Application of the main text file, cut to the
// buffer; an absent key leaves the buffer empty.
template <size_t N>
void read_key(const char* key, char (&buffer)[N]) {
  buffer[0] = 0;
  if (!vx_io_ini_get_string("Application", key, buffer, static_cast<int>(N), kTextsFile)) buffer[0] = 0;
}

// Start-up steps 4 to 6 and 9: the application keys, the per-user settings
// file, the language and the splash section's name.
void read_application_keys() {
  APP_KEYS& k = st.keys;
  vx_io_ini_set_mode(kTextsFile, KEEP_OPEN);
  read_key("FNTFile", k.font_file);
  // The default menu font, which draws the window's menu bar, the game's
  // menus and every message; then the menu module.
  game_default_font_load(k.font_file);
  menus_module_start();
  read_key("StartSplash", k.start_splash);
  read_key("INIFile", k.settings_file);
  read_key("Title", k.title);
  if (!k.title[0]) std::snprintf(k.title, sizeof k.title, "%s", "Pond Sprint");
  if (k.settings_file[0]) {
    io_settings.settings_file = k.settings_file;
    // The per-user settings file: kept, copied from Default.ini, or made
    // by a configuration tool.
    vx_app_config_prepare(k.settings_file, k.title);
  }
  read_key("LNGFile", k.language_file);
  // The display layer keeps the table for the run.
  st.app.languages = languages_start(k.language_file);
  // A language chosen at an earlier start; else the language screen comes first.
  int language = 0;
  if (k.settings_file[0] && vx_io_ini_get_int("Application", "Language", &language, k.settings_file)) {
    g_game.language_number = language;
    g_game.language_chosen = 1;
  } else {
    read_languages();
    // With no language to choose there is no screen to show.
    g_game.language_chosen = language_screen_count() == 0;
  }
  const VX_LANGUAGE* current = language_current(st.app.languages);
  // The section's name holds 55 characters: the abbreviation is cut at 4.
  std::snprintf(k.splash_section, sizeof k.splash_section, "%.50s_%.4s", k.start_splash,
                current && current->abbreviation[0] ? current->abbreviation : kDefaultLanguage);
  read_key("Class", k.class_name);
  if (!k.class_name[0]) std::snprintf(k.class_name, sizeof k.class_name, "%s", "PondSprint");
  read_key("HLPFile", k.help_file);
  read_key("PALFile", k.palette_file);
  read_key("SCRFile", k.score_file);
  vx_io_ini_set_mode(kTextsFile, KEEP_CLOSE);
}

// The game's texts, the menus, the default font and the font module go.
void texts_and_fonts_stop() {
  menus_free();
  language_screen_free();
  game_default_font_free();
  game_fonts_stop();
}

}  // namespace

void game_redraw() {
  if (!g_game.init_done) {
    g_game.redraw_request = 1;
    return;
  }
  viewport_to_screen();
  GameState& gs = g_game;
  // What the last frame showed, without its input: under the menu bar's
  // popups, which stop play, the menu, the help page or the about box stays.
  if (gs.language_chosen && gs.help_open)
    help_draw();
  else
    game_frame();
  draw_messages();
  if (about_box_is_open())
    about_box_draw();
  else
    frontend_menu_draw();
  gs.redraw_request = 0;
}

int game_engine_start(const char* archive_name) {
  if (!vx_error_init(&error_settings)) return 0;
  // Reports are shown by the display layer's box, which logs them to
  // Warning.txt when SkipMessageBox is set and only logs over exclusive
  // full screen; before the window exists it shows a plain box.
  vx_error_set_box(vx_dsp_error_box);
  vx_list_init(&list_settings);
  if (!vx_mem_init(&mem_settings)) return 0;
  vx_str_init(&str_settings);
  // A missing or damaged archive has been reported; the game goes on from loose files.
  io_settings.resource = archive_name;
  vx_io_init(&io_settings);
  return 1;
}

int game_startup(void* instance, const char* command_line, int show_state) {
  game_state_reset(&g_game);
  st = {};
  // data\... and the archive lie beside the executable, wherever it was started from.
  vx_app_enter_program_folder();

  if (!game_load_string(GAME_RES_ARCHIVE_NAME, st.archive_name, sizeof st.archive_name)) {
    vx_dsp_error_box("Couldn't load the resource strings", nullptr, PLAT_MB_OK | PLAT_MB_ICONHAND);
    vx_dsp_fatal_note("Couldn't load the resource strings", nullptr);
    return 0;
  }
  fill_app_record(instance, command_line, show_state);

  if (!vx_inp_check_directx(&input_system)) return 0;
  if (!game_engine_start(st.archive_name)) return 0;
  game_fonts_start();

  read_application_keys();
  std::snprintf(st.class_name, sizeof st.class_name, "%s", st.keys.class_name);
  std::snprintf(st.title, sizeof st.title, "%s", st.keys.title);

  // The splash picture stays up while the program starts; it shows the
  // main window when it goes. Without a picture there is simply no splash.
  vx_img_set_limit(kPictureLimit);
  vx_dsp_splash_loader_set(vx_img_load);
  vx_dsp_splash_on(kTextsFile, st.keys.splash_section, &st.app);
  // The first drawing of pictures in each of their states happens while the
  // screen settles after the full-screen mode set, not in the first frame.
  vx_dsp_settle_work_set(gen_bit_warm_up);
  // Single instance, window, modes and menu; a second instance ends here.
  if (!vx_app_start(&st.app)) {
    st.deferred = vx_app_deferred();
    return 0;
  }
  vx_inp_init(&input_settings);
  vx_play_init(&play_settings);
  // The player reads the mouse-button swap, so it joins after input starts.
  vx_play_add(&g_game.player1);
  vx_play_setup(&g_game.player1, 1, 200, 208, 203, 205, 23, 24, 57, 28, 49, 1);
  // Without a usable audio device the game runs silent.
  game_sound_start();
  // The display start is finished: the start mode is set and the window shown.
  if (!vx_dsp_init(&st.display)) return 0;
  // The score file is seeded from data\highscor.ori on the first start.
  high_scores_start(st.keys.score_file);
  help_default_file_set(st.keys.help_file);

  st.timer_id = vx_timer_start(game_tick_cb, GAME_STEP_MS);
  if (!st.timer_id) return 0;
  if (g_game.redraw_request) {
    g_game.init_done = 1;
    game_redraw();
    g_game.init_done = 0;
  }
  std::srand(plat_ticks());
  if (!game_data_init()) return 0;
  // The attract sequence runs behind the main menu until a game is started.
  attract_next();
  g_game.init_done = 1;
  frontend_start();
  // The splash goes and the main window is shown.
  vx_dsp_splash_off();
  g_game.app_ready = 1;
  show_menu(MENU_MAIN);
  return 1;
}

int game_main_loop() {
  GameState& gs = g_game;
  for (;;) {
    int exit_code = 0;
    if (pump_messages(&exit_code)) return exit_code;
    if (!gs.app_active || !gs.app_ready || !gs.game_running) {
      plat_sleep(kInactiveSleepMs);
      continue;
    }
    if (!gs.init_done) continue;
    if (gs.pending_steps.load() == 0) {
      // Nothing owed yet: give the processor back instead of spinning.
      plat_sleep(1);
      continue;
    }
    frame_pass();
  }
}

void game_shutdown() {
  if (st.shut_down) return;
  st.shut_down = 1;
  GameState& gs = g_game;
  gs.game_running = 0;
  high_scores_stop();
  vx_timer_stop(&st.timer_id);
  gs.pending_steps.store(0);
  help_close();
  about_box_close();
  music_stop();
  options_save(st.keys.settings_file);
  // The editor font goes with the renderer's blocks, then the demo tables,
  // the rolling lines and the attract picture.
  Free_3D_Engine();
  game_random_tables_free();
  credits_free();
  attract_free();
  level_unload();
  Free_Transparency_Tables();
  messages_free(messages_current());
  game_sound_stop();
  texts_and_fonts_stop();
  vx_dsp_deinit();
  // The display saved the language; the table goes after it.
  languages_stop();
  vx_play_deinit();
  vx_inp_deinit();
  vx_io_deinit();
  vx_list_deinit();
  vx_mem_deinit();
  vx_str_deinit();
  vx_error_deinit();
  vx_inp_restore_system_keys();
}

int game_main(void* instance, const char* command_line, int show_state) {
  if (!game_startup(instance, command_line, show_state)) {
    // Deferring to a running copy is a normal end; any other failed start
    // was reported and ends with a failure status a launcher can see.
    const int deferred = st.deferred;
    game_shutdown();
    return deferred ? 0 : 1;
  }
  int exit_code = game_main_loop();
  return vx_dsp_fatal_count() ? 1 : exit_code;
}

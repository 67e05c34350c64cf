// Start-up services: the program folder, the settings file and its configuration tools, the single-instance rule, the display start, the error box and the timer.
#include "display/vx_app.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "core/vx_io.h"
#include "core/vx_io_ini.h"
#include "display/vx_dsp_internal.h"
#include "display/vx_dsp_menu.h"
#include "display/vx_pal.h"
#include "display/vx_screen.h"
#include "platform/plat_display.h"

namespace {

// Executables carry no suffix on this platform; the Windows build names them "*.exe".
#if defined(_WIN32)
constexpr const char* kExeSuffix = ".exe";
#else
constexpr const char* kExeSuffix = "";
#endif

constexpr int kStopSteps = 11;         // seconds a "-stop" waits at most
constexpr uint32_t kStopStepMs = 1000;
constexpr int kFirstModes = 100;       // entries of the mode list at start

struct AppState {
  int deferred;  // the latest start ended because another copy holds the lock
};
AppState app_st = {};

// "<program folder><name>" into `out`.
int in_program_folder(const char* name, char* out, int size) {
  char folder[VX_IO_PATH_MAX];
  if (!vx_io_get_start_folder(folder, sizeof folder)) return 0;
  return std::snprintf(out, static_cast<size_t>(size), "%s%s", folder, name) < size;
}

int exists_here(const char* name) {
  char path[VX_IO_PATH_MAX];
  return in_program_folder(name, path, sizeof path) && vx_io_exists(path, VX_IO_ON_DISK);
}

// Runs the first tool of the pair that exists in the program folder and
// waits for it: its exit code, 0 when neither is there.
int run_tool(const char* long_name, const char* short_name) {
  for (const char* name : {long_name, short_name}) {
    char file[128], path[VX_IO_PATH_MAX];
    std::snprintf(file, sizeof file, "%s%s", name, kExeSuffix);
    if (in_program_folder(file, path, sizeof path) && vx_io_exists(path, VX_IO_ON_DISK)) return vx_io_run_wait(path);
  }
  return 0;
}

// The number of "-stop" words (any case) in the command line.
int stop_requests(const char* command_line) {
  int n = 0;
  for (const char* p = command_line ? command_line : ""; *p;) {
    while (*p == ' ') p++;
    const char* start = p;
    while (*p && *p != ' ') p++;
    const size_t len = static_cast<size_t>(p - start);
    if (len == 5) {
      char word[6];
      for (size_t i = 0; i < 5; i++) word[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(start[i])));
      word[5] = 0;
      if (std::strcmp(word, "-stop") == 0) n++;
    }
  }
  return n;
}

// Another instance runs: it comes to the front, and closes for "-stop".
void defer_to_running(const VX_APP* app, const char* name) {
  plat_instance_notify(name, PLAT_INSTANCE_RAISE);
  for (int n = stop_requests(app->command_line); n > 0; n--) {
    plat_instance_notify(name, PLAT_INSTANCE_CLOSE);
    for (int step = 0; step < kStopSteps && plat_instance_running(name); step++) plat_sleep(kStopStepMs);
  }
}

// Undoes a start that failed half-way.
void abandon() {
  VX_DSP_STATE& s = vx_dsp_st;
  vx_dsp_menu_free();
  vx_dsp_modes_free();
  vx_screen_free();
  PLAT_WINDOW* w = s.window;
  if (s.app) s.app->window = nullptr;
  PLAT_WINDOW* splash = s.splash;
  s = VX_DSP_STATE{};
  s.splash = splash;
  s.current = s.desktop = s.windowed = s.fullscreen_index = VX_MODE_NONE;
  if (w && plat_window_exists(w)) plat_window_destroy(w);
}

// The mode list: read once, and once more when the first reading fails.
int read_modes() {
  if (vx_dsp_modes_enumerate() || vx_dsp_modes_enumerate()) return 1;
  vx_dsp_error_box(
      "We could not determine the graphic mode. You probably tried to run this programm from a fullscreen DOS "
      "shell. Now that we are back into windows mode we are going to check the video modes one last time. If you "
      "get this message again then there is something we cannot figure out on your system and this program will "
      "quit.You should try to run it again by double clicking on its icon...",
      nullptr, PLAT_MB_OK);
  return 0;
}

}  // namespace

int vx_app_enter_program_folder() {
  char folder[VX_IO_PATH_MAX];
  return plat_program_data_folder(folder, sizeof folder) && plat_set_current_folder(folder);
}

int vx_app_config_prepare(const char* settings_name, const char* title) {
  if (!settings_name || !settings_name[0] || !vx_io_running()) return 0;
  vx_io_user_folder_prepare(settings_name, title);
  const char* settings = vx_io_settings_path();
  // A write cut short by a kill or a crash in an older run may have left
  // the settings only in their backup.
  vx_io_ini_recover(settings);
  if (vx_io_exists(settings, VX_IO_ON_DISK)) return 1;
  char defaults[VX_IO_PATH_MAX];
  if (in_program_folder("Default.ini", defaults, sizeof defaults) && vx_io_exists(defaults, VX_IO_ON_DISK))
    return vx_io_copy(settings, defaults, VX_IO_ON_DISK | VX_IO_WHOLE);
  if (exists_here("VXSetup.ini")) return run_tool("ScreenConfig", "ScreenC");
  if (exists_here("VXConfig.ini")) return run_tool("PlayConfig", "PlayCfg");
  return 0;
}

int vx_app_deferred() { return app_st.deferred; }

int vx_app_start(VX_APP* app) {
  app_st.deferred = 0;
  if (!app) return 0;
  VX_DSP_STATE& s = vx_dsp_st;
  // A splash shown before the start stays up.
  PLAT_WINDOW* splash = s.splash;
  s = VX_DSP_STATE{};
  s.splash = splash;
  s.current = s.desktop = s.windowed = s.fullscreen_index = VX_MODE_NONE;
  s.remembered_fullscreen = -1;
  s.settle_ms = 250;
  const char* name = app->class_name ? app->class_name : "";
  // The lock stands for the mutex; the running instance is found through it.
  if (!plat_instance_lock(name)) {
    // The files belong to the running copy: this one writes none of them,
    // not even the memory statistics at its exit.
    vx_io_ini_set_writes(0);
    app_st.deferred = plat_instance_running(name);
    if (app_st.deferred)
      defer_to_running(app, name);
    else
      vx_dsp_fatal_error("No lock file could be made to keep the program to one copy; check the user folders");
    return 0;
  }
  s.app = app;
  s.instance_locked = 1;

  if (!vx_dsp_modes_alloc(kFirstModes) || !vx_screen_alloc(app->base_width, app->base_height, 16)) {
    abandon();
    return 0;
  }
  if (VX_PALETTE* pal = vx_pal_alloc(nullptr, 256, VX_PAL_OPT_RGB)) {
    vx_screen_palette_set(pal);
    vx_pal_free(pal);
  }
  vx_dsp_settings_load();
  // A run that ends without saving starts full screen next time; a clean
  // exit writes the real state.
  if (!app->debug && vx_io_running() && vx_io_settings_path()[0])
    vx_io_ini_set_int("Display", "Fullscreen", 1, vx_io_settings_path());

  if (!vx_dsp_window_create() || !read_modes()) {
    abandon();
    return 0;
  }
  vx_dsp_menu_load(app);
  if (const VX_WINDOW_SIZE* hi = vx_dsp_table_size(VX_SIZE_HIGHRES)) {
    const VX_VIDEO_MODE* cur = vx_dsp_mode(s.current);
    int depth = s.depth_is_preferred || !cur ? vx_dsp_preferred_depth() : cur->depth;
    int idx = vx_dsp_mode_find(hi->width, hi->height, depth);
    if (idx >= 0) s.fullscreen_index = static_cast<uint16_t>(idx);
  }
  if (app->table_3d) vx_dsp_3d_interface_set(app->table_3d);
  return 1;
}

// ---------------------------------------------------------------- error box and timer

namespace {

struct TimerState {
  uint32_t resolution;  // the period begun for the running timer, 0 for none
};
TimerState timer_st = {};

struct FatalState {
  int count;            // fatal errors raised in this run
  int text_on_stderr;   // 1 when the latest error box's text reached standard error
};
FatalState fatal_st = {};

void to_stderr(const char* text, const char* caption) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::fflush(stderr);
}

}  // namespace

void vx_dsp_log_line(const char* text, const char* caption) {
  char path[VX_IO_PATH_MAX];
  const char* folder = vx_io_running() ? vx_io_user_folder() : "";
  std::snprintf(path, sizeof path, "%sWarning.txt", folder);
  // A text too long for the line is cut; the line end stays.
  char line[2048];
  int n = std::snprintf(line, sizeof line - 2, "%s: %s", caption, text);
  if (n < 0) return;
  if (n > static_cast<int>(sizeof line) - 3) n = static_cast<int>(sizeof line) - 3;
  line[n++] = '\r';
  line[n++] = '\n';
  line[n] = 0;
  if (vx_io_running()) {
    if (VX_IO_FILE* f = vx_io_fopen(path, "at")) {
      vx_io_fwrite(line, 1, static_cast<size_t>(n), f);
      vx_io_fclose(f);
    }
    return;
  }
  plat_append_file(path, line, static_cast<size_t>(n));
}

int vx_dsp_error_box(const char* text, const char* caption, uint32_t style) {
  VX_DSP_STATE& s = vx_dsp_st;
  if (!text) text = "";
  const char* cap = caption ? caption : "Error";
  const int owns = vx_dsp_3d_owns_screen();
  const int quiet = s.have_params && s.params.quiet_errors;
  fatal_st.text_on_stderr = 0;
  if (owns || quiet || s.skip_message_box) {
    vx_dsp_log_line(text, cap);
    if (owns || s.skip_message_box) return 1;
  }
  // Full screen steps aside to a window for the box, unless a mode change
  // is under way (the box may be about that very change).
  int toggled = 0;
  if (s.fullscreen && s.mode_set_done && !s.switching && !s.placing) {
    vx_dsp_fullscreen_toggle();
    toggled = !s.fullscreen;
  }
  const int was_running = s.running;
  if (was_running) vx_dsp_set_running(0);
  PLAT_WINDOW* top = s.splash ? s.splash : s.window;
  if (top) plat_display_topmost(top, 0);
  if (s.app && s.app->input_enable && s.have_params) s.app->input_enable(0);
  int answer = plat_message_box(top, text, cap, style | PLAT_MB_SYSTEMMODAL | PLAT_MB_SETFOREGROUND | PLAT_MB_TOPMOST);
  fatal_st.text_on_stderr = !plat_boxes_enabled();  // the box was printed there instead
  if (s.app && s.app->input_enable && s.have_params) s.app->input_enable(1);
  // Only the splash and a full-screen window stay above the others.
  if (top && (top == s.splash || s.fullscreen)) plat_display_topmost(top, 1);
  if (was_running) vx_dsp_set_running(1);
  if (toggled) vx_dsp_fullscreen_toggle();
  return answer;
}

void vx_dsp_fatal_note(const char* text, const char* caption) {
  fatal_st.count++;
  if (!fatal_st.text_on_stderr) to_stderr(text ? text : "", caption ? caption : "Error");
  fatal_st.text_on_stderr = 0;
}

int vx_dsp_fatal_count() { return fatal_st.count; }

int vx_dsp_fatal_error(const char* text) {
  VX_APP* app = vx_dsp_st.app;
  const char* caption = app && app->title ? app->title : "Error";
  vx_dsp_error_box(text, caption, PLAT_MB_OK);
  vx_dsp_fatal_note(text, caption);
  PLAT_WINDOW* w = vx_dsp_st.window ? vx_dsp_st.window : plat_window_main();
  if (w) plat_post_message(w, PLAT_WM_CLOSE, 0, 0);
  return 0;
}

uint32_t vx_timer_start(VX_TIMER_CALLBACK callback, uint32_t period_ms) {
  uint32_t resolution = plat_timer_min_period();
  if (resolution == 0 || !plat_timer_begin_period(resolution)) resolution = 0;
  uint32_t id = callback ? plat_timer_start(period_ms, callback, nullptr) : 0;
  if (!id) {
    if (resolution) plat_timer_end_period(resolution);
    vx_dsp_fatal_error("Timer Init failed. You should restart Windows and try again");
    return 0;
  }
  timer_st.resolution = resolution;
  return id;
}

void vx_timer_stop(uint32_t* id) {
  if (!id || !*id) return;
  plat_timer_stop(*id);
  if (timer_st.resolution) plat_timer_end_period(timer_st.resolution);
  timer_st.resolution = 0;
  *id = 0;
}

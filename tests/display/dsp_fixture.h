// Shared set-up of the window and mode tests: a private temporary folder, the file layer, a recording 3D table, the game's descriptor.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_io_ini.h"
#include "core/vx_mem.h"
#include "display/vx_app.h"
#include "display/vx_blit.h"
#include "display/vx_dsp.h"
#include "display/vx_dsp_internal.h"
#include "display/vx_dsp_menu.h"
#include "display/vx_screen.h"
#include "platform/plat_display.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_folder.h"

namespace dsp_test {

namespace fs = std::filesystem;

// What the fake 3D back end was asked to do.
struct ModeSet {
  int width, height, depth, fullscreen;
};
struct Fake3d {
  int inits, deinits, flushes, clears, updates, resizes;
  std::vector<ModeSet> sets;
  int fail_width;  // mode sets of this width fail (0: none)
  int fail_all;    // every mode set fails
  int set_ms;      // each mode set takes this long (a window manager's answer awaited)
};
inline Fake3d& fake() {
  static Fake3d f;
  return f;
}

inline int fake_init(PLAT_WINDOW*, const VX_RECT*, const char** renderer, const char** vendor) {
  fake().inits++;
  *renderer = "FAKE TNT RENDERER";
  *vendor = "Test";
  return 8;
}
inline int fake_deinit() { return ++fake().deinits, 1; }
inline int fake_mode_set(int w, int h, int d, int, int full) {
  fake().sets.push_back({w, h, d, full});
  if (fake().set_ms > 0) plat_sleep(static_cast<uint32_t>(fake().set_ms));
  return !fake().fail_all && w != fake().fail_width;
}
inline int fake_resize(const VX_RECT*) { return ++fake().resizes, 1; }
inline int fake_flush() { return ++fake().flushes, 1; }
inline int fake_clear() { return ++fake().clears, 1; }
inline int fake_update() { return ++fake().updates, 1; }

inline const VX_DSP_3D_INTERFACE* fake_table() {
  static VX_DSP_3D_INTERFACE t = {};
  t.vx_dsp_3d_init = fake_init;
  t.vx_dsp_3d_deinit = fake_deinit;
  t.vx_dsp_3d_video_mode_set = fake_mode_set;
  t.vx_dsp_3d_resize = fake_resize;
  t.vx_dsp_3d_flush = fake_flush;
  t.vx_dsp_3d_screen_clear = fake_clear;
  t.vx_dsp_3d_display_update = fake_update;
  return &t;
}

// The game's table of sizes: 320 x 240 low-res, 640 x 480 high-res.
constexpr VX_WINDOW_SIZE kSizes[] = {{320, 240, 1}, {640, 480, 2}, {800, 600, 0}, {1024, 768, 0}, {0, 0, 0}};

class DspTest : public ::testing::Test {
 protected:
  support::TempFolder tmp;  // current folder, user data root and the instance lock's folder
  long long base_used = 0;
  VX_IO_SETTINGS io = {0, nullptr, "Test.ini"};
  VX_APP app = {};
  VX_DSP_PARAMS params = {};
  VX_VIDEO_MODE mode_out = {};
  VX_BITMAP screen_out = {};
  uint32_t running = 0, ready = 0, fullscreen = 0, lowres = 0, highres = 0;
  std::vector<VX_LANGUAGE> languages;
  VX_LANGUAGES table = {};
  bool capturing = false;

  void SetUp() override {
    static const VX_ERROR_SETTINGS es = {0};
    vx_error_init(&es);
    static const VX_MEM_SETTINGS ms = {0, 0};
    ASSERT_EQ(vx_mem_init(&ms), 1);
    base_used = vx_mem_used();
    vx_io_init(&io);
    plat_display_null_reset();
    vx_dsp_3d_interface_set(nullptr);
    fake() = Fake3d{};
    fill_app();
    testing::internal::CaptureStderr();
    capturing = true;
  }

  void TearDown() override {
    vx_dsp_deinit();
    vx_dsp_menu_bar_drawer_set(nullptr);
    pump();
    if (capturing) testing::internal::GetCapturedStderr();
    vx_dsp_3d_interface_set(nullptr);
    vx_dsp_resize_lists_clear();
    vx_io_deinit();
    vx_mem_set_stats_writer(nullptr);
    EXPECT_EQ(vx_mem_used(), base_used) << "blocks left allocated";
    vx_mem_deinit();
    vx_error_deinit();
    plat_display_null_reset();
  }

  // This game's descriptor and parameters (flags 9: 3D, full screen only).
  void fill_app() {
    app = {};
    // One name for the whole process: a process holds one instance lock.
    static const std::string name = "PondSprintDisplayTest" + std::to_string(getpid());
    app.class_name = name.c_str();
    app.title = "Display Test";
    app.menu_name = "PONDSPRINT";
    app.resource_name = "PONDSPRINT";
    app.icon_name = "PONDSPRINT";
    app.window_sizes = kSizes;
    app.pos_x = -1;
    app.pos_y = -1;
    app.base_width = 640;
    app.base_height = 480;
    app.min_width = 640;
    app.min_height = 480;
    app.display_menu_pos = 1;
    app.resolution_menu_pos = 7;
    app.mode_check_offset = 2;
    app.running_out = &running;
    app.ready_out = &ready;
    app.fullscreen_out = &fullscreen;
    app.lowres_out = &lowres;
    app.highres_out = &highres;
    app.command_line = "";
    app.show_command = 1;
    app.table_3d = fake_table();
    params = {0, &mode_out, &screen_out, nullptr, 1, VX_DSP_3D | VX_DSP_FULLSCREEN_ONLY, 16};
  }

  // A language table of the given abbreviations, the first current.
  void set_languages(const std::vector<std::string>& abbreviations, int multi = 1) {
    languages.assign(abbreviations.size(), VX_LANGUAGE{});
    for (size_t i = 0; i < abbreviations.size(); i++) {
      VX_LANGUAGE& l = languages[i];
      std::snprintf(l.name, sizeof l.name, "Lang %s", abbreviations[i].c_str());
      std::snprintf(l.abbreviation, sizeof l.abbreviation, "%s", abbreviations[i].c_str());
      std::snprintf(l.fullscreen, sizeof l.fullscreen, "Full %s", abbreviations[i].c_str());
      std::snprintf(l.window, sizeof l.window, "Win %s", abbreviations[i].c_str());
      l.number = 10 + static_cast<int>(i);
      l.characters = 1;
    }
    table = {static_cast<int>(languages.size()), 0, multi, languages.data()};
    app.languages = &table;
  }

  // The per-user settings file (prepared on first use) and its text.
  std::string settings_path() {
    vx_app_config_prepare("Test.ini", "DspTest");
    char os[VX_IO_PATH_MAX];
    vx_io_os_path(vx_io_settings_path(), os, sizeof os);
    return os;
  }
  void write_settings(const std::string& text) { support::TempFolder::write(settings_path(), text); }
  static std::string read_file(const std::string& p) { return support::TempFolder::read(p); }
  std::string display_key(const char* key) {
    char v[200] = {};
    vx_io_ini_get_string("Display", key, v, 199, vx_io_settings_path());
    return v;
  }

  // Starts the display as the game does; the full-screen settle wait is skipped.
  int start(uint32_t flags = VX_DSP_3D | VX_DSP_FULLSCREEN_ONLY) {
    settings_path();
    params.flags = flags;
    if (!vx_app_start(&app)) return 0;
    vx_dsp_st.settle_ms = 0;
    int ok = vx_dsp_init(&params);
    pump();
    return ok;
  }

  // Delivers every queued message, as the main loop does.
  static void pump() {
    PLAT_MSG m;
    for (int guard = 0; guard < 1000 && plat_peek_message(&m, 1); guard++) {
      if (m.message == PLAT_WM_QUIT) continue;
      plat_dispatch_message(&m);
    }
  }
  // Sends a message to the main window through its procedure, then pumps.
  static intptr_t send(uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0) {
    intptr_t r = plat_send_message(vx_dsp_window(), message, wparam, lparam);
    pump();
    return r;
  }

  // Everything the boxes said since the last call.
  std::string boxes() {
    std::string out;
    if (capturing) out = testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    return out;
  }

  static const VX_VIDEO_MODE& current_mode() { return *vx_dsp_mode(vx_dsp_mode_current()); }
  static int index_of(int w, int h, int d) {
    for (int i = 0; i < vx_dsp_mode_count(); i++) {
      const VX_VIDEO_MODE* m = vx_dsp_mode(i);
      if (int(m->width) == w && int(m->height) == h && m->depth == d) return i;
    }
    return -1;
  }
};

}  // namespace dsp_test

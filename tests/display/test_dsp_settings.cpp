// The Display keys read and written, the settings file's preparation with Default.ini and the tools, Warning.txt and the error box.
#include <sys/stat.h>

#include <atomic>

#include "tests/display/dsp_fixture.h"

using namespace dsp_test;

namespace {

class DspSettings : public DspTest {};

}  // namespace

// ---------------------------------------------------------------- reading

TEST_F(DspSettings, DisplayKeysAreReadAndBadValuesKeepTheDefaults) {
  struct Case {
    const char* what;
    const char* text;
    int default_fullscreen;
    // requested width, height, depth; window x, y; client w, h; full screen; FullPosition x, width; SkipMessageBox
    std::vector<double> want;
  };
  // Defaults: no resolution, 640 x 480 centred on the 1024 x 740 work area, no full-screen rectangle.
  const Case cases[] = {
      {"every key", "[Display]\nResolution=800x600x32\nWindowPosition=30,40,800,600\nFullscreen=0\n"
                    "FullPosition=10,20,700,500\nSkipMessageBox=1\n", 0,
       {800, 600, 32, 30, 40, 800, 600, 0, 10, 700, 1}},
      {"missing and malformed values", "[Display]\nResolution=800x600\nWindowPosition=30,40,abc,600\n"
                                       "FullPosition=1,2,3\nSkipMessageBox=yes\n", 1,
       {0, 0, 0, 192, 130, 640, 480, 1, 0, 0, 0}},
      {"values no screen can hold", "[Display]\nResolution=99999999999999999999x600x16\nWindowPosition=0,0,-640,480\n"
                                    "FullPosition=0,0,40000,480\n", 0,
       {0, 0, 0, 192, 130, 640, 480, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    write_settings(c.text);
    app.default_fullscreen = c.default_fullscreen;
    vx_dsp_st.app = &app;
    ASSERT_EQ(vx_dsp_settings_load(), 1);
    const VX_DSP_STATE& d = vx_dsp_st;
    EXPECT_EQ(nums(d.req_width, d.req_height, d.req_depth, d.win_x, d.win_y, d.client_w, d.client_h,
                   d.settings_fullscreen, d.full.x, d.full.width, vx_dsp_skip_message_box()),
              c.want);
    vx_dsp_st = VX_DSP_STATE{};
  }
}

// ---------------------------------------------------------------- writing

TEST_F(DspSettings, StartWritesFullscreenOneWhileTheProgramRuns) {
  write_settings("[Display]\nFullscreen=0\n");
  ASSERT_EQ(start(VX_DSP_3D), 1);
  EXPECT_EQ(display_key("Fullscreen"), "1");
  EXPECT_EQ(vx_dsp_is_fullscreen(), 0) << "the start itself still follows the file";
}

// ---------------------------------------------------------------- the settings file

TEST_F(DspSettings, DefaultIniIsCopiedOnFirstStartOnly) {
  std::ofstream("Default.ini") << "[Display]\nResolution=800x600x16\n";
  EXPECT_EQ(vx_app_config_prepare("Test.ini", "DspTest"), 1);
  EXPECT_EQ(display_key("Resolution"), "800x600x16");
  EXPECT_TRUE(fs::exists(tmp.path / "xdg" / "Harrowby" / "DspTest" / "Test.ini"));
  EXPECT_TRUE(fs::exists("Default.ini")) << "the program folder's copy stays";
  std::ofstream("Default.ini") << "[Display]\nResolution=640x480x16\n";
  EXPECT_EQ(vx_app_config_prepare("Test.ini", "DspTest"), 1);
  EXPECT_EQ(display_key("Resolution"), "800x600x16") << "existing settings are kept";
}

TEST_F(DspSettings, VxSetupRunsTheDisplayToolAndReturnsItsExitCode) {
  std::ofstream("VXSetup.ini") << "";
  // The short name serves when the long one is missing.
  std::ofstream("ScreenC") << "#!/bin/sh\necho \"$1\" > tool_argument.txt\nexit 7\n";
  chmod("ScreenC", 0755);
  EXPECT_EQ(vx_app_config_prepare("Test.ini", "DspTest"), 7);
  std::string argument = read_file("tool_argument.txt");
  EXPECT_NE(argument.find("ScreenC"), std::string::npos) << "its own path is its argument";
}

// ---------------------------------------------------------------- the error box and Warning.txt

TEST_F(DspSettings, SkipMessageBoxWritesWarningLinesAndShowsNoBox) {
  write_settings("[Display]\nSkipMessageBox=1\n");
  ASSERT_EQ(start(), 1);
  boxes();
  EXPECT_EQ(vx_dsp_error_box("First problem", "Caption", PLAT_MB_OK), 1);
  EXPECT_EQ(vx_dsp_error_box("Second problem", nullptr, PLAT_MB_YESNO), 1);
  EXPECT_EQ(boxes(), "");
  std::string log = read_file((tmp.path / "xdg" / "Harrowby" / "DspTest" / "Warning.txt").string());
  EXPECT_EQ(log, "Caption: First problem\r\nError: Second problem\r\n");
}

// ---------------------------------------------------------------- the timer

static std::atomic<int> ticks{0};

TEST_F(DspSettings, TimerStartsAndStopsAndNeedsACallback) {
  uint32_t id = vx_timer_start([](void*) { ticks++; }, 5);
  ASSERT_NE(id, 0u);
  while (ticks.load() < 2) plat_sleep(1);
  vx_timer_stop(&id);
  EXPECT_EQ(id, 0u);
  vx_timer_stop(&id);
  boxes();
  EXPECT_EQ(vx_timer_start(nullptr, 10), 0u);
  EXPECT_NE(boxes().find("Timer Init failed. You should restart Windows and try again"), std::string::npos);
}

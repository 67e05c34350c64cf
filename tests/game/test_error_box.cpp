// The start-up's error wiring: the error module's reports reach the player through the display layer's box, before the window exists and after.
#include <gtest/gtest.h>

#include <string>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_list.h"
#include "core/vx_mem.h"
#include "core/vx_str.h"
#include "display/vx_app.h"
#include "display/vx_dsp.h"
#include "game/game_main.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr VX_WINDOW_SIZE kSizes[] = {{640, 480, 2}, {0, 0, 0}};

TEST(ErrorBox, ReportsGoThroughTheDisplayBox) {
  support::TempFolder tmp;
  // No archive here: the file layer reports it unconditionally, before any
  // window exists, and the box still shows (boxes print while switched off).
  testing::internal::CaptureStderr();
  ASSERT_EQ(game_engine_start("resource.dat"), 1);
  const std::string early = testing::internal::GetCapturedStderr();
  EXPECT_NE(early.find("Alert: "), std::string::npos) << early;
  EXPECT_NE(early.find("resource.dat"), std::string::npos) << early;
  EXPECT_NE(early.find(": CallStack Disabled in this version"), std::string::npos) << early;

  // With SkipMessageBox the display logs instead of showing: both boxes of
  // a report land in Warning.txt of the user folder and none is shown.
  vx_app_config_prepare("Test.ini", "Error Box Test");
  char os[VX_IO_PATH_MAX];
  vx_io_os_path(vx_io_settings_path(), os, sizeof os);  // the file is not there yet
  support::TempFolder::write(os, "[Display]\r\nSkipMessageBox=1\r\n");
  VX_APP app = {};
  app.class_name = "PondSprintErrorBoxTest";
  app.title = "Error Box Test";
  app.menu_name = app.resource_name = app.icon_name = "PONDSPRINT";
  app.window_sizes = kSizes;
  app.pos_x = app.pos_y = -1;
  app.base_width = app.min_width = 640;
  app.base_height = app.min_height = 480;
  app.command_line = "";
  app.show_command = 1;
  ASSERT_EQ(vx_app_start(&app), 1);
  testing::internal::CaptureStderr();
  vx_error_alert("Nothing left for the test");
  const std::string shown = testing::internal::GetCapturedStderr();
  EXPECT_EQ(shown.find("Nothing left for the test"), std::string::npos) << shown;
  ASSERT_TRUE(vx_io_os_path((std::string(vx_io_user_folder()) + "Warning.txt").c_str(), os, sizeof os));
  EXPECT_EQ(support::TempFolder::read(os),
            "Alert: Nothing left for the test\r\n: CallStack Disabled in this version\r\n");

  vx_dsp_deinit();
  vx_io_deinit();
  vx_list_deinit();
  vx_mem_deinit();
  vx_str_deinit();
  vx_error_deinit();
  vx_error_set_box(nullptr);
}

}  // namespace

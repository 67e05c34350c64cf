// The error registry, report texts, alert boxes and fault handling.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "core/vx_error.h"
#include "tests/support/engine_fixture.h"

namespace {

using support::box_log;

const char* const kMenuTable[] = {"Could not open file", "Line not found"};

class ErrorModule : public testing::Test {
 protected:
  void SetUp() override {
    box_log().clear();
    vx_error_set_box(support::record_box);
    VX_ERROR_SETTINGS s = {0};
    vx_error_init(&s);
  }
  void TearDown() override {
    vx_error_deinit();
    vx_error_set_box(nullptr);
  }
};

TEST_F(ErrorModule, ModuleNumbersArePositionsNamesAreCutAndThe101stIsRefused) {
  const std::string name45 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrs";
  EXPECT_EQ(vx_error_register(name45.c_str(), kMenuTable), 1);
  EXPECT_EQ(vx_error_module_name(1), name45.substr(0, 40));
  EXPECT_EQ(vx_error_current_code(), 1);  // "Module name over 40 characters", raised silently
  vx_error_set(-1, -1);
  EXPECT_EQ(vx_error_register(name45.substr(0, 40).c_str(), kMenuTable), 2);
  EXPECT_EQ(vx_error_current_code(), -1);  // exactly 40 raises nothing
  for (int i = 3; i < VX_ERROR_MAX_MODULES; i++) ASSERT_EQ(vx_error_register("M", kMenuTable), i);
  EXPECT_EQ(vx_error_register("One too many", kMenuTable), -1);
  EXPECT_TRUE(box_log().empty());  // the error module's own switch is off
  EXPECT_STREQ(vx_error_module_name(VX_ERROR_MAX_MODULES), "");
  EXPECT_STREQ(vx_error_message(VX_ERROR_MAX_MODULES, 0), "");
  EXPECT_STREQ(vx_error_message(1, -1), "");
}

TEST_F(ErrorModule, AReportIsSilentWithTheSwitchOffAndTwoBoxesWithItOn) {
  const int menu = vx_error_register("Menu", kMenuTable);
  vx_error_raise(menu, 1, 0, "Section %s", "Main Menu");
  EXPECT_TRUE(box_log().empty());
  EXPECT_STREQ(vx_error_detail_text(), "Section Main Menu");
  vx_error_raise(menu, 1, 1, "Section %s", "Main Menu");
  vx_error_alert("Memory not all freed: 112 bytes left");
  EXPECT_EQ(box_log(), (std::vector<std::string>{
                           "Alert|In module Menu \n\n Line not found\n\nSection Main Menu",
                           "|CallStack Disabled in this version",
                           "Alert|Memory not all freed: 112 bytes left",
                           "|CallStack Disabled in this version",
                       }));
}

// A fault shows its box once; the handler then steps aside, so the same
// fault again ends the program by the system's default action.
void fault_twice(int sig) {
  VX_ERROR_SETTINGS s = {0};
  vx_error_init(&s);
  std::raise(sig);
  std::fprintf(stderr, "survived the first\n");
  std::raise(sig);
}

TEST(ErrorFaultsDeathTest, EachFaultShowsItsCaptionThenTheDefaultActionEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(fault_twice(SIGSEGV), testing::KilledBySignal(SIGSEGV),
              "Memory Access Violation: CallStack Disabled in this version\n(.|\n)*survived the first");
  EXPECT_EXIT(fault_twice(SIGFPE), testing::KilledBySignal(SIGFPE), "Division by zero");
  EXPECT_EXIT(fault_twice(SIGILL), testing::KilledBySignal(SIGILL), "Illegal operation");
}

}  // namespace

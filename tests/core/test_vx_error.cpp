// The error registry, report texts and alert boxes.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "core/vx_error.h"

namespace {

struct Box {
  std::string text, caption;
  unsigned style;
};
std::vector<Box> boxes;
int record_box(const char* text, const char* caption, unsigned style) {
  boxes.push_back({text, caption, style});
  return 1;
}

const char* const kMenuTable[] = {"Could not open file", "Line not found"};

class ErrorModule : public testing::Test {
 protected:
  void SetUp() override {
    boxes.clear();
    vx_error_set_box(record_box);
    VX_ERROR_SETTINGS s = {0};
    vx_error_init(&s);
  }
  void TearDown() override {
    vx_error_deinit();
    vx_error_set_box(nullptr);
  }
};

TEST_F(ErrorModule, ErrorRegistersItselfFirst) {
  EXPECT_EQ(vx_error_module_count(), 1);
  EXPECT_STREQ(vx_error_module_name(0), "Error");
  EXPECT_STREQ(vx_error_message(0, 0), "Warning!  Too many modules in vx_error");
}

TEST_F(ErrorModule, ModuleNumbersArePositionsAndThe101stIsRefused) {
  for (int i = 1; i < VX_ERROR_MAX_MODULES; i++) {
    char name[16];
    std::snprintf(name, sizeof name, "M%d", i);
    ASSERT_EQ(vx_error_register(name, kMenuTable), i);
  }
  EXPECT_EQ(vx_error_register("One too many", kMenuTable), -1);
  EXPECT_EQ(vx_error_module_count(), VX_ERROR_MAX_MODULES);
  EXPECT_EQ(vx_error_current_module(), 0);
  EXPECT_EQ(vx_error_current_code(), 0);
  EXPECT_TRUE(boxes.empty());  // the error module's own switch is off
}

TEST_F(ErrorModule, LongNameIsCutToFortyCharacters) {
  const std::string name45 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrs";
  ASSERT_EQ(name45.size(), 45u);
  int m = vx_error_register(name45.c_str(), kMenuTable);
  EXPECT_EQ(std::string(vx_error_module_name(m)), name45.substr(0, 40));
  EXPECT_EQ(vx_error_current_code(), 1);  // "Module name over 40 characters" was raised silently
  // Exactly 40 is kept whole and raises nothing.
  vx_error_set(-1, -1);
  int m40 = vx_error_register(name45.substr(0, 40).c_str(), kMenuTable);
  EXPECT_EQ(std::string(vx_error_module_name(m40)), name45.substr(0, 40));
  EXPECT_EQ(vx_error_current_code(), -1);
}

TEST_F(ErrorModule, SilentWhenTheModulesSwitchIsOffShownWhenOn) {
  int menu = vx_error_register("Menu", kMenuTable);
  vx_error_raise(menu, 1, 0, "Section %s", "Main Menu");
  EXPECT_TRUE(boxes.empty());
  EXPECT_STREQ(vx_error_detail_text(), "Section Main Menu");

  vx_error_raise(menu, 1, 1, "Section %s", "Main Menu");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "Alert");
  EXPECT_EQ(boxes[0].text, "In module Menu \n\n Line not found\n\nSection Main Menu");
  EXPECT_EQ(boxes[0].style, 0x30u);
  EXPECT_EQ(boxes[1].text, "CallStack Disabled in this version");
  EXPECT_EQ(boxes[1].caption, "");
  EXPECT_EQ(boxes[1].style, 0u);
}

TEST_F(ErrorModule, DetailIsEmptiedByAReportButTheLocationStays) {
  int menu = vx_error_register("Menu", kMenuTable);
  vx_error_location("menu.cpp", 12);
  vx_error_raise(menu, 0, 1, "data\\texts.txt");
  EXPECT_EQ(boxes[0].text,
            "In module Menu \n\n Could not open file\n\ndata\\texts.txt\n\n(File: menu.cpp, Line: 12)");
  EXPECT_STREQ(vx_error_detail_text(), "");
  vx_error_raise(menu, 0, 1);
  EXPECT_EQ(boxes[2].text, "In module Menu \n\n Could not open file\n\n\n\n(File: menu.cpp, Line: 12)");
  vx_error_clear_location();
  vx_error_raise(menu, 0, 1);
  EXPECT_EQ(boxes[4].text, "In module Menu \n\n Could not open file\n\n");
}

TEST_F(ErrorModule, AlertShowsTheTextThenTheCallStack) {
  vx_error_alert("Memory not all freed: 112 bytes left");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "Alert");
  EXPECT_EQ(boxes[0].text, "Memory not all freed: 112 bytes left");
  EXPECT_EQ(boxes[1].text, "CallStack Disabled in this version");
}

TEST_F(ErrorModule, UnknownModulesAndCodesGiveEmptyTexts) {
  EXPECT_STREQ(vx_error_module_name(-1), "");
  EXPECT_STREQ(vx_error_module_name(57), "");
  EXPECT_STREQ(vx_error_message(57, 0), "");
  EXPECT_STREQ(vx_error_message(0, -1), "");
}

TEST(ErrorFaults, CaptionsNameTheFault) {
  EXPECT_STREQ(vx_error_fault_caption(4), "Illegal operation");
  EXPECT_STREQ(vx_error_fault_caption(8), "Division by zero");
  EXPECT_STREQ(vx_error_fault_caption(11), "Memory Access Violation");
  EXPECT_STREQ(vx_error_fault_caption(2), "");
}

}  // namespace

namespace {

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

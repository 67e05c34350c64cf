// The gen layer's logs: error.txt entries replaced then appended, the end with a failure status and the message on standard error, history on and off.
#include "gen_fixture.h"

namespace {

using gen_test::GenFileTest;
using GenInfo = GenFileTest;

const std::string kDashes(63, '-');

std::string entry(const std::string& message) {
  return "* * * E R R O R ! * * *\n" + kDashes + "\n" + message + "\nCallStack Disabled in this version\n" + kDashes +
         "\n";
}

TEST_F(GenInfo, FirstErrorOfARunReplacesTheFileLaterOnesAppend) {
  gen_test::fs::path stale = folder_ / "error.txt";
  std::ofstream(stale) << "left from an earlier run\n";
  ASSERT_EQ(gen_info_error_write("Sprite %d is missing", 12), 1);
  EXPECT_EQ(file("error.txt"), entry("Sprite 12 is missing"));
  ASSERT_EQ(gen_info_error_write("%s", "second"), 1);
  EXPECT_EQ(file("error.txt"), entry("Sprite 12 is missing") + entry("second"));
}

TEST_F(GenInfo, GenErrorEndsAsAFailureAfterItsEntryAndSaysWhyOnStandardError) {
  // The child starts the program again: no window or GL thread is shared.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ASSERT_EQ(gen_info_error_write("before"), 1);
  // The child inherits "already written": its entry is appended.
  EXPECT_EXIT(gen_error("Can't find %s", "level3.def"), testing::ExitedWithCode(1), "Error: Can't find level3.def");
  EXPECT_EQ(file("error.txt"), entry("before") + entry("Can't find level3.def"));
}

TEST_F(GenInfo, HistoryAppendsWhileOnIsSilentWhileOffAndStartsAfreshEachRun) {
  gen_history("one %d\n", 1);
  gen_history("two");
  EXPECT_EQ(file("history.txt"), "one 1\ntwo");
  gen_info_history_set(0);
  EXPECT_EQ(gen_info_history_on(), 0);
  gen_history("hidden\n");
  EXPECT_EQ(file("history.txt"), "one 1\ntwo");
  gen_info_history_set(1);
  gen_history("!");
  EXPECT_EQ(file("history.txt"), "one 1\ntwo!");
  gen_info_deinit();
  gen_history("second run\n");
  EXPECT_EQ(file("history.txt"), "second run\n");
}

}  // namespace

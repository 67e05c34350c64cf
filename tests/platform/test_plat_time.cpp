// The tick counter, sleeping and the periodic timer threads. No assertion
// depends on the machine being fast: only lower bounds and "no more calls
// after stop".
#include <gtest/gtest.h>
#include <atomic>
#include "platform/platform.h"

namespace {

void count_call(void* user) { static_cast<std::atomic<int>*>(user)->fetch_add(1); }

TEST(PlatTime, TicksAdvanceAtLeastBySleeps) {
  uint32_t t0 = plat_ticks();
  plat_sleep(30);
  uint32_t t1 = plat_ticks();
  EXPECT_GE(static_cast<uint32_t>(t1 - t0), 30u);  // unsigned difference survives a wrap
  plat_sleep(0);
  EXPECT_GE(static_cast<uint32_t>(plat_ticks() - t1), 0u);
  // The time since launch: as old as this process at most (tests run in
  // seconds, not hours), and it moves with the sleep.
  const int l0 = plat_launch_ms();
  plat_sleep(30);
  const int l1 = plat_launch_ms();
  EXPECT_GE(l0, 0);
  EXPECT_LT(l1, 3600 * 1000);
  EXPECT_GE(l1 - l0, 20);  // clock ticks of 10 ms
}

TEST(PlatTime, TimerRunsAndStopsForGood) {
  std::atomic<int> calls{0};
  uint32_t id = plat_timer_start(10, count_call, &calls);
  ASSERT_NE(id, 0u);
  plat_sleep(200);
  plat_timer_stop(id);
  int after_stop = calls.load();
  EXPECT_GE(after_stop, 3);
  plat_sleep(50);
  EXPECT_EQ(calls.load(), after_stop);
}

struct SELF_STOP {
  std::atomic<uint32_t> id{0};
  std::atomic<int> calls{0};
};

void stop_myself(void* user) {
  SELF_STOP* s = static_cast<SELF_STOP*>(user);
  s->calls++;
  uint32_t id = s->id.load();
  if (id) plat_timer_stop(id);
}

TEST(PlatTime, TimerCanStopFromItsOwnCallback) {
  static SELF_STOP s;  // outlives the detached thread
  uint32_t id = plat_timer_start(5, stop_myself, &s);
  ASSERT_NE(id, 0u);
  s.id = id;
  for (int i = 0; i < 200 && s.calls.load() < 1; i++) plat_sleep(5);
  plat_sleep(50);
  int settled = s.calls.load();
  plat_sleep(50);
  EXPECT_EQ(s.calls.load(), settled);
}

}  // namespace

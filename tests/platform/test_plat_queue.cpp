// The message queue and windows on the null platform: order, threads, quit,
// translation, dispatch, destroyed windows and the default window procedure.
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include <vector>
#include "platform/plat_internal.h"
#include "platform/platform.h"
#include "tests/support/engine_fixture.h"

namespace {

struct SEEN {
  PLAT_WINDOW* window;
  uint32_t message;
  uintptr_t wparam;
  intptr_t lparam;
};
std::vector<SEEN> g_seen;

intptr_t record_proc(PLAT_WINDOW* w, uint32_t m, uintptr_t wp, intptr_t lp) {
  g_seen.push_back({w, m, wp, lp});
  return 0;
}

void drain() {
  PLAT_MSG m;
  while (plat_peek_message(&m, 1)) {
  }
}

class PlatQueue : public testing::Test {
 protected:
  void SetUp() override {
    drain();
    g_seen.clear();
  }
  void TearDown() override {
    while (PLAT_WINDOW* w = plat_window_main()) plat_window_destroy(w);
    drain();
    // Release any key a test left down, so the next one starts clean.
    for (uint32_t vk : {PLAT_VK_SHIFT, PLAT_VK_CONTROL, PLAT_VK_MENU, uint32_t{'A'}}) plat_post_message(nullptr, PLAT_WM_KEYUP, vk, 0);
    drain();
  }
  PLAT_WINDOW* hidden_window(PLAT_WNDPROC proc) {
    return plat_window_create("PondTest", "test", 10, 20, 64, 48, PLAT_WS_HIDDEN, proc);
  }
};

// ---------------------------------------------------------------- order and peeking

TEST_F(PlatQueue, PostedMessagesComeOutInOrder) {
  for (uint32_t i = 0; i < 50; i++) ASSERT_EQ(plat_post_message(nullptr, PLAT_WM_USER + i, i, -static_cast<intptr_t>(i)), 1);
  PLAT_MSG m;
  for (uint32_t i = 0; i < 50; i++) {
    ASSERT_EQ(plat_peek_message(&m, 1), 1);
    EXPECT_EQ(m.message, PLAT_WM_USER + i);
    EXPECT_EQ(m.wparam, i);
    EXPECT_EQ(m.lparam, -static_cast<intptr_t>(i));
    EXPECT_EQ(m.window, nullptr);
  }
  EXPECT_EQ(plat_peek_message(&m, 1), 0);
}

TEST_F(PlatQueue, PostsFromFourThreadsAllArriveOnceInTheirOrder) {
  constexpr uint32_t PER_THREAD = 3000;  // 12000 in all: more than the queue holds at once
  std::atomic<int> started{0};
  std::vector<std::thread> posters;
  for (uint32_t t = 0; t < 4; t++) {
    posters.emplace_back([t, &started] {
      started++;
      for (uint32_t i = 0; i < PER_THREAD; i++)
        while (!plat_post_message(nullptr, PLAT_WM_USER + t, i, 0)) std::this_thread::yield();
    });
  }
  std::vector<uint32_t> next(4, 0);
  uint32_t total = 0;
  PLAT_MSG m;
  while (total < 4 * PER_THREAD) {
    if (!plat_peek_message(&m, 1)) {
      std::this_thread::yield();
      continue;
    }
    ASSERT_GE(m.message, PLAT_WM_USER);
    uint32_t t = m.message - PLAT_WM_USER;
    ASSERT_LT(t, 4u);
    ASSERT_EQ(m.wparam, next[t]) << "thread " << t;
    next[t]++;
    total++;
  }
  for (std::thread& th : posters) th.join();
  EXPECT_EQ(plat_peek_message(&m, 1), 0);
  for (uint32_t t = 0; t < 4; t++) EXPECT_EQ(next[t], PER_THREAD);
}

// ---------------------------------------------------------------- quit and blocking get

// ---------------------------------------------------------------- translate

// ---------------------------------------------------------------- windows and dispatch

TEST_F(PlatQueue, CreateSendsWmCreateAndKeepsTheRectangle) {
  PLAT_WINDOW* w = hidden_window(record_proc);
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(g_seen.size(), 1u);
  EXPECT_EQ(g_seen[0].message, PLAT_WM_CREATE);
  EXPECT_EQ(g_seen[0].window, w);
  int x, y, width, height;
  plat_window_rect(w, &x, &y, &width, &height);
  EXPECT_EQ(nums(x, y, width, height, plat_window_exists(w)), nums(10, 20, 64, 48, 1));
  EXPECT_EQ(plat_window_proc(w), &record_proc);
  EXPECT_EQ(plat_window_main(), w);
}

TEST_F(PlatQueue, DispatchCallsTheProcedureOfTheMessagesWindow) {
  PLAT_WINDOW* a = hidden_window(record_proc);
  PLAT_WINDOW* b = hidden_window(record_proc);
  g_seen.clear();
  plat_post_message(b, PLAT_WM_USER, 1, 0);
  plat_post_message(a, PLAT_WM_USER, 2, 0);
  plat_post_message(nullptr, PLAT_WM_USER, 3, 0);
  PLAT_MSG m;
  while (plat_peek_message(&m, 1)) plat_dispatch_message(&m);
  ASSERT_EQ(g_seen.size(), 2u);
  EXPECT_EQ(g_seen[0].window, b);
  EXPECT_EQ(g_seen[0].wparam, 1u);
  EXPECT_EQ(g_seen[1].window, a);
  EXPECT_EQ(g_seen[1].wparam, 2u);
}

// ---------------------------------------------------------------- window state messages

TEST_F(PlatQueue, ShowingActivatesAndDeactivatesThePrevious) {
  PLAT_WINDOW* a = plat_window_create("PondTest", "a", 0, 0, 32, 32, 0, record_proc);
  PLAT_WINDOW* b = plat_window_create("PondTest", "b", 0, 0, 32, 32, 0, record_proc);
  PLAT_MSG m;
  std::vector<SEEN> got;
  while (plat_peek_message(&m, 1)) got.push_back({m.window, m.message, m.wparam, m.lparam});
  ASSERT_EQ(got.size(), 3u);
  EXPECT_TRUE(got[0].window == a && got[0].message == PLAT_WM_ACTIVATE && got[0].wparam == PLAT_WA_ACTIVE);
  EXPECT_TRUE(got[1].window == a && got[1].message == PLAT_WM_ACTIVATE && got[1].wparam == PLAT_WA_INACTIVE);
  EXPECT_TRUE(got[2].window == b && got[2].message == PLAT_WM_ACTIVATE && got[2].wparam == PLAT_WA_ACTIVE);
}

// ---------------------------------------------------------------- default procedure

}  // namespace

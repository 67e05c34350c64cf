// The message queue and windows on the null platform: order, threads, quit,
// translation, dispatch, destroyed windows and the default window procedure.
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include <vector>
#include "platform/plat_internal.h"
#include "platform/platform.h"
#include "tests/platform/platform_test_util.h"

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

intptr_t default_proc(PLAT_WINDOW* w, uint32_t m, uintptr_t wp, intptr_t lp) {
  g_seen.push_back({w, m, wp, lp});
  return plat_def_window_proc(w, m, wp, lp);
}

intptr_t refuse_create_proc(PLAT_WINDOW* w, uint32_t m, uintptr_t wp, intptr_t lp) {
  record_proc(w, m, wp, lp);
  return m == PLAT_WM_CREATE ? -1 : 0;
}

intptr_t doubling_proc(PLAT_WINDOW*, uint32_t m, uintptr_t wp, intptr_t) {
  return m == PLAT_WM_USER ? static_cast<intptr_t>(wp * 2) : 0;
}

void drain() {
  PLAT_MSG m;
  while (plat_peek_message(&m, 1)) {
  }
}

// The next queued message as (message, wparam, lparam), taken off the queue; empty when there is none.
std::vector<double> take() {
  PLAT_MSG m;
  if (!plat_peek_message(&m, 1)) return {};
  return nums(m.message, m.wparam, m.lparam);
}

std::vector<uint32_t> seen_messages() {
  std::vector<uint32_t> v;
  for (const SEEN& s : g_seen) v.push_back(s.message);
  return v;
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

TEST_F(PlatQueue, PeekWithoutRemovalLeavesTheMessageAndAnEmptyQueueTheRecord) {
  plat_post_message(nullptr, PLAT_WM_USER, 1, 2);
  plat_post_message(nullptr, PLAT_WM_USER + 1, 3, 4);
  PLAT_MSG m{};
  ASSERT_EQ(plat_peek_message(&m, 0), 1);
  ASSERT_EQ(plat_peek_message(&m, 0), 1);
  EXPECT_EQ(m.message, PLAT_WM_USER);
  EXPECT_EQ(take(), nums(PLAT_WM_USER, 1, 2));
  EXPECT_EQ(take(), nums(PLAT_WM_USER + 1, 3, 4));
  m = PLAT_MSG{nullptr, 0x1234, 5, 6, 7};
  EXPECT_EQ(plat_peek_message(&m, 0), 0);
  EXPECT_EQ(plat_peek_message(&m, 1), 0);
  EXPECT_EQ(nums(m.message, m.wparam, m.lparam, m.time), nums(0x1234, 5, 6, 7));
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

TEST_F(PlatQueue, GetWaitsForAMessageAndQuitEndsItWithItsExitCode) {
  std::thread poster([] {
    plat_sleep(20);
    plat_post_message(nullptr, PLAT_WM_USER + 5, 55, 0);
    plat_post_quit_message(7);
  });
  PLAT_MSG m;
  EXPECT_EQ(plat_get_message(&m), 1);
  EXPECT_EQ(nums(m.message, m.wparam), nums(PLAT_WM_USER + 5, 55));
  EXPECT_EQ(plat_get_message(&m), 0);
  EXPECT_EQ(nums(m.message, m.wparam), nums(PLAT_WM_QUIT, 7));
  poster.join();
}

// ---------------------------------------------------------------- translate

TEST_F(PlatQueue, TranslateQueuesTheCharacterOfALetterFirst) {
  PLAT_WINDOW* w = hidden_window(record_proc);
  intptr_t lp = 1 | (0x1E << 16);
  plat_post_message(w, PLAT_WM_KEYDOWN, 'A', lp);
  plat_post_message(w, PLAT_WM_USER, 0, 0);
  PLAT_MSG m;
  ASSERT_EQ(plat_get_message(&m), 1);
  ASSERT_EQ(m.message, PLAT_WM_KEYDOWN);
  plat_translate_message(&m);
  ASSERT_EQ(plat_get_message(&m), 1);
  EXPECT_EQ(nums(m.message, m.wparam, m.lparam), nums(PLAT_WM_CHAR, 'a', lp));
  EXPECT_EQ(m.window, w);
  EXPECT_EQ(take(), nums(PLAT_WM_USER, 0, 0));
}

TEST_F(PlatQueue, TranslateFollowsShiftAsTakenFromTheQueue) {
  plat_post_message(nullptr, PLAT_WM_KEYDOWN, PLAT_VK_SHIFT, 0);
  plat_post_message(nullptr, PLAT_WM_KEYDOWN, 'A', 0);
  PLAT_MSG m;
  plat_get_message(&m);
  EXPECT_EQ(plat_key_down(PLAT_VK_SHIFT), 1);
  plat_get_message(&m);
  plat_translate_message(&m);
  EXPECT_EQ(take(), nums(PLAT_WM_CHAR, 'A', 0));
  plat_post_message(nullptr, PLAT_WM_KEYUP, PLAT_VK_SHIFT, 0);
  plat_get_message(&m);
  EXPECT_EQ(plat_key_down(PLAT_VK_SHIFT), 0);
}

TEST_F(PlatQueue, TranslateMakesSystemCharactersAndNothingForOtherKeys) {
  PLAT_MSG m{nullptr, PLAT_WM_SYSKEYDOWN, 'X', static_cast<intptr_t>(PLAT_KEY_LPARAM_ALT), 0};
  plat_translate_message(&m);
  EXPECT_EQ(take(), nums(PLAT_WM_SYSCHAR, 'x', PLAT_KEY_LPARAM_ALT));
  // Function keys, key-ups and other messages give nothing.
  for (PLAT_MSG other : {PLAT_MSG{nullptr, PLAT_WM_KEYDOWN, PLAT_VK_F4, 0, 0}, PLAT_MSG{nullptr, PLAT_WM_SYSKEYDOWN, PLAT_VK_F4, 0, 0},
                         PLAT_MSG{nullptr, PLAT_WM_KEYUP, 'A', 0, 0}, PLAT_MSG{nullptr, PLAT_WM_USER, 'A', 0, 0}})
    plat_translate_message(&other);
  plat_translate_message(nullptr);
  EXPECT_EQ(take(), std::vector<double>{});
}

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

TEST_F(PlatQueue, CreateRefusedByTheProcedureOrOfNoSizeGivesNoWindow) {
  EXPECT_EQ(hidden_window(refuse_create_proc), nullptr);
  EXPECT_EQ(seen_messages(), (std::vector<uint32_t>{PLAT_WM_CREATE, PLAT_WM_DESTROY}));
  EXPECT_EQ(plat_window_main(), nullptr);
  g_seen.clear();
  EXPECT_EQ(plat_window_create("PondTest", "t", 0, 0, 0, 10, 0, record_proc), nullptr);
  EXPECT_EQ(plat_window_create("PondTest", "t", 0, 0, 10, -1, 0, record_proc), nullptr);
  EXPECT_TRUE(g_seen.empty());
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

TEST_F(PlatQueue, SendCallsAtOnceAndReturnsTheAnswer) {
  PLAT_WINDOW* w = hidden_window(doubling_proc);
  EXPECT_EQ(plat_send_message(w, PLAT_WM_USER, 21, 10), 42);
  PLAT_MSG m;
  EXPECT_EQ(plat_peek_message(&m, 0), 0);
  EXPECT_EQ(plat_send_message(nullptr, PLAT_WM_USER, 21, 10), 0);
}

TEST_F(PlatQueue, DestroySendsWmDestroyAndDropsQueuedMessages) {
  PLAT_WINDOW* w = hidden_window(record_proc);
  PLAT_WINDOW* other = hidden_window(record_proc);
  plat_post_message(w, PLAT_WM_USER, 1, 0);
  plat_post_message(other, PLAT_WM_USER, 2, 0);
  plat_post_message(w, PLAT_WM_USER, 3, 0);
  g_seen.clear();
  plat_window_destroy(w);
  EXPECT_EQ(seen_messages(), (std::vector<uint32_t>{PLAT_WM_DESTROY}));
  EXPECT_EQ(plat_window_exists(w), 0);
  EXPECT_EQ(plat_window_proc(w), nullptr);
  PLAT_MSG m;
  ASSERT_EQ(plat_peek_message(&m, 1), 1);
  EXPECT_EQ(m.window, other);
  EXPECT_EQ(plat_peek_message(&m, 1), 0);
}

TEST_F(PlatQueue, DestroyedWindowGetsNothingMore) {
  PLAT_WINDOW* w = hidden_window(record_proc);
  PLAT_MSG copy{w, PLAT_WM_USER, 0, 0, 0};
  plat_window_destroy(w);
  g_seen.clear();
  EXPECT_EQ(plat_post_message(w, PLAT_WM_USER, 0, 0), 0);
  EXPECT_EQ(plat_dispatch_message(&copy), 0);
  EXPECT_EQ(plat_send_message(w, PLAT_WM_USER, 0, 0), 0);
  plat_window_destroy(w);  // a second destroy does nothing
  EXPECT_TRUE(g_seen.empty());
  PLAT_MSG m;
  EXPECT_EQ(plat_peek_message(&m, 1), 0);
}

TEST_F(PlatQueue, MainWindowIsTheFirstStillAlive) {
  EXPECT_EQ(plat_window_main(), nullptr);
  PLAT_WINDOW* a = hidden_window(record_proc);
  PLAT_WINDOW* b = hidden_window(record_proc);
  EXPECT_EQ(plat_window_main(), a);
  plat_window_destroy(a);
  EXPECT_EQ(plat_window_main(), b);
}

TEST_F(PlatQueue, PaintWaitsOnlyOnce) {
  PLAT_WINDOW* w = hidden_window(record_proc);
  plat_post_paint(w);
  plat_post_paint(w);
  PLAT_MSG m;
  ASSERT_EQ(plat_peek_message(&m, 1), 1);
  EXPECT_EQ(m.message, PLAT_WM_PAINT);
  EXPECT_EQ(plat_peek_message(&m, 1), 0);
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

TEST_F(PlatQueue, MovePostsOnlyWhatChanged) {
  PLAT_WINDOW* w = hidden_window(record_proc);
  plat_window_move(w, 10, 20, 64, 48);  // unchanged
  EXPECT_EQ(take(), std::vector<double>{});
  plat_window_move(w, 30, 40, 64, 48);
  EXPECT_EQ(take(), nums(PLAT_WM_MOVE, 0, plat_makelong(30, 40)));
  EXPECT_EQ(take(), std::vector<double>{});
  plat_window_move(w, 30, 40, 640, 480);
  EXPECT_EQ(take(), nums(PLAT_WM_SIZE, PLAT_SIZE_RESTORED, plat_makelong(640, 480)));
  plat_window_move(w, 0, 0, 0, 0);  // refused
  EXPECT_EQ(take(), std::vector<double>{});
  int x, y, width, height;
  plat_window_rect(w, &x, &y, &width, &height);
  EXPECT_EQ(nums(width, height), nums(640, 480));
}

TEST_F(PlatQueue, MinimiseAndRestoreThroughTheDefaultProcedure) {
  PLAT_WINDOW* w = plat_window_create("PondTest", "t", 0, 0, 64, 48, 0, default_proc);
  drain();
  plat_send_message(w, PLAT_WM_SYSCOMMAND, PLAT_SC_MINIMIZE, 0);
  EXPECT_EQ(plat_window_minimised(w), 1);
  const std::vector<double> size = take();
  ASSERT_EQ(size.size(), 3u);
  EXPECT_EQ(nums(size[0], size[1]), nums(PLAT_WM_SIZE, PLAT_SIZE_MINIMIZED));
  EXPECT_EQ(take(), nums(PLAT_WM_ACTIVATE, plat_makelong(PLAT_WA_INACTIVE, 1), 0));
  plat_send_message(w, PLAT_WM_SYSCOMMAND, PLAT_SC_RESTORE, 0);
  EXPECT_EQ(plat_window_minimised(w), 0);
  EXPECT_EQ(take(), nums(PLAT_WM_SIZE, PLAT_SIZE_RESTORED, plat_makelong(64, 48)));
  const std::vector<double> active = take();
  ASSERT_EQ(active.size(), 3u);
  EXPECT_EQ(nums(active[0], active[1]), nums(PLAT_WM_ACTIVATE, PLAT_WA_ACTIVE));
}

// ---------------------------------------------------------------- default procedure

TEST_F(PlatQueue, AltF4ClosesAndDestroysThroughTheDefaultProcedure) {
  PLAT_WINDOW* w = hidden_window(default_proc);
  g_seen.clear();
  plat_post_message(w, PLAT_WM_SYSKEYDOWN, PLAT_VK_F4, static_cast<intptr_t>(PLAT_KEY_LPARAM_ALT | (0x3E << 16) | 1));
  PLAT_MSG m;
  ASSERT_EQ(plat_get_message(&m), 1);
  plat_translate_message(&m);
  plat_dispatch_message(&m);
  EXPECT_EQ(seen_messages(), (std::vector<uint32_t>{PLAT_WM_SYSKEYDOWN, PLAT_WM_SYSCOMMAND, PLAT_WM_CLOSE, PLAT_WM_DESTROY}));
  ASSERT_GE(g_seen.size(), 2u);
  EXPECT_EQ(g_seen[1].wparam, PLAT_SC_CLOSE);
  EXPECT_EQ(plat_window_exists(w), 0);
  EXPECT_EQ(plat_peek_message(&m, 1), 0);
}

TEST_F(PlatQueue, DefaultProcedureLeavesOtherMessagesAlone) {
  PLAT_WINDOW* w = hidden_window(default_proc);
  g_seen.clear();
  EXPECT_EQ(plat_def_window_proc(w, PLAT_WM_SYSKEYDOWN, PLAT_VK_F10, 0), 0);
  EXPECT_EQ(plat_def_window_proc(w, PLAT_WM_KEYDOWN, PLAT_VK_F4, 0), 0);
  EXPECT_EQ(plat_def_window_proc(w, PLAT_WM_SYSCOMMAND, PLAT_SC_KEYMENU, 0), 0);
  EXPECT_EQ(plat_def_window_proc(w, PLAT_WM_PAINT, 0, 0), 0);
  EXPECT_TRUE(g_seen.empty());
  EXPECT_EQ(plat_window_exists(w), 1);
}

TEST_F(PlatQueue, SystemCommandIgnoresTheLowBits) {
  PLAT_WINDOW* w = hidden_window(default_proc);
  g_seen.clear();
  plat_send_message(w, PLAT_WM_SYSCOMMAND, PLAT_SC_CLOSE | 0x3, 0);
  EXPECT_EQ(seen_messages(), (std::vector<uint32_t>{PLAT_WM_SYSCOMMAND, PLAT_WM_CLOSE, PLAT_WM_DESTROY}));
}

}  // namespace

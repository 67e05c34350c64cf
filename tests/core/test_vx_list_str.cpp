// Lists (order, cursor, remove, owned data, copy, reverse) and the checked string operations.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "core/vx_list.h"
#include "core/vx_str.h"
#include "tests/support/engine_fixture.h"

namespace {



class ListsAndStrings : public support::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    static const VX_ERROR_SETTINGS quiet = {0};
    vx_list_init(&quiet);
    vx_str_init(&quiet);
  }
  void TearDown() override {
    EXPECT_EQ(vx_list_live_count(), 0);
    vx_str_deinit();
    vx_list_deinit();
    EngineTest::TearDown();
  }
  static std::vector<int*> contents(VX_LIST* l) {
    std::vector<int*> out;
    vx_list_rewind(l);
    while (vx_list_has_next(l)) out.push_back(static_cast<int*>(vx_list_next(l)));
    return out;
  }
  int v[5] = {0, 1, 2, 3, 4};
};

TEST_F(ListsAndStrings, OrderCursorAndBothEnds) {
  VX_LIST* l = nullptr;
  ASSERT_EQ(vx_list_create(&l), 1);
  EXPECT_EQ(vx_list_pop(l), nullptr);
  vx_list_append(l, &v[1]);
  vx_list_append(l, &v[2]);
  vx_list_push(l, &v[0]);
  EXPECT_EQ(contents(l), (std::vector<int*>{&v[0], &v[1], &v[2]}));
  EXPECT_EQ(vx_list_next(l), nullptr);  // the cursor stops at the end
  EXPECT_EQ(nums(vx_list_first(l) == &v[0], vx_list_last(l) == &v[2]), nums(1, 1));
  EXPECT_EQ(vx_list_pop_last(l), &v[2]);
  EXPECT_EQ(vx_list_pop(l), &v[0]);
  EXPECT_EQ(vx_list_count(l), 1);
  vx_list_destroy(l);
  EXPECT_EQ(vx_list_count(nullptr), -1);  // a missing list is reported, not followed
  EXPECT_EQ(vx_error_current_code(), VX_LIST_NULL);
  EXPECT_EQ(vx_list_remove(nullptr, &v[0]), 0);
}

TEST_F(ListsAndStrings, RemoveTakesTheFirstOfTwinsAndIsSafeBehindTheCursor) {
  VX_LIST* l = nullptr;
  vx_list_create(&l);
  for (int* p : {&v[1], &v[2], &v[1], &v[3]}) vx_list_append(l, p);
  EXPECT_EQ(vx_list_remove(l, &v[1]), 1);
  EXPECT_EQ(contents(l), (std::vector<int*>{&v[2], &v[1], &v[3]}));
  EXPECT_EQ(vx_list_remove(l, &v[4]), 0);
  EXPECT_EQ(vx_error_current_code(), VX_LIST_NO_REMOVE);
  vx_list_rewind(l);
  std::vector<int*> visited;
  while (vx_list_has_next(l)) {
    int* d = static_cast<int*>(vx_list_next(l));
    visited.push_back(d);
    vx_list_remove(l, d);
  }
  EXPECT_EQ(visited, (std::vector<int*>{&v[2], &v[1], &v[3]}));
  EXPECT_EQ(vx_list_count(l), 0);
  vx_list_destroy(l);
}

TEST_F(ListsAndStrings, ClearFreesOwnedDataCopyAndReverse) {
  VX_LIST *s = nullptr, *d = nullptr;
  vx_list_create(&s);
  vx_list_create(&d);
  vx_list_append(s, vx_mem_malloc(10));
  vx_list_set_owned(s, 1);
  vx_list_append(s, &v[0]);  // appended after: not owned, must not be freed
  vx_list_clear(s);           // the fixture finds the owned block freed
  for (int i = 0; i < 4; i++) vx_list_append(s, &v[i]);
  vx_list_set_owned(s, 0);
  vx_list_append(d, &v[4]);
  vx_list_copy(s, d);
  vx_list_reverse(d);
  EXPECT_EQ(contents(d), (std::vector<int*>{&v[3], &v[2], &v[1], &v[0]}));
  EXPECT_EQ(contents(s), (std::vector<int*>{&v[0], &v[1], &v[2], &v[3]}));
  vx_list_destroy(s);
  vx_list_destroy(d);
}

TEST_F(ListsAndStrings, TrimCopyCaseAndNumbers) {
  const struct {
    const char* in;
    const char* out;
  } trims[] = {{" a b ", "a b"}, {"  ab", "ab"}, {"\ta b\t", "\ta b\t"}, {"    ", ""}, {"", ""}};
  for (const auto& t : trims) {
    char s[16];
    std::snprintf(s, sizeof s, "%s", t.in);
    vx_str_trim(s);
    EXPECT_STREQ(s, t.out) << "'" << t.in << "'";
  }
  char* s = nullptr;
  ASSERT_EQ(vx_str_new(&s, "frogger", 4), 1);
  EXPECT_STREQ(s, "frog");
  EXPECT_EQ(vx_str_copy_checked(s, "frogs"), 0);  // longer than the text it holds
  EXPECT_EQ(vx_error_current_code(), VX_STR_TOO_BIG);
  EXPECT_EQ(vx_str_copy_checked(s, "pond"), 1);
  vx_str_upper(s);
  EXPECT_STREQ(s, "POND");
  vx_str_free(s);
  char n[32];
  vx_str_from_ullong(n, sizeof n, 18446744073709551615ull);
  EXPECT_STREQ(n, "18446744073709551615");
  EXPECT_EQ(vx_str_from_int(n, 3, 12345), 0);  // does not fit: refused, not overrun
  EXPECT_FLOAT_EQ(vx_str_to_float(nullptr), 0.0f);
  EXPECT_EQ(vx_error_current_code(), VX_STR_NULL);
}

}  // namespace

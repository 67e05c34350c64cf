// Lists (cursor, remove, owned data, copy, reverse) and the checked string operations.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_list.h"
#include "core/vx_mem.h"
#include "core/vx_str.h"

namespace {

class ListsAndStrings : public testing::Test {
 protected:
  void SetUp() override {
    VX_ERROR_SETTINGS quiet = {0};
    vx_error_init(&quiet);
    vx_list_init(&quiet);
    static VX_MEM_SETTINGS mem;  // the tracker keeps a pointer to it
    mem = {0, 1 << 20};
    vx_mem_init(&mem);
    vx_str_init(&quiet);
  }
  void TearDown() override {
    EXPECT_EQ(vx_list_live_count(), 0);
    EXPECT_EQ(vx_mem_deinit(), 1);  // nothing leaked
    vx_str_deinit();
    vx_list_deinit();
    vx_error_deinit();
  }
  std::vector<int*> contents(VX_LIST* l) {
    std::vector<int*> out;
    vx_list_rewind(l);
    while (vx_list_has_next(l)) out.push_back(static_cast<int*>(vx_list_next(l)));
    return out;
  }
  int v[5] = {0, 1, 2, 3, 4};
};

TEST_F(ListsAndStrings, AppendPushPopAndPeek) {
  VX_LIST* l = nullptr;
  ASSERT_EQ(vx_list_create(&l), 1);
  EXPECT_EQ(vx_list_first(l), nullptr);
  EXPECT_EQ(vx_list_pop(l), nullptr);
  vx_list_append(l, &v[1]);
  vx_list_append(l, &v[2]);
  vx_list_push(l, &v[0]);
  EXPECT_EQ(contents(l), (std::vector<int*>{&v[0], &v[1], &v[2]}));
  EXPECT_EQ(vx_list_first(l), &v[0]);
  EXPECT_EQ(vx_list_last(l), &v[2]);
  EXPECT_EQ(vx_list_pop_last(l), &v[2]);
  EXPECT_EQ(vx_list_pop(l), &v[0]);
  EXPECT_EQ(vx_list_count(l), 1);
  vx_list_destroy(l);
}

TEST_F(ListsAndStrings, CursorStopsAtTheEnd) {
  VX_LIST* l = nullptr;
  vx_list_create(&l);
  vx_list_append(l, &v[0]);
  vx_list_rewind(l);
  EXPECT_EQ(vx_list_has_next(l), 1);
  EXPECT_EQ(vx_list_next(l), &v[0]);
  EXPECT_EQ(vx_list_has_next(l), 0);
  EXPECT_EQ(vx_list_next(l), nullptr);
  vx_list_destroy(l);
}

TEST_F(ListsAndStrings, RemoveTakesOnlyTheFirstOfTwinsAndFetchThenRemoveIsSafe) {
  VX_LIST* l = nullptr;
  vx_list_create(&l);
  for (int* p : {&v[1], &v[2], &v[1], &v[3]}) vx_list_append(l, p);
  EXPECT_EQ(vx_list_remove(l, &v[1]), 1);
  EXPECT_EQ(contents(l), (std::vector<int*>{&v[2], &v[1], &v[3]}));
  EXPECT_EQ(vx_list_remove(l, &v[4]), 0);
  EXPECT_EQ(vx_error_current_code(), VX_LIST_NO_REMOVE);
  // The usual pattern: fetch with next, then remove what was fetched.
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

TEST_F(ListsAndStrings, ClearFreesOnlyOwnedData) {
  VX_LIST* l = nullptr;
  vx_list_create(&l);
  void* a = vx_mem_malloc(10);
  void* b = vx_mem_malloc(20);
  vx_list_append(l, a);
  vx_list_append(l, b);
  vx_list_set_owned(l, 1);
  vx_list_append(l, &v[0]);  // appended after: not owned, must not be freed
  long long before = vx_mem_used();
  vx_list_clear(l);
  EXPECT_EQ(vx_mem_used(), before - (10 + 12) - (20 + 12));
  EXPECT_EQ(vx_list_count(l), 0);
  vx_list_destroy(l);
}

TEST_F(ListsAndStrings, CopyReplacesTheDestinationAndReverseReverses) {
  VX_LIST *s = nullptr, *d = nullptr;
  vx_list_create(&s);
  vx_list_create(&d);
  for (int i = 0; i < 4; i++) vx_list_append(s, &v[i]);
  vx_list_append(d, &v[4]);
  vx_list_copy(s, d);
  EXPECT_EQ(contents(d), contents(s));
  EXPECT_EQ(vx_list_count(d), 4);
  vx_list_reverse(d);
  EXPECT_EQ(contents(d), (std::vector<int*>{&v[3], &v[2], &v[1], &v[0]}));
  EXPECT_EQ(contents(s), (std::vector<int*>{&v[0], &v[1], &v[2], &v[3]}));  // source unchanged
  vx_list_destroy(s);
  vx_list_destroy(d);
}

TEST_F(ListsAndStrings, MissingListIsReportedNotFollowed) {
  EXPECT_EQ(vx_list_count(nullptr), -1);
  EXPECT_EQ(vx_error_current_code(), VX_LIST_NULL);
  EXPECT_STREQ(vx_error_module_name(vx_error_current_module()), "Linked List");
  vx_list_append(nullptr, &v[0]);
  EXPECT_EQ(vx_list_pop(nullptr), nullptr);
  EXPECT_EQ(vx_list_remove(nullptr, &v[0]), 0);
}

TEST_F(ListsAndStrings, TrimRemovesSpacesOnlyAtBothEnds) {
  char s[] = " a b ";
  vx_str_trim(s);
  EXPECT_STREQ(s, "a b");
  char t[] = "\ta b\t";
  vx_str_trim(t);
  EXPECT_STREQ(t, "\ta b\t");
  char all[] = "    ";
  vx_str_trim(all);
  EXPECT_STREQ(all, "");
  char none[] = "";
  vx_str_trim(none);
  EXPECT_STREQ(none, "");
}

TEST_F(ListsAndStrings, NewCopiesWholeOrPrefixAndIsTracked) {
  char* s = nullptr;
  ASSERT_EQ(vx_str_new(&s, "frogger", 0), 1);
  EXPECT_STREQ(s, "frogger");
  char* p = nullptr;
  ASSERT_EQ(vx_str_new(&p, "frogger", 4), 1);
  EXPECT_STREQ(p, "frog");
  EXPECT_GT(vx_mem_used(), 0);
  vx_str_free(s);
  vx_str_free(p);
  vx_str_free(nullptr);
  EXPECT_EQ(vx_error_current_code(), VX_STR_FREE_NULL);
}

TEST_F(ListsAndStrings, CheckedCopyRefusesALongerSource) {
  char dst[16] = "abc";
  EXPECT_EQ(vx_str_copy_checked(dst, "abcd"), 0);
  EXPECT_EQ(vx_error_current_code(), VX_STR_TOO_BIG);
  EXPECT_STREQ(dst, "abc");  // unchanged
  EXPECT_EQ(vx_str_copy_checked(dst, "xyz"), 1);
  EXPECT_STREQ(dst, "xyz");
}

TEST_F(ListsAndStrings, CaseReplaceAndNumbers) {
  char s[] = "Pond-Sprint";
  vx_str_upper(s);
  EXPECT_STREQ(s, "POND-SPRINT");
  vx_str_lower(s);
  EXPECT_STREQ(s, "pond-sprint");
  EXPECT_EQ(vx_str_replace_char(s, '-', ' '), 11);
  EXPECT_STREQ(s, "pond sprint");
  char n[32];
  vx_str_from_short(n, sizeof n, -32768);
  EXPECT_STREQ(n, "-32768");
  vx_str_from_ullong(n, sizeof n, 18446744073709551615ull);
  EXPECT_STREQ(n, "18446744073709551615");
  vx_str_from_float(n, sizeof n, 0.5f);
  EXPECT_STREQ(n, "0.500000");
  EXPECT_EQ(vx_str_from_int(n, 3, 12345), 0);  // does not fit: refused, not overrun
  EXPECT_DOUBLE_EQ(vx_str_to_double("2.25"), 2.25);
  EXPECT_FLOAT_EQ(vx_str_to_float(nullptr), 0.0f);
  EXPECT_EQ(vx_error_current_code(), VX_STR_NULL);
}

}  // namespace

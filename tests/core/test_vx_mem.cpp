// Tests of the memory tracker: records and statistics, names, reallocation, leak report, name dump and a random run.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_list.h"
#include "core/vx_mem.h"
#include "core/vx_mem_heap.h"
#include "tests/support/engine_fixture.h"

namespace {

using support::box_log;


bool boxed(const std::string& entry) {
  for (auto& b : box_log())
    if (b == entry) return true;
  return false;
}

VX_MEM_STATS stats() {
  VX_MEM_STATS s;
  vx_mem_stats(&s);
  return s;
}

class MemTest : public ::testing::Test {
 protected:
  VX_ERROR_SETTINGS err_{0};
  VX_MEM_SETTINGS mem_{0, 64 * 1024};
  long long base_ = 0;  // `used` after start-up: the name buffer and its record

  void SetUp() override {
    box_log().clear();
    vx_mem_set_stats_writer(nullptr);  // another module's tests may have left theirs
    vx_error_set_box(support::record_box);
    vx_error_init(&err_);
    vx_list_init(&err_);
  }
  void start(int debug = 0, size_t heap = 64 * 1024) {
    mem_ = VX_MEM_SETTINGS{debug, heap};
    ASSERT_EQ(vx_mem_init(&mem_), 1);
    base_ = vx_mem_used();
  }
  void TearDown() override {
    vx_mem_deinit();
    vx_mem_set_stats_writer(nullptr);
    vx_error_set_box(nullptr);
  }
};

// ---------------------------------------------------------------- start and statistics

TEST_F(MemTest, UsedCountsTheSizeAskedForPlusTwelvePerRecord) {
  start();
  void* a = vx_mem_malloc(100);
  void* b = vx_mem_malloc(1);
  EXPECT_EQ(vx_mem_used(), base_ + 112 + 13);
  EXPECT_EQ(stats().count, 3);
  vx_mem_free(a);
  EXPECT_EQ(vx_mem_used(), base_ + 13);
  EXPECT_EQ(vx_mem_max_used(), base_ + 125);
  EXPECT_EQ(stats().max_count, 3);
  vx_mem_free(b);
  EXPECT_EQ(vx_mem_used(), base_);
  void* empty = vx_mem_malloc(0);  // a block of its own, counted by its record only
  void* fresh = vx_mem_realloc(nullptr, 40);
  ASSERT_TRUE(empty && fresh);
  EXPECT_EQ(vx_mem_used(), base_ + 12 + 52);
  vx_mem_free(empty);
  vx_mem_free(fresh);
  EXPECT_EQ(vx_mem_used(), base_);
  EXPECT_EQ(vx_mem_heap_check(nullptr), 2);
}

// ---------------------------------------------------------------- realloc

TEST_F(MemTest, ReallocKeepsDataAndNameAndMovesUsedByTheDifference) {
  start();
  auto* p = static_cast<unsigned char*>(vx_mem_malloc(100));
  vx_mem_malloc(8);  // forces a move on growth
  for (int i = 0; i < 100; ++i) p[i] = static_cast<unsigned char>(i * 3);
  vx_mem_name(p, "table");
  auto* q = static_cast<unsigned char*>(vx_mem_realloc(p, 1000));
  ASSERT_NE(q, nullptr);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(q[i], static_cast<unsigned char>(i * 3));
  EXPECT_STREQ(vx_mem_get_name(q), "table");
  EXPECT_EQ(vx_mem_get_name(p), nullptr);
  EXPECT_EQ(vx_mem_used(), base_ + 1012 + 20);
  q = static_cast<unsigned char*>(vx_mem_realloc(q, 50));
  for (int i = 0; i < 50; ++i) ASSERT_EQ(q[i], static_cast<unsigned char>(i * 3));
  EXPECT_EQ(vx_mem_used(), base_ + 62 + 20);
}

// ---------------------------------------------------------------- free

TEST_F(MemTest, FreeingNullOrAForeignPointer) {
  start();
  vx_mem_free(nullptr);
  EXPECT_STREQ(vx_error_module_name(vx_error_current_module()), "Memory");
  EXPECT_EQ(vx_error_current_code(), VX_MEM_FREE_NULL);
  // Not a block: code 9, nothing changes.
  auto* a = static_cast<char*>(vx_mem_malloc(100));
  int local = 0;
  VX_MEM_STATS before = stats();
  for (void* bad : {static_cast<void*>(&local), static_cast<void*>(a + 8)}) {
    vx_error_set(-1, -1);
    vx_mem_free(bad);
    EXPECT_EQ(vx_error_current_code(), VX_MEM_NOT_A_BLOCK);
    VX_MEM_STATS after = stats();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
  }
  vx_mem_raw_free(&local);
  EXPECT_EQ(vx_error_current_code(), VX_MEM_NOT_A_BLOCK);
  EXPECT_EQ(vx_mem_heap_check(nullptr), 2);
  vx_mem_free(a);
  EXPECT_EQ(vx_mem_used(), base_);
  // An untracked heap block is freed with a warning.
  void* raw = vx_mem_raw_alloc(40);
  long long free_before = stats().heap_free;
  vx_mem_free(raw);
  EXPECT_TRUE(boxed("Alert|Warning, did not add with vx_malloc()"));
  EXPECT_GT(stats().heap_free, free_before);
  EXPECT_EQ(vx_mem_used(), base_);
}

// ---------------------------------------------------------------- names

TEST_F(MemTest, NamesAndRenames) {
  start();
  void* p = vx_mem_malloc(10);
  EXPECT_EQ(vx_mem_get_name(p), nullptr);
  EXPECT_EQ(vx_mem_name(p, "first"), 1);
  EXPECT_STREQ(vx_mem_get_name(p), "first");
  EXPECT_EQ(vx_mem_name(p, "second"), 1);
  EXPECT_STREQ(vx_mem_get_name(p), "second (Previously known as first)");
  EXPECT_EQ(vx_mem_used(), base_ + 22);  // names are not counted
  vx_mem_free(p);
  p = vx_mem_alloc_named(32, "VX_DSP virtual buffer.");
  EXPECT_STREQ(vx_mem_get_name(p), "VX_DSP virtual buffer.");
  vx_mem_free(p);
  // Naming null or an unknown pointer fails.
  EXPECT_EQ(vx_mem_name(nullptr, "x"), 0);
  EXPECT_EQ(vx_error_current_code(), VX_MEM_NAME_NULL);
  int local = 0;
  EXPECT_EQ(vx_mem_name(&local, "stray"), 0);
  EXPECT_EQ(vx_error_current_code(), VX_MEM_NAME_FOREIGN);
  EXPECT_STREQ(vx_error_detail_text(), "Name: stray");
  EXPECT_EQ(vx_mem_get_name(&local), nullptr);
}

// ---------------------------------------------------------------- shutdown

TEST_F(MemTest, ALeftBlockIsReportedAtShutdownInDebugOnly) {
  for (int debug : {1, 0}) {
    SCOPED_TRACE(debug);
    box_log().clear();
    start(debug);
    void* p = vx_mem_malloc(100);
    vx_mem_name(p, "leaky");
    testing::internal::CaptureStderr();
    EXPECT_EQ(vx_mem_deinit(), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(vx_mem_used(), 112);
    EXPECT_EQ(boxed("Alert|Memory not all freed: 112 bytes left"), debug == 1);
    EXPECT_EQ(err.find("Memory Info: Pointer not freed before exit! Name: 'leaky' Size: '100'") != std::string::npos,
              debug == 1);
    if (!debug) {
      EXPECT_EQ(err, "");
      EXPECT_TRUE(box_log().empty());
    }
  }
}

// ---------------------------------------------------------------- before the start and after the end

// ---------------------------------------------------------------- random run against a model

struct ModelBlock {
  unsigned char* ptr;
  size_t size;
  unsigned char seed;
};

void fill(const ModelBlock& b) {
  for (size_t i = 0; i < b.size; ++i) b.ptr[i] = static_cast<unsigned char>(b.seed + i * 31);
}

bool intact(const ModelBlock& b, size_t n) {
  for (size_t i = 0; i < n && i < b.size; ++i)
    if (b.ptr[i] != static_cast<unsigned char>(b.seed + i * 31)) return false;
  return true;
}

TEST_F(MemTest, ARandomRunMatchesAReferenceModel) {
  start();
  std::mt19937 rng(20240611);  // fixed seed: the run is the same every time
  auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
  auto random_size = [&]() -> size_t {
    size_t r = pick(100);
    if (r < 70) return pick(257);
    if (r < 97) return 257 + pick(4000);
    return 4000 + pick(70000);
  };
  std::vector<ModelBlock> live;
  long long model_used = base_;
  int aligned = 0;  // alignments pushed
  // every block handed out while an alignment is pushed is aligned to at least 16
  auto aligned_enough = [&](const void* p) { return !aligned || reinterpret_cast<uintptr_t>(p) % 16 == 0; };
  for (int step = 0; step < 20000; ++step) {
    size_t op = pick(100);
    if (live.size() > 300) op = 99;
    if (op < 2) {
      if (aligned && pick(2)) {
        vx_mem_align_pop();
        aligned--;
      } else {
        vx_mem_align_push(pick(2) ? 16 : 64);
        aligned++;
      }
    } else if (op < 40) {
      size_t size = random_size();
      ModelBlock b{static_cast<unsigned char*>(vx_mem_malloc(size)), size, static_cast<unsigned char>(step)};
      ASSERT_NE(b.ptr, nullptr);
      ASSERT_TRUE(aligned_enough(b.ptr)) << "step " << step;
      model_used += static_cast<long long>(size) + 12;
      fill(b);
      live.push_back(b);
    } else if (op < 50) {
      size_t count = 1 + pick(20), size = 1 + pick(100);
      ModelBlock b{static_cast<unsigned char*>(vx_mem_calloc(count, size)), count * size,
                   static_cast<unsigned char>(step)};
      ASSERT_NE(b.ptr, nullptr);
      ASSERT_TRUE(aligned_enough(b.ptr)) << "step " << step;
      for (size_t i = 0; i < b.size; ++i) ASSERT_EQ(b.ptr[i], 0);
      model_used += static_cast<long long>(b.size) + 12;
      fill(b);
      live.push_back(b);
    } else if (op < 75 && !live.empty()) {
      size_t i = pick(live.size());
      size_t size = pick(50) == 0 ? 0 : random_size();
      auto* q = static_cast<unsigned char*>(vx_mem_realloc(live[i].ptr, size));
      model_used += static_cast<long long>(size) - static_cast<long long>(live[i].size);
      if (size == 0) {
        ASSERT_EQ(q, nullptr);
        model_used -= 12;
        live.erase(live.begin() + static_cast<long>(i));
      } else {
        ASSERT_NE(q, nullptr);
        // a block that stays in place keeps the alignment it was given
        if (q != live[i].ptr) {
          ASSERT_TRUE(aligned_enough(q)) << "step " << step;
        }
        live[i].ptr = q;
        ASSERT_TRUE(intact(live[i], size)) << "step " << step;
        live[i].size = size;
        fill(live[i]);
      }
    } else if (!live.empty()) {
      size_t i = pick(live.size());
      ASSERT_TRUE(intact(live[i], live[i].size)) << "step " << step;
      vx_mem_free(live[i].ptr);
      model_used -= static_cast<long long>(live[i].size) + 12;
      live.erase(live.begin() + static_cast<long>(i));
    }
    ASSERT_EQ(vx_mem_used(), model_used) << "step " << step;
    if (step % 500 == 0) {
      ASSERT_EQ(vx_mem_heap_check(nullptr), 2) << "step " << step;
      for (auto& b : live) ASSERT_TRUE(intact(b, b.size)) << "step " << step;
    }
  }
  while (aligned--) vx_mem_align_pop();
  for (auto& b : live) {
    ASSERT_TRUE(intact(b, b.size));
    vx_mem_free(b.ptr);
  }
  EXPECT_EQ(vx_mem_used(), base_);
  EXPECT_EQ(vx_mem_heap_check(nullptr), 2);
  EXPECT_EQ(vx_mem_deinit(), 1);
}

}  // namespace

// Tests of the memory tracker's heap: split and merge, best fit, new buffers, reallocation, alignment and the check.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_list.h"
#include "core/vx_mem.h"
#include "core/vx_mem_heap.h"
#include "tests/support/engine_fixture.h"

namespace {

using support::box_log;


std::vector<VX_MEM_HEAP_ELEMENT> chain(int buffer) {
  int n = vx_mem_heap_elements(buffer, nullptr, 0);
  std::vector<VX_MEM_HEAP_ELEMENT> out(n > 0 ? n : 0);
  vx_mem_heap_elements(buffer, out.data(), n);
  return out;
}

VX_MEM_HEAP_STATS heap_stats() {
  VX_MEM_HEAP_STATS s;
  vx_mem_heap_stats(&s);
  return s;
}

VX_MEM_ELE* header(void* p) { return reinterpret_cast<VX_MEM_ELE*>(static_cast<char*>(p) - VX_MEM_ELE_SIZE); }

bool same_chain(const std::vector<VX_MEM_HEAP_ELEMENT>& a, const std::vector<VX_MEM_HEAP_ELEMENT>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].offset != b[i].offset || a[i].size != b[i].size || a[i].used != b[i].used) return false;
  return true;
}

class MemHeapTest : public ::testing::Test {
 protected:
  VX_ERROR_SETTINGS err_{0};
  VX_MEM_SETTINGS mem_{0, 64 * 1024};

  void SetUp() override {
    box_log().clear();
    vx_mem_set_stats_writer(nullptr);  // another module's tests may have left theirs
    vx_error_set_box(support::record_box);
    vx_error_init(&err_);
    vx_list_init(&err_);
    ASSERT_EQ(vx_mem_init(&mem_), 1);
  }
  void TearDown() override {
    vx_mem_deinit();
    vx_error_set_box(nullptr);
  }

  // A fresh heap for the next case of a table; blocks left are dropped with the old one.
  void restart() {
    vx_mem_deinit();
    ASSERT_EQ(vx_mem_init(&mem_), 1);
  }

  // The last element of buffer 0: right after start-up, its one free element.
  VX_MEM_HEAP_ELEMENT tail() { return chain(0).back(); }

  // Takes the whole free tail of buffer 0, so that only holes made by the test stay free.
  void* exhaust_tail() {
    VX_MEM_HEAP_ELEMENT t = tail();
    EXPECT_EQ(t.used, 0);
    void* p = vx_mem_heap_alloc(t.size, 0);
    EXPECT_EQ(tail().used, 1);
    return p;
  }

  // Free holes of the given sizes, in address order, each between two used
  // blocks; the tail stays free after them. All blocks are placed before any
  // is freed, so that no hole is carved out of an earlier one.
  std::vector<void*> holes(const std::vector<uint32_t>& sizes) {
    std::vector<void*> out;
    for (uint32_t size : sizes) {
      out.push_back(vx_mem_heap_alloc(size, 0));
      vx_mem_heap_alloc(4, 0);  // the guard keeps the hole from merging with its neighbour
    }
    for (void* p : out) vx_mem_heap_free(p);
    return out;
  }
};

// ---------------------------------------------------------------- start and split

TEST_F(MemHeapTest, ASplitPlacesBlocksBackToBackAndShrinksTheTail) {
  VX_MEM_HEAP_ELEMENT before = tail();
  long long free_before = heap_stats().free;
  char* a = static_cast<char*>(vx_mem_heap_alloc(100, 0));
  char* b = static_cast<char*>(vx_mem_heap_alloc(37, 0));  // rounded up to 40
  ASSERT_TRUE(a && b);
  EXPECT_EQ(b, a + 100 + VX_MEM_ELE_SIZE);
  EXPECT_EQ(nums(header(b)->size, vx_mem_heap_block_size(b)), nums(40, 40));
  EXPECT_EQ(tail().size, before.size - 100 - 40 - 2 * VX_MEM_ELE_SIZE);
  EXPECT_EQ(heap_stats().free, free_before - 140 - 2 * 44);
  // An empty request still gets a block of its own.
  void* e1 = vx_mem_heap_alloc(0, 0);
  void* e2 = vx_mem_heap_alloc(0, 0);
  ASSERT_TRUE(e1 && e2);
  EXPECT_NE(e1, e2);
  EXPECT_EQ(vx_mem_heap_block_size(e1), 4u);
  EXPECT_EQ(vx_mem_heap_free(e1), 1);
  EXPECT_EQ(vx_mem_heap_check(nullptr), 2);
}

// ---------------------------------------------------------------- merge

TEST_F(MemHeapTest, FreeingMergesWithFreeNeighbours) {
  void* a = vx_mem_heap_alloc(100, 0);
  void* b = vx_mem_heap_alloc(200, 0);
  vx_mem_heap_alloc(8, 0);  // keeps b away from the tail
  long long free_before = heap_stats().free;
  size_t elements = chain(0).size();
  ASSERT_EQ(vx_mem_heap_free(a), 1);
  EXPECT_EQ(heap_stats().free, free_before + 100);
  ASSERT_EQ(vx_mem_heap_free(b), 1);  // merges with the free element before it
  EXPECT_EQ(heap_stats().free, free_before + 100 + 200 + 44);
  EXPECT_EQ(chain(0).size(), elements - 1);
  bool found = false;
  for (auto& e : chain(0)) {
    if (e.offset == header(a)->self) {
      found = true;
      EXPECT_EQ(nums(e.size, e.used), nums(100 + 44 + 200, 0));
    }
  }
  EXPECT_TRUE(found);
  // In reverse order: merges with the next element.
  restart();
  a = vx_mem_heap_alloc(100, 0);
  b = vx_mem_heap_alloc(200, 0);
  vx_mem_heap_alloc(8, 0);
  free_before = heap_stats().free;
  vx_mem_heap_free(b);
  vx_mem_heap_free(a);
  EXPECT_EQ(heap_stats().free, free_before + 100 + 200 + 44);
  // The block between two free elements: all three merge.
  restart();
  a = vx_mem_heap_alloc(100, 0);
  b = vx_mem_heap_alloc(60, 0);
  void* c = vx_mem_heap_alloc(200, 0);
  vx_mem_heap_alloc(8, 0);
  vx_mem_heap_free(a);
  vx_mem_heap_free(c);
  free_before = heap_stats().free;
  elements = chain(0).size();
  vx_mem_heap_free(b);
  EXPECT_EQ(heap_stats().free, free_before + 60 + 2 * 44);
  EXPECT_EQ(chain(0).size(), elements - 2);
  EXPECT_EQ(vx_mem_heap_check(nullptr), 2);
  // The last block merges back into the tail.
  restart();
  VX_MEM_HEAP_ELEMENT before = tail();
  vx_mem_heap_free(vx_mem_heap_alloc(500, 0));
  EXPECT_EQ(nums(tail().offset, tail().size), nums(before.offset, before.size));
}

// ---------------------------------------------------------------- whole or split

TEST_F(MemHeapTest, AFreeElementIsTakenWholeUnlessTheSurplusHoldsAHeader) {
  struct Case {
    uint32_t request, block;  // the size asked for from a 200-byte hole and the block's size
    int new_elements;
  };
  const Case cases[] = {
      {200 - 44, 200, 0},  // surplus 44: taken whole
      {200 - 45, 200, 0},  // 155 rounds up to 156: surplus 44
      {200 - 48, 152, 1},  // sizes are multiples of 4: 48 is the first surplus of 45 or more; a 4-byte element is left
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    restart();
    void* h = holes({200})[0];
    exhaust_tail();
    const long long free_before = heap_stats().free;
    const size_t elements = chain(0).size();
    void* p = vx_mem_heap_alloc(c.request, 0);
    EXPECT_EQ(p, h);
    EXPECT_EQ(header(p)->size, c.block);
    EXPECT_EQ(chain(0).size(), elements + size_t(c.new_elements));
    EXPECT_EQ(heap_stats().free, free_before - c.block - 44 * c.new_elements);
    if (c.new_elements) {
      EXPECT_EQ(header(p)->next, header(p)->self + 44 + 152);
    }
    EXPECT_EQ(vx_mem_heap_check(nullptr), 2);
  }
}

// ---------------------------------------------------------------- best fit

TEST_F(MemHeapTest, BestFit) {
  struct Case {
    const char* what;
    std::vector<uint32_t> holes;
    bool exhaust;  // take the free tail first
    size_t chosen;
  };
  const Case cases[] = {
      {"an exact fit before any other", {300, 100, 104}, false, 1},
      {"one that can be split before a closer small surplus", {108, 160, 300}, true, 1},  // surpluses 8, 60, 200
      {"without splittable ones the smallest surplus", {140, 108, 120}, true, 1},          // surpluses 40, 8, 20
      {"a small surplus no longer wins once a splittable one is chosen", {200, 104}, true, 0},  // 100 first, then 4
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    restart();
    const std::vector<void*> h = holes(c.holes);
    if (c.exhaust) exhaust_tail();
    EXPECT_EQ(vx_mem_heap_alloc(100, 0), h[c.chosen]);
  }
}

// ---------------------------------------------------------------- new buffers

TEST_F(MemHeapTest, AFullHeapAddsABufferOfAtLeastOneMegabyte) {
  exhaust_tail();
  long long free_before = heap_stats().free;
  void* p = vx_mem_heap_alloc(100, 0);
  ASSERT_NE(p, nullptr);
  EXPECT_STREQ(vx_error_module_name(vx_error_current_module()), "Memory");
  EXPECT_EQ(vx_error_current_code(), VX_MEM_NEW_BUFFER);
  ASSERT_EQ(vx_mem_heap_buffer_count(), 2);
  VX_MEM_BUFFER* second = vx_mem_heap_buffer(1);
  EXPECT_EQ(second->size, 0x100000u + 44u);
  EXPECT_EQ(second->prev, 0u);
  EXPECT_EQ(vx_mem_heap_buffer(0)->next, 1u);
  // the new buffer's one free element gave 100 bytes and a header
  EXPECT_EQ(heap_stats().free, free_before + 0x100000 - 100 - 44);
  EXPECT_EQ(heap_stats().buffers, 2);
  EXPECT_EQ(vx_mem_heap_check(second), 2);
  EXPECT_EQ(vx_mem_heap_check(nullptr), 2);
  EXPECT_EQ(vx_mem_heap_free(p), 1);
}

TEST_F(MemHeapTest, ARequestNoBufferCanHoldFailsAndChangesNothing) {
  VX_MEM_HEAP_STATS before = heap_stats();
  EXPECT_EQ(vx_mem_heap_alloc(static_cast<size_t>(1) << 40, 0), nullptr);
  EXPECT_EQ(vx_mem_heap_alloc(static_cast<size_t>(-1), 0), nullptr);
  EXPECT_EQ(vx_mem_heap_buffer_count(), 1);
  EXPECT_EQ(heap_stats().free, before.free);
  EXPECT_EQ(vx_mem_heap_check(nullptr), 2);
}

// ---------------------------------------------------------------- realloc

TEST_F(MemHeapTest, ReallocInPlaceOrMoved) {
  enum Next { TAIL, USED, HOLE60 };  // what follows the block: the free tail, a used block, a free 60-byte element
  struct Case {
    const char* what;
    uint32_t size;
    Next next;
    uint32_t new_size;
    bool moves;
    uint32_t block;          // the block's size afterwards
    long long free_change;   // of the heap's free bytes
  };
  const Case cases[] = {
      {"grows in place into a free next element", 100, TAIL, 300, false, 300, -200},
      // 100 + 44 + 60 = 204: 24 bytes spare.
      {"takes the whole next element when little would be left", 100, HOLE60, 180, false, 204, -60},
      {"moves when the next element is used", 100, USED, 400, true, 400, -400 - 44 + 100},
      {"shrinks by splitting off more than a header", 400, USED, 100, false, 100, 400 - 100 - 44},
      {"a shrink's cut merges with the free tail", 400, TAIL, 100, false, 100, 400 - 100},
      {"keeps the block when at most 44 bytes would be cut", 100, TAIL, 56, false, 100, 0},
      {"same size", 100, TAIL, 100, false, 100, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    restart();
    auto* a = static_cast<unsigned char*>(vx_mem_heap_alloc(c.size, 0));
    if (c.next == HOLE60) {
      void* n = vx_mem_heap_alloc(60, 0);
      vx_mem_heap_alloc(8, 0);
      vx_mem_heap_free(n);
    }
    if (c.next == USED) vx_mem_heap_alloc(8, 0);
    for (uint32_t i = 0; i < c.size; ++i) a[i] = static_cast<unsigned char>(i * 7);
    const long long free_before = heap_stats().free;
    const size_t elements = chain(0).size();
    auto* b = static_cast<unsigned char*>(vx_mem_heap_realloc(a, c.new_size, 0));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b != a, c.moves);
    if (c.moves) {
      EXPECT_EQ(vx_mem_heap_block_size(a), 0u) << "the old block was freed";
    }
    EXPECT_EQ(header(b)->size, c.block);
    EXPECT_EQ(heap_stats().free - free_before, c.free_change);
    if (c.next == TAIL) {
      EXPECT_EQ(chain(0).size(), elements);
    }
    for (uint32_t i = 0; i < std::min(c.size, c.new_size); ++i) ASSERT_EQ(b[i], static_cast<unsigned char>(i * 7)) << i;
    EXPECT_EQ(vx_mem_heap_check(nullptr), 2);
  }
}

// ---------------------------------------------------------------- alignment

TEST_F(MemHeapTest, PushedAlignmentAlignsEveryBlockUntilThePop) {
  vx_mem_align_push(16);
  std::vector<void*> blocks;
  for (size_t size = 1; size < 300; size += 7) {
    void* p = vx_mem_malloc(size);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u) << size;
    EXPECT_GE(vx_mem_heap_block_size(p), size);
    std::memset(p, 0xEE, size);
    blocks.push_back(p);
  }
  void* moved = vx_mem_realloc(blocks[3], 5000);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(moved) % 16, 0u);
  blocks[3] = moved;
  vx_mem_align_push(64);
  void* wide = vx_mem_malloc(10);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(wide) % 64, 0u);
  vx_mem_align_pop();
  void* back16 = vx_mem_malloc(10);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(back16) % 16, 0u);
  EXPECT_EQ(vx_mem_heap_check(nullptr), 2);
  for (void* p : blocks) vx_mem_free(p);
  vx_mem_free(wide);
  vx_mem_free(back16);
  vx_mem_align_pop();
  EXPECT_EQ(vx_mem_heap_check(nullptr), 2);
}

// ---------------------------------------------------------------- bad blocks and the check

TEST_F(MemHeapTest, FreeingAPointerThatIsNotABlockChangesNothing) {
  char* a = static_cast<char*>(vx_mem_heap_alloc(100, 0));
  int local = 0;
  auto before = chain(0);
  VX_MEM_HEAP_STATS stats_before = heap_stats();
  for (void* bad : {static_cast<void*>(a + 4), static_cast<void*>(a + 1), static_cast<void*>(&local),
                    static_cast<void*>(nullptr)}) {
    vx_error_set(-1, -1);
    EXPECT_EQ(vx_mem_heap_free(bad), 0);
    EXPECT_EQ(vx_error_current_code(), VX_MEM_NOT_A_BLOCK);
    EXPECT_EQ(vx_mem_heap_block_size(bad), 0u);
  }
  EXPECT_TRUE(same_chain(before, chain(0)));
  EXPECT_EQ(heap_stats().free, stats_before.free);
  EXPECT_EQ(vx_mem_heap_free(a), 1);
  EXPECT_EQ(vx_mem_heap_free(a), 0);  // a second free finds a free header
}

TEST_F(MemHeapTest, TheCheckFindsCorruption) {
  void* a = vx_mem_heap_alloc(32, 0);
  void* f = vx_mem_heap_alloc(32, 0);
  vx_mem_heap_alloc(8, 0);
  vx_mem_heap_free(f);
  VX_MEM_BUFFER* buf = vx_mem_heap_buffer(0);
  int local = 0;
  struct Case {
    const char* what;
    uint32_t* word;
    uint32_t bad;
    const char* box;  // the first box, null when not looked at
  };
  const Case cases[] = {
      {"used magic", &header(a)->magic, 0xDEADBEEF, "Alert|vx_mem_heap_check error"},
      {"free magic", &header(f)->magic, VX_MEM_USED_MAGIC, nullptr},
      {"free list head", &buf->free_head, 0, "Alert|vx_mem_heap_check free error"},  // the list loses its elements
      {"buffer magic", &buf->magic, buf->magic ^ 1, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    box_log().clear();
    const uint32_t saved = *c.word;
    *c.word = c.bad;
    EXPECT_EQ(vx_mem_heap_check(nullptr), 0);
    if (c.box) {
      ASSERT_FALSE(box_log().empty());
      EXPECT_EQ(box_log().front(), c.box);
    }
    if (c.word == &buf->magic) {
      EXPECT_EQ(vx_mem_heap_check(buf), 0);
    }
    *c.word = saved;
    EXPECT_EQ(vx_mem_heap_check(nullptr), 2);
  }
  EXPECT_EQ(vx_mem_heap_check(&local), 0) << "not a buffer";
  EXPECT_EQ(vx_mem_heap_check(buf), 2);
}

}  // namespace

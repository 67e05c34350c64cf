// The error module and the memory tracker around a test: started quietly, every box recorded, and at the end no block left and the heap intact.
//
// Usage: derive the fixture from support::EngineTest (or call its SetUp and
// TearDown from your own). `boxes()` returns what the boxes said since the
// last call, one "caption|text" line each; `boxed(s)` whether one said
// exactly that. The tracker runs with its debug switch off and the heap
// size `heap` (0: its default). Also `nums(...)`: values of several fields
// side by side, so one expectation compares a whole record:
// EXPECT_EQ(nums(r.x, r.y), nums(1, 2)).
#pragma once
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_mem.h"

namespace support {

template <typename... T>
std::vector<double> nums(T... v) {
  return {double(v)...};
}

// The boxes shown since the log was last read; a box answers OK.
inline std::vector<std::string>& box_log() {
  static std::vector<std::string> log;
  return log;
}
inline int record_box(const char* text, const char* caption, unsigned) {
  box_log().push_back(std::string(caption ? caption : "") + "|" + (text ? text : ""));
  return 1;
}

class EngineTest : public testing::Test {
 protected:
  explicit EngineTest(size_t heap = 0) : heap_(heap) {}

  void SetUp() override {
    box_log().clear();
    vx_error_set_box(record_box);
    static const VX_ERROR_SETTINGS quiet = {0};
    vx_error_init(&quiet);
    static VX_MEM_SETTINGS mem;  // the tracker keeps a pointer to it
    mem = {0, heap_};
    vx_mem_set_stats_writer(nullptr);
    ASSERT_EQ(vx_mem_init(&mem), 1);
    base_used_ = vx_mem_used();
  }
  void TearDown() override {
    EXPECT_EQ(vx_mem_used(), base_used_) << "blocks left allocated";
    EXPECT_EQ(vx_mem_heap_check(nullptr), 2) << "a write ran past its block";
    vx_mem_deinit();
    vx_error_deinit();
    vx_error_set_box(nullptr);
  }

  // Every box since the last call, as "caption|text" lines.
  static std::string boxes() {
    std::string out;
    for (const std::string& b : box_log()) out += b + "\n";
    box_log().clear();
    return out;
  }
  static bool boxed(const std::string& entry) {
    for (const std::string& b : box_log())
      if (b == entry) return true;
    return false;
  }

  size_t heap_;
  long long base_used_ = 0;
};

}  // namespace support

// The suites call it unqualified.
using support::nums;

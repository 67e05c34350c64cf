// Small helpers shared by the gen tests.
#pragma once
#include <vector>

// Values of several fields side by side, so that one expectation compares a
// whole record: EXPECT_EQ(nums(r.x, r.y), nums(1, 2)). Exact for integers and
// for the binary fractions the tests use. The arguments are evaluated in no
// set order: pass reads without side effects only.
template <typename... T>
std::vector<double> nums(T... v) {
  return {double(v)...};
}

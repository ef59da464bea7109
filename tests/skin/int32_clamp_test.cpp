#include "skin/int32_clamp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

TEST(ClampToInt32Test, WideIntegersAndFloatingPointValues) {
  EXPECT_EQ(ClampToInt32(int64_t{kMax} + 1), kMax);
  EXPECT_EQ(ClampToInt32(int64_t{kMin} - 1), kMin);
  EXPECT_EQ(ClampToInt32(int64_t{-5}), -5);
  struct Case {
    double value;
    int32_t expected;
  } cases[] = {{2147483647.0, kMax},
               {2147483648.0, kMax},
               {-2147483648.0, kMin},
               {-2147483649.0, kMin},
               {1.9, 1},
               {-1.9, -1},
               {std::nan(""), kMin},
               {INFINITY, kMax},
               {-INFINITY, kMin}};
  for (const Case& c : cases) {
    EXPECT_EQ(ClampToInt32(c.value), c.expected) << c.value;
    EXPECT_EQ(ClampToInt32(static_cast<long double>(c.value)), c.expected) << c.value;
  }
}

}  // namespace

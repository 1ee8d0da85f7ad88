// 64-bit sizes and their two 32-bit halves.
#include <gtest/gtest.h>

#include "fileio/modFileIO.h"

using namespace modFileIO;

TEST(Sizes64, HalvesRoundTripAcrossTheFourGigabyteLine) {
  uint32_t low = 1;
  int32_t high = 1;
  SizeToHalves(4294967295LL, low, high);
  EXPECT_EQ(low, 0xFFFFFFFFu);
  EXPECT_EQ(high, 0);
  SizeToHalves(4294967296LL, low, high);
  EXPECT_EQ(low, 0u);
  EXPECT_EQ(high, 1);
  EXPECT_EQ(HalvesToSize(0, 1), 4294967296LL);
  for (int64_t v : std::initializer_list<int64_t>{0, 1, 65535, 0x7FFFFFFF, 0x80000000LL, 0x123456789ALL, INT64_MAX}) {
    SizeToHalves(v, low, high);
    EXPECT_EQ(HalvesToSize(low, high), v);
  }
}

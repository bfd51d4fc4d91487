// The framework's value types.
#include <platform/Types.h>

#include <gtest/gtest.h>

TEST(ColorTest, RedIsTheLowByte) {
  EXPECT_EQ(RGB(255, 0, 0), 0x000000FFu);
  EXPECT_EQ(RGB(0, 0, 255), 0x00FF0000u);
  EXPECT_EQ(GetRValue(0x00FF00FF), 255);
  EXPECT_EQ(GetGValue(0x00FF00FF), 0);
  EXPECT_EQ(GetBValue(0x00FF00FF), 255);
}

#include <platform/ImageList.h>
#include <platform/Resources.h>

#include <gtest/gtest.h>

TEST(CImageListTest, AddsMaskedBitmapsAndIconsAndRemoves) {
  CImageList list;
  EXPECT_EQ(list.Add(nullptr, 0), -1);
  ASSERT_TRUE(list.Create(2, 2, ILC_COLOR8 | ILC_MASK, 5, 4));
  EXPECT_FALSE(list.Create(2, 2, ILC_COLOR8 | ILC_MASK, 5, 4));

  // The 4 x 2 red bitmap holds two 2 x 2 images.
  HBITMAP bitmap = LoadBitmap(AfxFindResourceHandle(7, RT_BITMAP), 7);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(list.Add(bitmap, RGB(255, 0, 255)), 0);
  EXPECT_EQ(list.GetImageCount(), 2);
  // With red as the mask colour every pixel becomes transparent.
  EXPECT_EQ(list.Add(bitmap, RGB(255, 0, 0)), 2);
  DeleteObject(bitmap);

  HICON icon = list.ExtractIcon(0);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(list.Replace(-1, icon), 4);
  EXPECT_EQ(list.GetImageCount(), 5);
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_EQ(list.ExtractIcon(5), nullptr);

  EXPECT_TRUE(list.Remove(0));
  EXPECT_EQ(list.GetImageCount(), 4);
  EXPECT_FALSE(list.Remove(9));
}

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
  EXPECT_EQ(ImageList_AddMasked(&list, bitmap, RGB(255, 0, 255)), 0);
  EXPECT_EQ(list.GetImageCount(), 2);
  // With red as the mask colour every pixel becomes transparent.
  EXPECT_EQ(ImageList_AddMasked(&list, bitmap, RGB(255, 0, 0)), 2);
  DeleteObject(bitmap);

  HICON icon = ImageList_GetIcon(&list, 0, ILD_NORMAL);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(ImageList_ReplaceIcon(&list, -1, icon), 4);
  EXPECT_EQ(ImageList_GetImageCount(&list), 5);
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_EQ(ImageList_GetIcon(&list, 5, ILD_NORMAL), nullptr);

  EXPECT_TRUE(ImageList_Remove(&list, 0));
  EXPECT_EQ(list.GetImageCount(), 4);
  EXPECT_FALSE(ImageList_Remove(&list, 9));
  EXPECT_TRUE(list.DeleteImageList());
  EXPECT_EQ(list.GetImageCount(), 0);
}

#include <platform/Resources.h>

#include "Handles.h"

#include <gtest/gtest.h>

TEST(ResourcesTest, FindsTheModulesOwnBitmap) {
  HINSTANCE module = AfxFindResourceHandle(7, RT_BITMAP);
  ASSERT_NE(module, nullptr);
  EXPECT_STREQ(module->m_lpszModuleName, "platform_tests");
  EXPECT_EQ(AfxFindResourceHandle(7, RT_GROUP_ICON), nullptr);
  EXPECT_EQ(AfxFindResourceHandle(8, RT_BITMAP), nullptr);

  HBITMAP bitmap = LoadBitmap(module, 7);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->image.size(), QSize(4, 2));
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_EQ(LoadBitmap(module, 8), nullptr);
}

TEST(ResourcesTest, TheGuardMakesAModuleCurrentForItsScope) {
  EXPECT_EQ(AfxGetModuleState(), nullptr);
  {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    EXPECT_EQ(AfxGetModuleState(), AfxGetStaticModuleState());
    {
      AFX_MODULE_STATE other{"other"};
      AFX_MANAGE_STATE(&other);
      EXPECT_EQ(AfxGetModuleState(), &other);
    }
    EXPECT_EQ(AfxGetModuleState(), AfxGetStaticModuleState());
  }
  EXPECT_EQ(AfxGetModuleState(), nullptr);
}

TEST(ResourcesTest, TheCurrentModulesOwnResourceComesFirst) {
  AFX_MODULE_STATE other{"platform_tests_other"};
  {
    AFX_MANAGE_STATE(&other);
    EXPECT_EQ(AfxFindResourceHandle(7, RT_BITMAP), &other);
  }
  EXPECT_EQ(AfxFindResourceHandle(7, RT_BITMAP), AfxGetStaticModuleState());
  // A current module without the resource falls back to the registered ones.
  AFX_MODULE_STATE empty{"empty"};
  AFX_MANAGE_STATE(&empty);
  EXPECT_EQ(AfxFindResourceHandle(7, RT_BITMAP), AfxGetStaticModuleState());
}

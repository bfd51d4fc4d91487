#include <platform/Wnd.h>
#include <textcolor/TextColor.h>

#include <gtest/gtest.h>

#include <QLabel>
#include <QWidget>

#include <memory>

namespace {

// Labels of a dialog with their control ids, as the colour handler sees them.
class TextColorTest : public ::testing::Test {
 protected:
  CWnd* Label(int id) {
    auto* label = new QLabel("0", &m_dialog);
    CWnd* wnd = CWnd::FromWidget(label);
    wnd->SetDlgCtrlID(id);
    return wnd;
  }

  QWidget m_dialog;
  CTextColor m_colors;
};

constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kRed = 0x0000FF;

}  // namespace

TEST_F(TextColorTest, AnswersRegisteredColoursAndZeroForOthers) {
  CWnd* total = Label(1037);
  CWnd* plain = Label(1500);
  // Nothing registered yet: true, with no colours.
  EXPECT_TRUE(m_colors.Check(plain));
  EXPECT_EQ(m_colors.m_crText, 0u);
  EXPECT_EQ(m_colors.m_crBack, 0u);

  m_colors.SetColor(1065, kBlue);
  m_colors.SetColor(1037, kRed, RGB(255, 255, 0));
  EXPECT_TRUE(m_colors.Check(total));
  EXPECT_EQ(m_colors.m_crText, kRed);
  EXPECT_EQ(m_colors.m_crBack, RGB(255, 255, 0));
  EXPECT_TRUE(m_colors.Check(plain));
  EXPECT_EQ(m_colors.m_crText, 0u);
  EXPECT_EQ(m_colors.m_crBack, 0u);
  EXPECT_TRUE(m_colors.Check(Label(1065)));
  EXPECT_EQ(m_colors.m_crText, kBlue);
}

TEST_F(TextColorTest, FirstRegistrationWinsAndBackgroundFormTakesTheColourFirst) {
  m_colors.SetColor(1037, kRed);
  m_colors.SetColor(1037, kBlue);
  EXPECT_TRUE(m_colors.Check(Label(1037)));
  EXPECT_EQ(m_colors.m_crText, kRed);

  CWnd* back = Label(1038);
  m_colors.SetBackColor(kRed, 1038);
  EXPECT_TRUE(m_colors.Check(back));
  EXPECT_EQ(m_colors.m_crText, 0u);
  EXPECT_EQ(m_colors.m_crBack, kRed);

  CWnd* text = Label(1039);
  m_colors.SetColor(1039, kRed);
  EXPECT_TRUE(m_colors.Check(text));
  EXPECT_EQ(m_colors.m_crText, kRed);
  EXPECT_EQ(m_colors.m_crBack, 0u);

  // Black cannot be told from "no colour": it is reported as 0.
  m_colors.SetColor(1040, 0);
  EXPECT_TRUE(m_colors.Check(Label(1040)));
  EXPECT_EQ(m_colors.m_crText, 0u);
}

TEST_F(TextColorTest, AWindowWithoutAnIdLeavesThePreviousAnswer) {
  m_colors.SetColor(1037, kRed, kBlue);
  ASSERT_TRUE(m_colors.Check(Label(1037)));
  EXPECT_FALSE(m_colors.Check(Label(0)));
  EXPECT_FALSE(m_colors.Check(nullptr));
  EXPECT_EQ(m_colors.m_crText, kRed);
  EXPECT_EQ(m_colors.m_crBack, kBlue);
}

TEST_F(TextColorTest, StopSilencesTheRegistryUntilResumed) {
  CWnd* total = Label(1037);
  m_colors.SetColor(1037, kRed, kBlue);
  ASSERT_TRUE(m_colors.Check(total));
  m_colors.Stop(true);
  EXPECT_FALSE(m_colors.Check(total));
  EXPECT_EQ(m_colors.m_crText, 0u);
  EXPECT_EQ(m_colors.m_crBack, 0u);
  m_colors.Stop(false);
  EXPECT_TRUE(m_colors.Check(total));
  EXPECT_EQ(m_colors.m_crText, kRed);
  EXPECT_EQ(m_colors.m_crBack, kBlue);
}

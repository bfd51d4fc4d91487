#pragma once
// A status bar in a real window, read back as the user sees it: the texts of
// its panes, which state icon pane 0 shows, and the progress control.
#include <platform/ProgressCtrl.h>
#include <platform/StatusBarCtrl.h>
#include <statusbar/Status.h>

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include <memory>

class StatusFixture : public ::testing::Test {
 protected:
  static constexpr int kWidth = 640;
  static constexpr int kHeight = 480;

  void SetUp() override;

  CStatusBarCtrl* Bar() const;
  CProgressCtrl* Progress() const;
  CString Label() const { return Bar()->GetText(0); }
  CString Text() const { return Bar()->GetText(1); }
  // Resource id (202..206) of the state icon drawn in pane 0, 0 for none.
  int ShownIcon() const;

  std::unique_ptr<QWidget> m_top;
  CWnd* m_parent = nullptr;
  CStatus m_status;
};

#pragma once
// A table over a real list view in a shown window, fresh for every test.
#include <platform/ListCtrl.h>
#include <table/Gridora.h>

#include <gtest/gtest.h>

#include <QWidget>

#include <initializer_list>
#include <memory>

class TableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_top = std::make_unique<QWidget>();
    m_top->resize(600, 300);
    m_dialog.Attach(m_top.get());
    ASSERT_TRUE(m_list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 580, 280), &m_dialog, 1002));
    m_top->show();
  }
  void TearDown() override {
    m_list.DestroyWindow();
    m_dialog.Detach();
  }
  // Set up with columns, then one row per list of cells, added in order.
  void Fill(std::initializer_list<const char*> titles,
            std::initializer_list<std::initializer_list<const char*>> rows) {
    m_table.Setup(&m_list);
    for (const char* title : titles) m_table.SetTitle(title, 80, 'L');
    for (const auto& row : rows) {
      for (const char* cell : row) m_table.AddRow(CString(cell));
      m_table.EndRow();
    }
  }
  // Column col from the top row down.
  std::vector<CString> Column(int col) {
    std::vector<CString> cells;
    for (int row = 0; row < m_table.GetNumOfRow(); ++row) cells.push_back(m_table.GetValStr(row, col));
    return cells;
  }

  std::unique_ptr<QWidget> m_top;
  CWnd m_dialog;
  CListCtrl m_list;
  CGridora m_table;
};

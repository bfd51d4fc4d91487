#pragma once
// CTableColumns: the file table's columns as the user arranges them. A right
// click on the header offers every column to show or hide (all but File name,
// the row's key), columns are dragged to another order in the header, and the
// order, widths and shown columns are kept in the settings file for the next
// run. A column keeps its number wherever it is shown, or when it is hidden,
// so whatever reads cells by column reads the same cells.
#include <base/String.h>
#include <platform/ListCtrl.h>

#include <optional>
#include <string>
#include <vector>

// The columns' arrangement; widths and shown are by column number.
struct ColumnLayout {
  std::vector<int> order;   // column numbers from left to right
  std::vector<int> widths;  // 0: the width the program chooses
  std::vector<bool> shown;
  friend bool operator==(const ColumnLayout&, const ColumnLayout&) = default;
};

// The kept text is a line per column from left to right: "1" or "0" (shown
// or hidden), a tab, its width, a tab, its title. Parsing gives nullopt
// unless every title is named exactly once with a width from 0 to 10000, and
// the first column (the row's key) is shown leftmost.
std::optional<ColumnLayout> ParseColumnLayout(const std::string& text, const std::vector<CString>& titles);
std::string FormatColumnLayout(const ColumnLayout& layout, const std::vector<CString>& titles);

class CTableColumns {
 public:
  explicit CTableColumns(CListCtrl& list) : m_list(list) {}

  // Once the columns are inserted: takes their widths as the defaults, lets
  // the user drag them, and arranges them as the settings file keeps them.
  void SetUp();
  // Writes the arrangement to the settings file.
  void Keep() const;
  // The header's menu at where (the list's client coordinates): a checked
  // item per shown column, in the order shown, and "Reset columns".
  void OfferColumns(CPoint where);
  // Widens the File name column to its longest name, up to a third of the
  // window, unless the user gave it a width.
  void FitNames();

 private:
  ColumnLayout Current() const;
  void Apply(const ColumnLayout& layout);
  bool NameWidthSet() const;

  CListCtrl& m_list;
  std::vector<CString> m_titles;
  ColumnLayout m_defaults;
  std::vector<int> m_hiddenWidths;  // what a hidden column shows with again
  int m_nNameWidthGiven = 0;        // the File name width the program gave last
  bool m_bNameWidthSet = false;     // the user gave File name a width, in this run or before
};

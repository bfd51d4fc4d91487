#include "TableColumns.h"

#include <platform/Menu.h>
#include <platform/Settings.h>

#include <algorithm>
#include <charconv>
#include <cstddef>

namespace {

constexpr const char* kColumnsSetting = "Table/Columns";
constexpr int kMaxWidth = 10000;
constexpr int kKeyColumn = 0;  // File name: never hidden, always leftmost
// The header menu's commands: a column's number + 1, then the reset.
constexpr UINT kResetCommand = 10000;
// How many of the longest names are measured; in a proportional font a name a
// few bytes shorter is rarely wider, and measuring 100,000 names is not free.
constexpr std::size_t kNamesMeasured = 64;
// The row's icon and the cell's margins beside the text.
constexpr int kNameCellExtra = 40;

std::size_t At(int col) { return static_cast<std::size_t>(col); }

bool ParseWidth(const std::string& text, int& width) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, width);
  return error == std::errc() && stop == end && !text.empty() && text[0] != '-' && width <= kMaxWidth;
}

}  // namespace

std::optional<ColumnLayout> ParseColumnLayout(const std::string& text, const std::vector<CString>& titles) {
  const int count = static_cast<int>(titles.size());
  ColumnLayout layout{{}, std::vector<int>(titles.size(), -1), std::vector<bool>(titles.size())};
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    const std::size_t tab = line.find('\t', 2);
    if (line.size() < 5 || (line[0] != '0' && line[0] != '1') || line[1] != '\t' || tab == std::string::npos)
      return std::nullopt;
    const auto title = std::find(titles.begin(), titles.end(), CString(line.substr(tab + 1)));
    if (title == titles.end()) return std::nullopt;
    const int col = static_cast<int>(title - titles.begin());
    int width = 0;
    if (layout.widths[At(col)] >= 0 || !ParseWidth(line.substr(2, tab - 2), width)) return std::nullopt;
    layout.widths[At(col)] = width;
    layout.shown[At(col)] = line[0] == '1';
    layout.order.push_back(col);
  }
  if (static_cast<int>(layout.order.size()) != count || count == 0 || layout.order[0] != kKeyColumn ||
      !layout.shown[kKeyColumn])
    return std::nullopt;
  return layout;
}

std::string FormatColumnLayout(const ColumnLayout& layout, const std::vector<CString>& titles) {
  std::string text;
  for (int col : layout.order) {
    if (!text.empty()) text += '\n';
    text += layout.shown[At(col)] ? "1\t" : "0\t";
    text += std::to_string(layout.widths[At(col)]) + '\t' + titles[At(col)].Str();
  }
  return text;
}

void CTableColumns::SetUp() {
  const int count = m_list.GetHeaderCtrl() ? m_list.GetHeaderCtrl()->GetItemCount() : 0;
  m_titles.clear();
  m_defaults = {};
  for (int col = 0; col < count; ++col) {
    LVCOLUMN column;
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    m_list.GetColumn(col, &column);
    m_titles.push_back(column.pszText);
    m_defaults.order.push_back(col);
    m_defaults.widths.push_back(column.cx);
    m_defaults.shown.push_back(true);
  }
  m_hiddenWidths = m_defaults.widths;
  m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_HEADERDRAGDROP);
  const std::optional<ColumnLayout> kept = ParseColumnLayout(platform::ReadSetting(kColumnsSetting).Str(), m_titles);
  m_bNameWidthSet = kept && kept->widths[kKeyColumn] > 0;
  Apply(kept.value_or(m_defaults));
}

void CTableColumns::Apply(const ColumnLayout& layout) {
  if (layout.order.size() != m_titles.size()) return;
  const int count = static_cast<int>(m_titles.size());
  for (int col = 0; col < count; ++col) {
    const int width = layout.widths[At(col)] > 0 ? layout.widths[At(col)] : m_defaults.widths[At(col)];
    m_list.ShowColumn(col, TRUE);
    m_list.SetColumnWidth(col, width);
    m_hiddenWidths[At(col)] = width;
    m_list.ShowColumn(col, layout.shown[At(col)] || col == kKeyColumn);
  }
  m_list.SetColumnOrderArray(count, layout.order.data());
  m_nNameWidthGiven = m_list.GetColumnWidth(kKeyColumn);
}

bool CTableColumns::NameWidthSet() const {
  return m_bNameWidthSet || m_list.GetColumnWidth(kKeyColumn) != m_nNameWidthGiven;
}

ColumnLayout CTableColumns::Current() const {
  ColumnLayout layout{std::vector<int>(m_titles.size()), {}, {}};
  if (m_titles.empty() || !m_list.GetColumnOrderArray(layout.order.data(), static_cast<int>(m_titles.size())))
    return m_defaults;
  for (int col = 0; col < static_cast<int>(m_titles.size()); ++col) {
    const bool shown = m_list.IsColumnShown(col) != FALSE;
    layout.shown.push_back(shown);
    layout.widths.push_back(shown ? m_list.GetColumnWidth(col) : m_hiddenWidths[At(col)]);
  }
  // A width the program chose is chosen again, for the next folder's names.
  if (!NameWidthSet()) layout.widths[kKeyColumn] = 0;
  return layout;
}

void CTableColumns::Keep() const {
  if (!m_titles.empty()) platform::WriteSetting(kColumnsSetting, CString(FormatColumnLayout(Current(), m_titles)));
}

void CTableColumns::OfferColumns(CPoint where) {
  const ColumnLayout now = Current();
  if (now.order.empty()) return;
  CMenu menu;
  menu.CreatePopupMenu();
  for (int col : now.order)
    menu.AppendMenu(MF_STRING | (now.shown[At(col)] ? MF_CHECKED : 0) | (col == kKeyColumn ? MF_GRAYED : 0),
                    static_cast<UINT_PTR>(col + 1), m_titles[At(col)].GetString());
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING, kResetCommand, "Reset columns");
  m_list.ClientToScreen(&where);
  const int chosen = menu.TrackPopupMenuEx(TPM_LEFTALIGN | TPM_RETURNCMD, where.x, where.y, &m_list);
  const int col = chosen - 1;
  if (chosen == static_cast<int>(kResetCommand)) {
    m_bNameWidthSet = false;
    Apply(m_defaults);
    FitNames();
  } else if (col > kKeyColumn && col < static_cast<int>(m_titles.size())) {
    if (now.shown[At(col)]) m_hiddenWidths[At(col)] = m_list.GetColumnWidth(col);
    m_list.ShowColumn(col, now.shown[At(col)] ? FALSE : TRUE);
  } else {
    return;
  }
  Keep();
}

void CTableColumns::FitNames() {
  if (m_titles.empty()) return;
  if (NameWidthSet()) {
    m_bNameWidthSet = true;
    return;
  }
  std::vector<CString> names;
  for (int row = 0; row < m_list.GetItemCount(); ++row) names.push_back(m_list.GetItemText(row, kKeyColumn));
  const auto longer = [](const CString& a, const CString& b) { return a.GetLength() > b.GetLength(); };
  const std::size_t measured = std::min(names.size(), kNamesMeasured);
  std::partial_sort(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(measured), names.end(), longer);
  int widest = 0;
  for (std::size_t k = 0; k < measured; ++k) widest = std::max(widest, m_list.GetStringWidth(names[k]));
  CRect window;
  if (CWnd* parent = m_list.GetParent()) parent->GetClientRect(&window);
  const int least = m_defaults.widths[kKeyColumn];
  const int width = std::clamp(widest + kNameCellExtra, least, std::max(least, static_cast<int>(window.Width()) / 3));
  m_list.SetColumnWidth(kKeyColumn, width);
  m_nNameWidthGiven = m_list.GetColumnWidth(kKeyColumn);
}

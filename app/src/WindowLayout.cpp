#include "WindowLayout.h"

#include "Resource.h"

#include <platform/DynamicLayout.h>
#include <platform/MessageBox.h>
#include <platform/StatusBarCtrl.h>
#include <platform/WinApp.h>

#include <algorithm>

namespace {

// The status bar's pane that counts the unsaved files, in dialog units.
constexpr int kUnsavedPaneWidth = 110;

}  // namespace

CRect CWindowLayout::ClientRectOf(CWnd& control) const {
  CRect rect;
  control.GetWindowRect(&rect);
  m_dlg.ScreenToClient(&rect);
  return rect;
}

void CWindowLayout::SetUp(CListCtrl& list, CWnd& tagsGroup) {
  m_pList = &list;
  m_pGroup = &tagsGroup;
  m_rcList = ClientRectOf(list);
  m_nListExpandedHeight = ClientRectOf(tagsGroup).bottom - m_rcList.top;
  m_bPanelHidden = false;
  m_dlg.EnableDynamicLayout();
  CMFCDynamicLayout* layout = m_dlg.GetDynamicLayout();
  using Layout = CMFCDynamicLayout;
  layout->AddItem(&list, Layout::MoveNone(), Layout::SizeHorizontalAndVertical(100, 100));
  for (int id : {IDC_SAVE_ALL, IDC_CANCEL_WORK, IDC_PLAY, IDC_TOGGLE_PANEL, IDC_DELETE_ROW})
    layout->AddItem(id, Layout::MoveHorizontal(100), Layout::SizeNone());
  for (CWnd* child = m_dlg.GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT)) {
    if (ClientRectOf(*child).top < m_rcList.bottom) continue;
    // The status bar spans the window's width; the rest keep their size.
    const bool spans = child->GetDlgCtrlID() == IDC_STATUS_BAR;
    layout->AddItem(child, Layout::MoveVertical(100), spans ? Layout::SizeHorizontal(100) : Layout::SizeNone());
  }
}

void CWindowLayout::LayoutStatusPanes() {
  auto* bar = dynamic_cast<CStatusBarCtrl*>(m_dlg.GetDlgItem(IDC_STATUS_BAR));
  if (!bar) return;
  int edges[3] = {0, -1, -1};
  const int parts = bar->GetParts(3, edges);
  const CString text = parts == 3 ? bar->GetText(2) : CString();
  CRect pane(0, 0, kUnsavedPaneWidth, 0);
  m_dlg.MapDialogRect(&pane);
  CRect client;
  bar->GetClientRect(&client);
  edges[1] = std::max(edges[0], static_cast<int>(client.Width() - pane.Width()));
  edges[2] = -1;
  bar->SetParts(3, edges);
  bar->SetText(text, 2);
}

void CWindowLayout::TogglePanel() {
  if (!m_pList) return;
  // The window may have grown since start-up: the list keeps its present
  // width, and both heights grow with the window, as the group box moves.
  const CRect list = ClientRectOf(*m_pList);
  const int expandedHeight = ClientRectOf(*m_pGroup).bottom - list.top;
  const int shownHeight = m_rcList.Height() + expandedHeight - m_nListExpandedHeight;
  // The list grows or shrinks a pixel at a time, painted at each step.
  const auto resizeList = [&](int height) {
    m_pList->MoveWindow(list.left, list.top, list.Width(), height, TRUE);
    m_pList->UpdateWindow();
  };
  m_bPanelHidden = !m_bPanelHidden;
  if (m_bPanelHidden) {
    for (int height = shownHeight; height <= expandedHeight; ++height) resizeList(height);
    ShowPanel(SW_HIDE);
    m_dlg.SetDlgItemText(IDC_TOGGLE_PANEL, "^");
  } else {
    ShowPanel(SW_SHOW);
    for (int height = expandedHeight; height >= shownHeight; --height) resizeList(height);
    m_dlg.SetDlgItemText(IDC_TOGGLE_PANEL, "_");
  }
}

void CWindowLayout::ShowPanel(int command) {
  const auto show = [&](int id) {
    if (CWnd* control = m_dlg.GetDlgItem(id)) control->ShowWindow(command);
  };
  for (int id = IDC_EDIT_FILENAME; id <= IDC_WEB_SITE; ++id) show(id);
  for (int id = IDC_COVER_FIRST; id <= IDC_COVER_LAST; ++id) show(id);
  for (int id = IDC_MORE_FIRST; id <= IDC_MORE_LAST; ++id) show(id);
  for (int id : {IDC_EDIT_GENRE, IDC_LABEL_GENRE, IDOK, ID_HELP}) show(id);
}

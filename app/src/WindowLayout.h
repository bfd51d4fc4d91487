#pragma once
// CWindowLayout: how the main window's controls share its space. The list
// takes the growth when the window is resized, the controls below it move
// with the bottom edge and the buttons at its right with the right edge; the
// panel toggle hides the tag panel and lets the list take its place; the
// status bar's last pane keeps its width at the right end.
#include <platform/Controls.h>
#include <platform/Dialog.h>
#include <platform/ListCtrl.h>

class CWindowLayout {
 public:
  explicit CWindowLayout(CDialog& dialog) : m_dlg(dialog) {}

  // Once the controls exist: the list's place, the height it grows to, the anchors.
  void SetUp(CListCtrl& list, CWnd& tagsGroup);
  // Hides the tag panel (the list grows over it) or shows it again.
  void TogglePanel();
  // The status bar's third pane, at its right end.
  void LayoutStatusPanes();

  bool IsPanelHidden() const { return m_bPanelHidden; }
  // The list's rectangle as the window opened, and its height without the panel.
  const CRect& ListRect() const { return m_rcList; }
  int ListExpandedHeight() const { return m_nListExpandedHeight; }

 private:
  // Shows (SW_SHOW) or hides (SW_HIDE) the tag panel, Exit and Help.
  void ShowPanel(int command);
  CRect ClientRectOf(CWnd& control) const;

  CDialog& m_dlg;
  CListCtrl* m_pList = nullptr;
  CWnd* m_pGroup = nullptr;
  CRect m_rcList;
  int m_nListExpandedHeight = 0;
  bool m_bPanelHidden = false;
};

#pragma once
// CWnd: a window, a Qt widget that it either made and owns or wraps (a
// control bound by a dialog). Widgets never appear in library headers.
#include <base/String.h>
#include <platform/Types.h>

#include <memory>

class QWidget;
class CMFCDynamicLayout;

class CWnd {
 public:
  CWnd();
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The widget's permanent wrapper, else a temporary one that lives as long as the widget.
  static CWnd* FromWidget(QWidget* widget);

  HWND GetSafeHwnd() const { return const_cast<CWnd*>(this); }
  QWidget* GetWidget() const;
  bool IsWindow() const { return GetWidget() != nullptr; }

  // Becomes widget's permanent wrapper; the widget stays its parent's.
  bool Attach(QWidget* widget);
  QWidget* Detach();
  // Destroys the widget this object made; a wrapped widget is only released.
  virtual BOOL DestroyWindow();

  int GetDlgCtrlID() const;
  void SetDlgCtrlID(int id);
  CWnd* GetParent() const;
  CWnd* GetDlgItem(int id) const;
  CWnd* GetWindow(UINT relation) const;

  void SetWindowText(const CString& text);
  CString GetWindowText() const;

  // Returns whether the window was disabled before.
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;
  // Returns whether the window was visible before.
  BOOL ShowWindow(int command);
  BOOL IsWindowVisible() const;

  // In the parent's client coordinates; a dynamic layout keeps the new place.
  void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
  void MoveWindow(const RECT& rect, BOOL repaint = TRUE);
  void GetClientRect(RECT* rect) const;
  // In screen coordinates.
  void GetWindowRect(RECT* rect) const;
  void ScreenToClient(RECT* rect) const;
  void ClientToScreen(POINT* point) const;
  void ClientToScreen(RECT* rect) const;

  // WS_VISIBLE and WS_DISABLED follow the widget; other bits are kept on it for every wrapper.
  DWORD GetStyle() const;
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);

  // Moves and sizes the children on resizes, from the present size (FALSE removes it).
  void EnableDynamicLayout(BOOL enable = TRUE);
  CMFCDynamicLayout* GetDynamicLayout() const;

  void UpdateWindow();
  void SetFocus();

  // To the parent's OnNotify and OnCommand.
  LRESULT SendNotify(int code, NMHDR* header);
  // Hands another window's notification (a list's header) on to this window's owner.
  LRESULT ForwardNotify(NMHDR* header);
  void SendCommand(int code = 0);

  virtual BOOL OnNotify(NMHDR* header, LRESULT* result);
  virtual BOOL OnCommand(int id, int code);

  // OnTimer(id) every elapse ms (0: when idle) until KillTimer; setting again restarts it.
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse);
  BOOL KillTimer(UINT_PTR id);
  virtual void OnTimer(UINT_PTR id);

 protected:
  void AttachOwned(QWidget* widget);
  // Called after ModifyStyle changed the word.
  virtual void OnStyleChanged(DWORD oldStyle, DWORD newStyle);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
};

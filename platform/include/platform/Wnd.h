#pragma once
// CWnd: a window of the desktop framework. On this platform every window is a
// Qt widget; a CWnd either owns the widget it made or wraps one made elsewhere
// (a control bound by a dialog). Widgets never appear in library headers.
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

  // The window object of a widget: its permanent wrapper if it has one, else a
  // temporary wrapper that lives as long as the widget. Null for null.
  static CWnd* FromWidget(QWidget* widget);

  HWND GetSafeHwnd() const { return const_cast<CWnd*>(this); }
  QWidget* GetWidget() const;
  // True while a widget stands behind this object.
  bool IsWindow() const { return GetWidget() != nullptr; }

  // Makes this object the permanent wrapper of widget (a control bound by a
  // dialog); the widget stays its parent's. Fails when already attached.
  bool Attach(QWidget* widget);
  QWidget* Detach();
  // Destroys the widget this object made; a wrapped widget is only released.
  virtual BOOL DestroyWindow();

  int GetDlgCtrlID() const;
  void SetDlgCtrlID(int id);
  CWnd* GetParent() const;
  CWnd* GetDlgItem(int id) const;
  // GW_CHILD: the first child window; GW_HWNDNEXT: the next sibling. Null at the end.
  CWnd* GetWindow(UINT relation) const;

  void SetWindowText(const CString& text);
  CString GetWindowText() const;

  // Returns whether the window was disabled before.
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;
  // Returns whether the window was visible before.
  BOOL ShowWindow(int command);
  BOOL IsWindowVisible() const;

  // Position in the parent's client coordinates (a top-level window: the
  // screen). A child in its parent's dynamic layout stays where it is put.
  void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
  void MoveWindow(const RECT& rect, BOOL repaint = TRUE);
  void GetClientRect(RECT* rect) const;
  // The window's rectangle in screen coordinates.
  void GetWindowRect(RECT* rect) const;
  void ScreenToClient(RECT* rect) const;
  void ClientToScreen(POINT* point) const;
  void ClientToScreen(RECT* rect) const;

  // Style bits: WS_VISIBLE and WS_DISABLED follow the widget's state; other
  // bits are kept with the widget so that every wrapper sees the same word.
  DWORD GetStyle() const;
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);

  // A layout that moves and sizes the children when this window is resized,
  // measured from its present size (FALSE removes it). Null until enabled.
  void EnableDynamicLayout(BOOL enable = TRUE);
  CMFCDynamicLayout* GetDynamicLayout() const;

  void UpdateWindow();
  // Gives the window the keyboard focus.
  void SetFocus();

  // Notifications from this control go to the parent window's OnNotify,
  // commands (button clicks) to its OnCommand.
  LRESULT SendNotify(int code, NMHDR* header);
  // Hands a notification another window sent (a list's header) on to this
  // window's owner unchanged, the same way; returns the owner's result.
  LRESULT ForwardNotify(NMHDR* header);
  void SendCommand(int code = 0);

  virtual BOOL OnNotify(NMHDR* header, LRESULT* result);
  virtual BOOL OnCommand(int id, int code);

  // Calls OnTimer(id) every elapse milliseconds (0: as soon as the event loop
  // is idle) until KillTimer(id); setting an id again restarts it. Returns id.
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse);
  // False when no timer of that id runs.
  BOOL KillTimer(UINT_PTR id);
  virtual void OnTimer(UINT_PTR id);

 protected:
  // Takes ownership of a widget this object made.
  void AttachOwned(QWidget* widget);
  // Called after ModifyStyle changed the word.
  virtual void OnStyleChanged(DWORD oldStyle, DWORD newStyle);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
};

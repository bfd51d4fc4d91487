#pragma once
// CDialog: a dialog built from a template kept as data, a widget per control
// placed in dialog units of the template's font. Commands and notifications
// reach member functions through a routing table the derived dialog fills.
#include <platform/Controls.h>

#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

using INT_PTR = std::intptr_t;

// Dialog window styles.
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_THICKFRAME = 0x00040000;  // a sizing border: the user resizes the window
constexpr DWORD DS_SETFONT = 0x00000040;
constexpr DWORD DS_MODALFRAME = 0x00000080;

constexpr UINT CTLCOLOR_EDIT = 1;
constexpr UINT CTLCOLOR_BTN = 3;
constexpr UINT CTLCOLOR_STATIC = 6;

constexpr int IDC_ARROW = 32512;
constexpr int IDC_HAND = 32649;
HCURSOR LoadCursor(HINSTANCE module, int id);
// Inside OnSetCursor: the cursor of the window under the pointer. Returns the previous one.
HCURSOR SetCursor(HCURSOR cursor);

// Never made here: colour handlers answer with the base handler's null brush.
struct HBRUSH__;
using HBRUSH = HBRUSH__*;

constexpr int IDC_STATIC = -1;

namespace platform {

// One control of a dialog template. A picture static (SS_ICON, SS_BITMAP)
// names its resource in the caption as "#<id>".
struct DialogItem {
  int id;
  const char* windowClass;
  const char* caption;
  int x, y, cx, cy;  // dialog units
  DWORD style;
};

struct DialogTemplate {
  UINT id;
  const char* caption;
  int cx, cy;  // client size in dialog units
  const char* fontName;
  int pointSize;
  DWORD style;
  std::vector<DialogItem> items;
};

}  // namespace platform

// The colours a dialog's OnCtlColor sets for a control; only those set apply.
class CCtlColorDC {
 public:
  COLORREF SetTextColor(COLORREF color) { return std::exchange(text, color).value_or(0); }
  COLORREF SetBkColor(COLORREF color) { return std::exchange(bk, color).value_or(0); }
  std::optional<COLORREF> text, bk;
};

class CDialog;

class CDataExchange {
 public:
  CDataExchange(CDialog* dialog, BOOL saveAndValidate)
      : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
  CDialog* m_pDlgWnd;
  BOOL m_bSaveAndValidate;  // true: controls -> members
};

// Binds control to the dialog's control id (once); nothing when there is none.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// Copies the control's text into value, or value into the control.
void DDX_Text(CDataExchange* pDX, int id, CString& value);

class CDialog : public CWnd {
 public:
  explicit CDialog(const platform::DialogTemplate& dialogTemplate, CWnd* parent = nullptr);
  ~CDialog() override;

  // Returns EndDialog's result (-1 when it could not be built); the widgets are gone then.
  virtual INT_PTR DoModal();
  BOOL Create(CWnd* parent = nullptr);
  // Ends the dialog with result: a modal loop returns it, a modeless dialog hides.
  void EndDialog(int result);
  // The result of the last EndDialog, -1 before any.
  int GetEndResult() const { return m_nResult; }

  virtual BOOL OnInitDialog();
  // IDOK, or Enter without a default button (a disabled one swallows Enter).
  virtual void OnOK();
  // IDCANCEL or Escape.
  virtual void OnCancel();
  // The window manager's close request: as Escape unless overridden.
  virtual void OnClose();
  virtual void DoDataExchange(CDataExchange* pDX);
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  // A control of kind CTLCOLOR_* is about to be drawn: set its colours on dc.
  virtual HBRUSH OnCtlColor(CCtlColorDC* dc, CWnd* control, UINT ctlColor);
  // The pointer entered window; true after choosing a cursor with SetCursor.
  virtual BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message);
  virtual void OnSize(UINT type, int cx, int cy);

  void SetDlgItemText(int id, const CString& text);
  CString GetDlgItemText(int id) const;
  UINT IsDlgButtonChecked(int id) const;
  void CheckDlgButton(int id, UINT check);
  void MapDialogRect(RECT* rect) const;
  // Big and small are the same here.
  HICON SetIcon(HICON icon, BOOL bigIcon);
  HICON GetIcon(BOOL bigIcon) const;
  void EnableCloseBox(bool enable);
  // Asks every control for its colours again (also done on every paint).
  void UpdateCtlColors();

  BOOL OnCommand(int id, int code) override;
  BOOL OnNotify(NMHDR* header, LRESULT* result) override;

  const platform::DialogTemplate& GetTemplate() const { return m_template; }

 protected:
  using CommandHandler = std::function<void()>;
  using NotifyHandlerFn = std::function<void(NMHDR*, LRESULT*)>;
  void RouteCommand(int id, CommandHandler handler, int code = BN_CLICKED);
  void RouteNotify(int id, int code, NotifyHandlerFn handler);

 private:
  friend class DialogWindow;
  bool Build(CWnd* parent);
  void ApplyCtlColor(QWidget* control);
  void ChooseCursor(QWidget* widget);

  const platform::DialogTemplate& m_template;
  CWnd* m_pParentWnd;
  int m_nResult = -1;
  std::map<std::pair<int, int>, CommandHandler> m_commands;
  std::map<std::pair<int, int>, NotifyHandlerFn> m_notifications;
};

#include <platform/Dialog.h>
#include <platform/MessageBox.h>
#include <platform/Resources.h>

#include "Handles.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVariant>

#include <cstdlib>
#include <cstring>

namespace {

// Which colour request a control makes; -1 for none. Kept on the widget.
constexpr const char* kCtlColor = "qy_ctlcolor";
constexpr UINT kNoCtlColor = 0xFFFFFFFF;
constexpr UINT HTCLIENT = 1;
constexpr UINT WM_MOUSEMOVE = 0x0200;

QFont DialogFont(const char* fontName, int pointSize) {
  const CString name(fontName);
  QFont font = (name.IsEmpty() || name == "MS Shell Dlg" || name == "MS Shell Dlg 2")
                   ? QFontDatabase::systemFont(QFontDatabase::GeneralFont)
                   : QFont(platform::ToQt(name));
  font.setPointSize(pointSize > 0 ? pointSize : 8);
  return font;
}

UINT CtlColorKind(const platform::DialogItem& item) {
  const CString cls(item.windowClass);
  if (cls == "Static") return CTLCOLOR_STATIC;
  if (cls == "Edit") return (item.style & ES_READONLY) ? CTLCOLOR_STATIC : CTLCOLOR_EDIT;
  if (cls == "Button") {
    const DWORD kind = item.style & BS_TYPEMASK;
    // Check boxes and group boxes are drawn on the dialog's face, as labels are.
    return (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON) ? CTLCOLOR_BTN : CTLCOLOR_STATIC;
  }
  return kNoCtlColor;
}

// The dialog base units of a font: average character width and height in
// pixels. "MS Shell Dlg" stands for the desktop's sans font.
CSize DialogBaseUnits(const char* fontName, int pointSize) {
  const QFontMetrics metrics(DialogFont(fontName, pointSize));
  // The framework's average width: the 52 letters' extent, halved and rounded.
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return CSize((letters / 26 + 1) / 2, metrics.height());
}

// The two system cursors; handles compare by address.
HICON__ g_arrow{QIcon(), true};
HICON__ g_hand{QIcon(), true};
HCURSOR g_current = nullptr;

// A new widget of that window class under parent, or null when no control provides it.
QWidget* CreateControl(const char* windowClass, QWidget* parent, DWORD style) {
  static constexpr struct {
    const char* windowClass;
    QWidget* (*make)(QWidget* parent, DWORD style);
  } kMakers[] = {{"Button", &platform::MakeButton},
                 {"Edit", &platform::MakeEdit},
                 {"Static", &platform::MakeStatic},
                 {"ComboBox", &platform::MakeComboBox},
                 {"SysListView32", &platform::MakeListView},
                 {"msctls_progress32", &platform::MakeProgressBar},
                 {"Picture", &platform::MakePicture}};
  for (const auto& maker : kMakers)
    if (windowClass && std::strcmp(maker.windowClass, windowClass) == 0) return maker.make(parent, style);
  return nullptr;
}

}  // namespace

HCURSOR LoadCursor(HINSTANCE, int id) {
  if (id == IDC_HAND) return &g_hand;
  if (id == IDC_ARROW) return &g_arrow;
  return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR previous = g_current;
  g_current = cursor;
  return previous;
}

// The widget behind a CDialog: hands Escape, Enter, the close request and
// painting to the dialog object, and asks it for colours and cursors.
class DialogWindow : public QDialog {
 public:
  DialogWindow(CDialog* owner, QWidget* parent) : QDialog(parent), m_pOwner(owner) {}

  void accept() override { m_pOwner->OnCommand(IDOK, BN_CLICKED); }
  void reject() override { m_pOwner->OnCommand(IDCANCEL, BN_CLICKED); }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
      if (event->key() == Qt::Key_Escape) {
        reject();
        return;
      }
      if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The default button answers Enter, and while it is disabled Enter
        // does nothing; a dialog without one gets IDOK.
        for (auto* button : findChildren<QPushButton*>()) {
          if (button->isDefault() && button->isVisible()) {
            if (button->isEnabled()) button->click();
            return;
          }
        }
        accept();
        return;
      }
    }
    QDialog::keyPressEvent(event);
  }

  void closeEvent(QCloseEvent* event) override {
    // The dialog decides; the window stays unless it ended itself.
    event->ignore();
    m_pOwner->OnClose();
  }

  void resizeEvent(QResizeEvent* event) override {
    QDialog::resizeEvent(event);
    m_pOwner->OnSize(0, width(), height());
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && event->type() == QEvent::Paint) m_pOwner->ApplyCtlColor(widget);
    if (widget && event->type() == QEvent::Enter) m_pOwner->ChooseCursor(widget);
    return false;
  }

  void enterEvent(QEnterEvent* event) override {
    QDialog::enterEvent(event);
    m_pOwner->ChooseCursor(this);
  }

 private:
  CDialog* m_pOwner;
};

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
  if (control.IsWindow()) return;
  if (CWnd* item = pDX->m_pDlgWnd->GetDlgItem(id)) control.Attach(item->GetWidget());
}

void DDX_Text(CDataExchange* pDX, int id, CString& value) {
  CWnd* item = pDX->m_pDlgWnd->GetDlgItem(id);
  if (!item) return;
  if (pDX->m_bSaveAndValidate)
    value = item->GetWindowText();
  else
    item->SetWindowText(value);
}

CDialog::CDialog(const platform::DialogTemplate& dialogTemplate, CWnd* parent)
    : m_template(dialogTemplate), m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

bool CDialog::Build(CWnd* parent) {
  if (IsWindow()) return false;
  if (parent) m_pParentWnd = parent;
  auto* window = new DialogWindow(this, m_pParentWnd ? m_pParentWnd->GetWidget() : nullptr);
  AttachOwned(window);
  window->setWindowTitle(QString::fromUtf8(m_template.caption));
  window->setFont(DialogFont(m_template.fontName, m_template.pointSize));
  platform::NameAfterCaption(window, QString::fromUtf8(m_template.caption));

  // A modal frame without minimise or maximise boxes; the close box only with
  // a system menu. A sizing border on a window of its own (a main window)
  // makes it an ordinary window, which window managers let the user maximise.
  const bool sizable = (m_template.style & WS_THICKFRAME) != 0;
  Qt::WindowFlags flags = ((sizable && !m_pParentWnd) ? Qt::Window : Qt::Dialog) | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint;
  if (m_template.style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (m_template.style & WS_MAXIMIZEBOX) flags |= Qt::WindowMaximizeButtonHint;
  window->setWindowFlags(flags);

  CRect client(0, 0, m_template.cx, m_template.cy);
  MapDialogRect(&client);
  // A sizing border lets the window grow from the template's size, never shrink below it.
  if (sizable) {
    window->setMinimumSize(client.Width(), client.Height());
    window->resize(client.Width(), client.Height());
  } else {
    window->setFixedSize(client.Width(), client.Height());
  }

  QLabel* previousLabel = nullptr;
  for (const platform::DialogItem& item : m_template.items) {
    QWidget* control = CreateControl(item.windowClass, window, item.style);
    if (!control) {
      // A class nobody provides yet still takes its place in the layout.
      auto* frame = new QFrame(window);
      frame->setFrameShape(QFrame::StyledPanel);
      control = frame;
    }
    CRect rect(item.x, item.y, item.x + item.cx, item.y + item.cy);
    MapDialogRect(&rect);
    control->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    control->setProperty(kCtlColor, CtlColorKind(item));
    control->installEventFilter(window);

    CWnd* wnd = CWnd::FromWidget(control);
    wnd->SetDlgCtrlID(item.id);
    wnd->ModifyStyle(0, item.style & ~WS_VISIBLE);
    control->setVisible((item.style & WS_VISIBLE) != 0);
    if (item.style & WS_DISABLED) control->setEnabled(false);

    const CString caption(item.caption ? item.caption : "");
    const DWORD staticKind = item.style & SS_TYPEMASK;
    const bool picture = CString(item.windowClass) == "Static" && (staticKind == SS_ICON || staticKind == SS_BITMAP);
    if (picture && caption.Left(1) == "#") {
      const UINT resource = static_cast<UINT>(std::atoi(caption.Mid(1)));
      if (staticKind == SS_ICON) {
        platform::SetIconOf(control, LoadIcon(AfxFindResourceHandle(resource, RT_GROUP_ICON), resource));
      } else if (HBITMAP bitmap = LoadBitmap(AfxFindResourceHandle(resource, RT_BITMAP), resource)) {
        if (auto* label = qobject_cast<QLabel*>(control)) label->setPixmap(QPixmap::fromImage(bitmap->image));
        DeleteObject(bitmap);
      }
    } else if (!caption.IsEmpty()) {
      wnd->SetWindowText(caption);
      platform::NameAfterCaption(control, QString::fromUtf8(item.caption));
    }

    // An edit or combo box is named by the label just before it, as screen readers expect.
    const bool named = qobject_cast<QLineEdit*>(control) || qobject_cast<QComboBox*>(control) ||
                       qobject_cast<QPlainTextEdit*>(control);
    if (named && previousLabel) platform::NameAfterLabel(control, previousLabel);
    auto* label = qobject_cast<QLabel*>(control);
    previousLabel = (label && !picture) ? label : nullptr;
  }
  return true;
}

INT_PTR CDialog::DoModal() {
  if (!Build(nullptr)) return -1;
  m_nResult = -1;
  auto* window = static_cast<QDialog*>(GetWidget());
  window->setModal(true);
  OnInitDialog();
  UpdateCtlColors();
  // EndDialog may already have run inside OnInitDialog.
  int result = m_nResult;
  if (result == -1) {
    const platform::ModalRun run = platform::RunModal(
        platform::ModalQuestion{platform::ModalKind::Dialog, GetWindowText(), {}, 0}, window,
        [&] { result = window->exec(); }, [&] { window->QDialog::done(IDCANCEL); }, &result);
    if (run == platform::ModalRun::Dismissed) result = IDCANCEL;
  }
  DestroyWindow();
  return result;
}

BOOL CDialog::Create(CWnd* parent) {
  if (!Build(parent)) return FALSE;
  m_nResult = -1;
  OnInitDialog();
  UpdateCtlColors();
  GetWidget()->show();
  return TRUE;
}

void CDialog::EndDialog(int result) {
  m_nResult = result;
  if (auto* window = static_cast<QDialog*>(GetWidget())) window->QDialog::done(result);
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnClose() { OnCommand(IDCANCEL, BN_CLICKED); }

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  if (!IsWindow()) return FALSE;
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

HBRUSH CDialog::OnCtlColor(CCtlColorDC*, CWnd*, UINT) { return nullptr; }

BOOL CDialog::OnSetCursor(CWnd*, UINT, UINT) { return FALSE; }

void CDialog::OnSize(UINT, int, int) {}

void CDialog::SetDlgItemText(int id, const CString& text) {
  if (CWnd* item = GetDlgItem(id)) item->SetWindowText(text);
}

CString CDialog::GetDlgItemText(int id) const {
  const CWnd* item = GetDlgItem(id);
  return item ? item->GetWindowText() : CString();
}

UINT CDialog::IsDlgButtonChecked(int id) const {
  const CWnd* item = GetDlgItem(id);
  const auto* box = item ? qobject_cast<const QCheckBox*>(item->GetWidget()) : nullptr;
  return box && box->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CDialog::CheckDlgButton(int id, UINT check) {
  CWnd* item = GetDlgItem(id);
  if (auto* box = item ? qobject_cast<QCheckBox*>(item->GetWidget()) : nullptr) box->setChecked(check == BST_CHECKED);
}

void CDialog::MapDialogRect(RECT* rect) const {
  if (!rect) return;
  const CSize base = DialogBaseUnits(m_template.fontName, m_template.pointSize);
  // Horizontal units are quarters of the average width, vertical ones eighths
  // of the height; rounded as the framework's MulDiv rounds.
  auto scale = [](LONG v, LONG num, LONG den) {
    return static_cast<LONG>((static_cast<long long>(v) * num * 2 + (v >= 0 ? den : -den)) / (2 * den));
  };
  rect->left = scale(rect->left, base.cx, 4);
  rect->right = scale(rect->right, base.cx, 4);
  rect->top = scale(rect->top, base.cy, 8);
  rect->bottom = scale(rect->bottom, base.cy, 8);
}

HICON CDialog::SetIcon(HICON icon, BOOL bigIcon) {
  HICON previous = GetIcon(bigIcon);
  if (QWidget* w = GetWidget()) {
    w->setProperty("qy_windowicon", QVariant::fromValue(reinterpret_cast<quintptr>(icon)));
    w->setWindowIcon(platform::IconOf(icon));
  }
  return previous;
}

HICON CDialog::GetIcon(BOOL) const {
  const QWidget* w = GetWidget();
  return w ? reinterpret_cast<HICON>(w->property("qy_windowicon").value<quintptr>()) : nullptr;
}

void CDialog::EnableCloseBox(bool enable) {
  QWidget* w = GetWidget();
  if (!w) return;
  const bool visible = w->isVisible();
  w->setWindowFlag(Qt::WindowCloseButtonHint, enable);
  // Changing window flags hides a shown window.
  if (visible) w->show();
}

void CDialog::UpdateCtlColors() {
  QWidget* w = GetWidget();
  if (!w) return;
  for (QObject* child : w->children())
    if (auto* control = qobject_cast<QWidget*>(child)) ApplyCtlColor(control);
}

void CDialog::ApplyCtlColor(QWidget* control) {
  const UINT kind = control->property(kCtlColor).isValid() ? control->property(kCtlColor).toUInt() : kNoCtlColor;
  if (kind == kNoCtlColor || !GetWidget()) return;
  CCtlColorDC dc;
  OnCtlColor(&dc, CWnd::FromWidget(control), kind);
  // Start from the dialog's own colours, so a colour no longer set goes away.
  QPalette palette = GetWidget()->palette();
  if (dc.text)
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
      palette.setColor(role, platform::ColorOf(*dc.text));
  if (dc.bk)
    for (auto role : {QPalette::Window, QPalette::Base}) palette.setColor(role, platform::ColorOf(*dc.bk));
  control->setAutoFillBackground(dc.bk.has_value());
  if (palette != control->palette()) control->setPalette(palette);
}

void CDialog::ChooseCursor(QWidget* widget) {
  g_current = nullptr;
  if (OnSetCursor(CWnd::FromWidget(widget), HTCLIENT, WM_MOUSEMOVE) && g_current) {
    widget->setCursor(g_current == &g_hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
  } else {
    widget->unsetCursor();
  }
}

BOOL CDialog::OnCommand(int id, int code) {
  if (const auto it = m_commands.find({id, code}); it != m_commands.end()) {
    it->second();
    return TRUE;
  }
  if (code != BN_CLICKED || (id != IDOK && id != IDCANCEL)) return FALSE;
  if (id == IDOK) OnOK();
  else OnCancel();
  return TRUE;
}

BOOL CDialog::OnNotify(NMHDR* header, LRESULT* result) {
  if (!header) return FALSE;
  const auto it = m_notifications.find({static_cast<int>(header->idFrom), header->code});
  if (it == m_notifications.end()) return FALSE;
  LRESULT local = 0;
  it->second(header, result ? result : &local);
  return TRUE;
}

void CDialog::RouteCommand(int id, CommandHandler handler, int code) {
  m_commands[{id, code}] = std::move(handler);
}

void CDialog::RouteNotify(int id, int code, NotifyHandlerFn handler) {
  m_notifications[{id, code}] = std::move(handler);
}

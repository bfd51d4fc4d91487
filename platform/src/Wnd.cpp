#include <platform/Wnd.h>

#include <platform/DynamicLayout.h>

#include "Handles.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <map>

namespace {

// Properties kept on the widget, so that every wrapper of it sees the same state.
constexpr const char* kPermanent = "qy_wnd";
constexpr const char* kTemporary = "qy_tmpwnd";
constexpr const char* kId = "qy_id";
constexpr const char* kStyle = "qy_style";
// Set on a control whose accessible name is its caption's.
constexpr const char* kNamedByCaption = "qy_namedbycaption";

CWnd* WrapperOf(QWidget* widget, const char* property) {
  const QVariant v = widget->property(property);
  return v.isValid() ? reinterpret_cast<CWnd*>(v.value<quintptr>()) : nullptr;
}

// The property that holds a window's text: a combo box's is the typed text,
// or the item of that text.
const char* TextProperty(const QWidget* w) {
  if (w->isWindow()) return "windowTitle";
  if (qobject_cast<const QGroupBox*>(w)) return "title";
  if (qobject_cast<const QComboBox*>(w)) return "currentText";
  if (qobject_cast<const QPlainTextEdit*>(w)) return "plainText";
  return w->metaObject()->indexOfProperty("text") >= 0 ? "text" : "windowTitle";
}

// Maps a point between a widget's client coordinates and the screen's.
void MapPoint(const QWidget* w, POINT* point, bool toScreen) {
  if (!w || !point) return;
  const QPoint from(point->x, point->y);
  const QPoint to = toScreen ? w->mapToGlobal(from) : w->mapFromGlobal(from);
  point->x = to.x();
  point->y = to.y();
}

void MapRect(const QWidget* w, RECT* rect, bool toScreen) {
  if (!rect) return;
  POINT tl{rect->left, rect->top};
  POINT br{rect->right, rect->bottom};
  MapPoint(w, &tl, toScreen);
  MapPoint(w, &br, toScreen);
  *rect = CRect(tl.x, tl.y, br.x, br.y);
}

// The caption as a screen reader says it: "&Help" is "Help", "&&" is "&".
QString WithoutMnemonic(const QString& caption) {
  QString text = caption;
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
  return text;
}

// The control's text became text: a name that follows it follows.
void CaptionChanged(QWidget* control, const QString& text) {
  if (control->property(kNamedByCaption).toBool()) control->setAccessibleName(WithoutMnemonic(text));
  // The edit box a label names is renamed with it, unless it was named otherwise.
  auto* label = qobject_cast<QLabel*>(control);
  QWidget* buddy = label ? label->buddy() : nullptr;
  if (buddy && buddy->accessibleName() == WithoutMnemonic(label->text()))
    buddy->setAccessibleName(WithoutMnemonic(text));
}

class ResizeWatcher : public QObject {
 public:
  ResizeWatcher(QObject* parent, std::function<void()> resized) : QObject(parent), m_resized(std::move(resized)) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize) m_resized();
    return false;
  }

 private:
  std::function<void()> m_resized;
};

}  // namespace

namespace platform {

QObject* WatchResizes(QWidget* widget, QObject* parent, std::function<void()> resized) {
  auto* watcher = new ResizeWatcher(parent, std::move(resized));
  widget->installEventFilter(watcher);
  return watcher;
}

void NameAfterCaption(QWidget* control, const QString& caption) {
  control->setAccessibleName(WithoutMnemonic(caption));
  control->setProperty(kNamedByCaption, true);
}

void NameAfterLabel(QWidget* edit, QWidget* label) {
  if (auto* l = qobject_cast<QLabel*>(label)) {
    l->setBuddy(edit);
    edit->setAccessibleName(WithoutMnemonic(l->text()));
  }
}

}  // namespace platform

struct CWnd::Impl {
  QPointer<QWidget> widget;
  bool owned = false;
  std::unique_ptr<CMFCDynamicLayout> layout;
  std::map<UINT_PTR, std::unique_ptr<QTimer>> timers;
};

CWnd::CWnd() : m_pImpl(std::make_unique<Impl>()) {}

CWnd::~CWnd() {
  m_pImpl->timers.clear();
  if (QWidget* w = m_pImpl->widget.data()) {
    if (WrapperOf(w, kPermanent) == this) w->setProperty(kPermanent, QVariant());
    if (m_pImpl->owned) delete w;
  }
}

CWnd* CWnd::FromWidget(QWidget* widget) {
  if (!widget) return nullptr;
  if (CWnd* wnd = WrapperOf(widget, kPermanent)) return wnd;
  if (CWnd* wnd = WrapperOf(widget, kTemporary)) return wnd;
  auto* wnd = new CWnd;
  wnd->m_pImpl->widget = widget;
  widget->setProperty(kTemporary, QVariant::fromValue(reinterpret_cast<quintptr>(wnd)));
  QObject::connect(widget, &QObject::destroyed, [wnd] { delete wnd; });
  return wnd;
}

QWidget* CWnd::GetWidget() const { return m_pImpl->widget.data(); }

bool CWnd::Attach(QWidget* widget) {
  if (!widget || m_pImpl->widget || WrapperOf(widget, kPermanent)) return false;
  m_pImpl->widget = widget;
  m_pImpl->owned = false;
  widget->setProperty(kPermanent, QVariant::fromValue(reinterpret_cast<quintptr>(this)));
  return true;
}

void CWnd::AttachOwned(QWidget* widget) {
  if (Attach(widget)) m_pImpl->owned = true;
}

QWidget* CWnd::Detach() {
  QWidget* w = m_pImpl->widget.data();
  if (w && WrapperOf(w, kPermanent) == this) w->setProperty(kPermanent, QVariant());
  m_pImpl->widget = nullptr;
  m_pImpl->owned = false;
  return w;
}

BOOL CWnd::DestroyWindow() {
  QWidget* w = m_pImpl->widget.data();
  if (!w) return FALSE;
  const bool owned = m_pImpl->owned;
  m_pImpl->layout.reset();
  Detach();
  if (owned) delete w;
  return TRUE;
}

int CWnd::GetDlgCtrlID() const {
  const QWidget* w = GetWidget();
  return w ? w->property(kId).toInt() : 0;
}

void CWnd::SetDlgCtrlID(int id) {
  if (QWidget* w = GetWidget()) w->setProperty(kId, id);
}

CWnd* CWnd::GetParent() const {
  const QWidget* w = GetWidget();
  return w ? FromWidget(w->parentWidget()) : nullptr;
}

CWnd* CWnd::GetDlgItem(int id) const {
  const QWidget* w = GetWidget();
  if (!w) return nullptr;
  for (QObject* child : w->children()) {
    auto* cw = qobject_cast<QWidget*>(child);
    if (cw && cw->property(kId).isValid() && cw->property(kId).toInt() == id) return FromWidget(cw);
  }
  return nullptr;
}

CWnd* CWnd::GetWindow(UINT relation) const {
  QWidget* w = GetWidget();
  if (!w) return nullptr;
  QWidget* parent = w->parentWidget();
  if (relation != GW_CHILD && (relation != GW_HWNDNEXT || !parent || w->isWindow())) return nullptr;
  // The first child window of the list, after w for the next sibling.
  const QObjectList& list = relation == GW_CHILD ? w->children() : parent->children();
  for (qsizetype i = relation == GW_CHILD ? 0 : list.indexOf(w) + 1; i < list.size(); ++i)
    if (auto* cw = qobject_cast<QWidget*>(list[i]); cw && !cw->isWindow()) return FromWidget(cw);
  return nullptr;
}

void CWnd::SetWindowText(const CString& text) {
  QWidget* w = GetWidget();
  if (!w) return;
  const QString t = platform::ToQt(text);
  CaptionChanged(w, t);
  w->setProperty(TextProperty(w), t);
}

CString CWnd::GetWindowText() const {
  const QWidget* w = GetWidget();
  return w ? platform::FromQt(w->property(TextProperty(w)).toString()) : CString();
}

BOOL CWnd::EnableWindow(BOOL enable) {
  QWidget* w = GetWidget();
  if (!w) return FALSE;
  const bool wasDisabled = w->testAttribute(Qt::WA_ForceDisabled);
  w->setEnabled(enable != FALSE);
  return wasDisabled ? TRUE : FALSE;
}

BOOL CWnd::IsWindowEnabled() const {
  const QWidget* w = GetWidget();
  return w && w->isEnabled() ? TRUE : FALSE;
}

BOOL CWnd::ShowWindow(int command) {
  QWidget* w = GetWidget();
  if (!w) return FALSE;
  const bool wasVisible = !w->isHidden();
  w->setVisible(command != SW_HIDE);
  return wasVisible ? TRUE : FALSE;
}

BOOL CWnd::IsWindowVisible() const {
  const QWidget* w = GetWidget();
  return w && w->isVisible() ? TRUE : FALSE;
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
  QWidget* w = GetWidget();
  if (!w) return;
  w->setGeometry(x, y, width, height);
  if (repaint) w->update();
  if (CMFCDynamicLayout* layout = GetParent() ? GetParent()->GetDynamicLayout() : nullptr)
    layout->OnItemMoved(this);
}

void CWnd::MoveWindow(const RECT& rect, BOOL repaint) {
  MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

void CWnd::GetClientRect(RECT* rect) const {
  if (!rect) return;
  const QWidget* w = GetWidget();
  *rect = w ? CRect(0, 0, w->width(), w->height()) : CRect();
}

void CWnd::GetWindowRect(RECT* rect) const {
  GetClientRect(rect);
  ClientToScreen(rect);
}

void CWnd::ScreenToClient(RECT* rect) const { MapRect(GetWidget(), rect, false); }
void CWnd::ClientToScreen(POINT* point) const { MapPoint(GetWidget(), point, true); }
void CWnd::ClientToScreen(RECT* rect) const { MapRect(GetWidget(), rect, true); }

DWORD CWnd::GetStyle() const {
  const QWidget* w = GetWidget();
  if (!w) return 0;
  DWORD style = w->property(kStyle).toUInt() & ~(WS_VISIBLE | WS_DISABLED);
  if (!w->isHidden()) style |= WS_VISIBLE;
  if (w->testAttribute(Qt::WA_ForceDisabled)) style |= WS_DISABLED;
  return style;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT) {
  QWidget* w = GetWidget();
  if (!w) return FALSE;
  const DWORD oldStyle = GetStyle();
  const DWORD newStyle = (oldStyle & ~remove) | add;
  if (newStyle == oldStyle) return FALSE;
  w->setProperty(kStyle, static_cast<uint>(newStyle));
  if ((newStyle ^ oldStyle) & WS_VISIBLE) w->setVisible((newStyle & WS_VISIBLE) != 0);
  if ((newStyle ^ oldStyle) & WS_DISABLED) w->setEnabled((newStyle & WS_DISABLED) == 0);
  // The control's own object reacts, whichever wrapper changed the word.
  CWnd* owner = WrapperOf(w, kPermanent);
  (owner ? owner : this)->OnStyleChanged(oldStyle, newStyle);
  return TRUE;
}

void CWnd::OnStyleChanged(DWORD, DWORD) {}

void CWnd::EnableDynamicLayout(BOOL enable) {
  m_pImpl->layout.reset();
  if (!enable || !GetWidget()) return;
  m_pImpl->layout = std::make_unique<CMFCDynamicLayout>();
  m_pImpl->layout->Create(this);
}

CMFCDynamicLayout* CWnd::GetDynamicLayout() const { return m_pImpl->layout.get(); }

void CWnd::SetFocus() {
  if (QWidget* w = GetWidget()) w->setFocus(Qt::OtherFocusReason);
}

void CWnd::UpdateWindow() {
  if (QWidget* w = GetWidget()) w->repaint();
}

LRESULT CWnd::SendNotify(int code, NMHDR* header) {
  NMHDR local;
  if (!header) header = &local;
  header->hwndFrom = GetSafeHwnd();
  header->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
  header->code = code;
  return ForwardNotify(header);
}

LRESULT CWnd::ForwardNotify(NMHDR* header) {
  LRESULT result = 0;
  if (CWnd* parent = GetParent()) parent->OnNotify(header, &result);
  return result;
}

void CWnd::SendCommand(int code) {
  if (CWnd* parent = GetParent()) parent->OnCommand(GetDlgCtrlID(), code);
}

BOOL CWnd::OnNotify(NMHDR*, LRESULT*) { return FALSE; }

BOOL CWnd::OnCommand(int, int) { return FALSE; }

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse) {
  std::unique_ptr<QTimer>& timer = m_pImpl->timers[id];
  if (!timer) {
    timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, [this, id] { OnTimer(id); });
  }
  timer->start(static_cast<int>(elapse));
  return id;
}

BOOL CWnd::KillTimer(UINT_PTR id) {
  const auto found = m_pImpl->timers.find(id);
  if (found == m_pImpl->timers.end() || !found->second->isActive()) return FALSE;
  found->second->stop();
  return TRUE;
}

void CWnd::OnTimer(UINT_PTR) {}

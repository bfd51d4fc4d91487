#include <platform/PumpMessage.h>
#include <platform/Wnd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <iterator>

namespace platform {

namespace {

constexpr qint64 kFrameMs = 20;

// Since the last pump; pumping more often would only slow a loop over
// thousands of files.
QElapsedTimer g_sinceLastPump;
// The innermost request that lives, or null.
CStopRequest* g_innermost = nullptr;

bool IsInput(QEvent::Type type) {
  static constexpr QEvent::Type kInput[] = {
      QEvent::KeyPress, QEvent::KeyRelease, QEvent::ShortcutOverride, QEvent::Shortcut,
      QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick, QEvent::Wheel,
      QEvent::ContextMenu, QEvent::TouchBegin, QEvent::TouchUpdate, QEvent::TouchEnd,
      QEvent::TabletPress, QEvent::TabletRelease};
  return std::find(std::begin(kInput), std::end(kInput), type) != std::end(kInput);
}

// Takes the input of the whole program while requests live: Escape asks to
// stop, the cancel button gets its clicks, a question the work asks (a modal
// window opened since it began) gets its answers, everything else is dropped.
// Input reaches a widget through its window first: the windows of the
// button and of such a question let it pass on to the widget.
class StopFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* receiver, QEvent* event) override {
    CStopRequest* request = g_innermost;
    if (!request || !IsInput(event->type())) return false;
    QWidget* question = QApplication::activeModalWidget();
    if (question == m_pModalBefore) question = nullptr;
    if (question && IsIn(receiver, question)) return false;
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      request->Request();
      return true;
    }
    if (qobject_cast<QWindow*>(receiver)) return !(m_pCancel && IsIn(receiver, m_pCancel->window()));
    auto* widget = qobject_cast<QWidget*>(receiver);
    return !(m_pCancel && widget && (widget == m_pCancel || m_pCancel->isAncestorOf(widget)));
  }

  // The modal window open as the outermost work began: its input is the work's.
  void SetModalBefore(QWidget* modal) { m_pModalBefore = modal; }

  // The button's clicks, by mouse, keyboard or assistive technology, ask to stop.
  void SetCancel(QWidget* widget) {
    m_pCancel = widget;
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (!button || button->property(kHeard).toBool()) return;
    button->setProperty(kHeard, true);
    QObject::connect(button, &QAbstractButton::clicked, this, [] {
      if (CStopRequest* request = g_innermost) request->Request();
    });
  }

 private:
  static constexpr const char* kHeard = "qy_stops_work";
  // Whether receiver is window, its native window, or a widget in it.
  static bool IsIn(QObject* receiver, QWidget* window) {
    if (auto* native = qobject_cast<QWindow*>(receiver)) return native == window->windowHandle();
    auto* widget = qobject_cast<QWidget*>(receiver);
    return widget && widget->window() == window;
  }

  QPointer<QWidget> m_pCancel, m_pModalBefore;
};

StopFilter& Filter() {
  static auto* filter = new StopFilter(QCoreApplication::instance());
  return *filter;
}

}  // namespace

bool PaintIsDue() {
  return QCoreApplication::instance() && (!g_sinceLastPump.isValid() || g_sinceLastPump.elapsed() >= kFrameMs);
}

void PumpPaintEvents() {
  if (!PaintIsDue()) return;
  QCoreApplication::processEvents(g_innermost ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
  g_sinceLastPump.start();
}

CStopRequest::CStopRequest(CWnd* cancel) : m_pOuter(g_innermost), m_pCancel(cancel) {
  // Work begun inside work already asked to stop is asked too.
  m_bRequested = m_pOuter && m_pOuter->m_bRequested;
  g_innermost = this;
  if (!QCoreApplication::instance()) return;
  StopFilter& filter = Filter();
  if (!m_pOuter) {
    QCoreApplication::instance()->installEventFilter(&filter);
    filter.SetModalBefore(QApplication::activeModalWidget());
  }
  filter.SetCancel(cancel ? cancel->GetWidget() : nullptr);
}

CStopRequest::~CStopRequest() {
  g_innermost = m_pOuter;
  if (!QCoreApplication::instance()) return;
  StopFilter& filter = Filter();
  filter.SetCancel(m_pOuter && m_pOuter->m_pCancel ? m_pOuter->m_pCancel->GetWidget() : nullptr);
  if (!m_pOuter) QCoreApplication::instance()->removeEventFilter(&filter);
}

}  // namespace platform

#include <platform/StatusBarCtrl.h>

#include <platform/Resources.h>

#include "Handles.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace {

constexpr int kMaxParts = 256;
// Space between two parts and above every part, as the framework leaves it.
constexpr int kGap = 2;
constexpr int kIconSize = 16;

// One part: a framed cell with an optional icon before its text.
struct Part {
  int rightEdge = -1;
  QFrame* frame = nullptr;
  QLabel* icon = nullptr;
  QLabel* text = nullptr;
  HICON iconCopy = nullptr;
};

// The bar's widget keeps every part's state, so that all wrappers of it agree.
class StatusBarWidget : public QWidget {
 public:
  std::vector<Part> m_parts;

  explicit StatusBarWidget(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    SetEdges({-1});
  }
  ~StatusBarWidget() override {
    for (Part& part : m_parts) DestroyIcon(part.iconCopy);
  }

  void SetEdges(const std::vector<int>& edges) {
    while (m_parts.size() > edges.size()) {
      DestroyIcon(m_parts.back().iconCopy);
      delete m_parts.back().frame;
      m_parts.pop_back();
    }
    while (m_parts.size() < edges.size()) m_parts.push_back(MakePart());
    for (std::size_t i = 0; i < edges.size(); ++i) m_parts[i].rightEdge = edges[i];
    Relayout();
  }

  QRect PartRect(std::size_t index) const {
    const int left = index == 0 ? 0 : RightOf(index - 1) + kGap;
    return QRect(QPoint(left, kGap), QPoint(std::max(left, RightOf(index)) - 1, height() - 1));
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    Relayout();
  }

 private:
  int RightOf(std::size_t index) const {
    const int edge = m_parts[index].rightEdge;
    return edge < 0 ? width() : edge;
  }

  Part MakePart() {
    Part part;
    part.frame = new QFrame(this);
    auto* layout = new QHBoxLayout(part.frame);
    layout->setContentsMargins(kGap, 0, kGap, 0);
    layout->setSpacing(kGap);
    part.icon = new QLabel(part.frame);
    part.icon->setFixedSize(kIconSize, kIconSize);
    part.icon->hide();
    part.text = new QLabel(part.frame);
    part.text->setTextFormat(Qt::PlainText);
    layout->addWidget(part.icon);
    layout->addWidget(part.text, 1);
    part.frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // A part made later must not cover children laid over the bar (a progress control).
    part.frame->lower();
    part.frame->show();
    return part;
  }

  void Relayout() {
    for (std::size_t i = 0; i < m_parts.size(); ++i) m_parts[i].frame->setGeometry(PartRect(i));
  }

};

StatusBarWidget* BarOf(const CWnd* wnd) { return dynamic_cast<StatusBarWidget*>(wnd->GetWidget()); }

Part* PartOf(const CWnd* wnd, int pane) {
  StatusBarWidget* bar = BarOf(wnd);
  if (!bar || pane < 0 || pane >= static_cast<int>(bar->m_parts.size())) return nullptr;
  return &bar->m_parts[static_cast<std::size_t>(pane)];
}

}  // namespace

CStatusBarCtrl::CStatusBarCtrl() = default;
CStatusBarCtrl::~CStatusBarCtrl() = default;

BOOL CStatusBarCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  QWidget* parentWidget = parent ? parent->GetWidget() : nullptr;
  if (!parentWidget || IsWindow()) return FALSE;
  auto* bar = new StatusBarWidget(parentWidget);
  const CRect r(rect);
  if ((style & CCS_NORESIZE) && !r.IsRectEmpty()) {
    bar->setGeometry(r.left, r.top, r.Width(), r.Height());
  } else {
    // As tall as a line of the bar's font with the part frames around it.
    const int height = std::max(20, bar->fontMetrics().height() + 3 * kGap);
    bar->setGeometry(0, parentWidget->height() - height, parentWidget->width(), height);
  }
  AttachOwned(bar);
  SetDlgCtrlID(static_cast<int>(id));
  ModifyStyle(0, style);
  return TRUE;
}

BOOL CStatusBarCtrl::SetParts(int count, const int* rightEdges) {
  StatusBarWidget* bar = BarOf(this);
  if (!bar || !rightEdges || count < 1 || count > kMaxParts) return FALSE;
  bar->SetEdges(std::vector<int>(rightEdges, rightEdges + count));
  return TRUE;
}

int CStatusBarCtrl::GetParts(int count, int* rightEdges) const {
  const StatusBarWidget* bar = BarOf(this);
  if (!bar) return 0;
  const auto& parts = bar->m_parts;
  for (int i = 0; rightEdges && i < count && i < static_cast<int>(parts.size()); ++i)
    rightEdges[i] = parts[static_cast<std::size_t>(i)].rightEdge;
  return static_cast<int>(parts.size());
}

BOOL CStatusBarCtrl::SetText(const CString& text, int pane) {
  Part* part = PartOf(this, pane);
  if (!part) return FALSE;
  part->text->setText(platform::ToQt(text));
  return TRUE;
}

CString CStatusBarCtrl::GetText(int pane) const {
  const Part* part = PartOf(this, pane);
  return part ? platform::FromQt(part->text->text()) : CString();
}

BOOL CStatusBarCtrl::SetIcon(int pane, HICON icon) {
  Part* part = PartOf(this, pane);
  if (!part) return FALSE;
  DestroyIcon(part->iconCopy);
  part->iconCopy = icon ? platform::MakeIcon(platform::IconOf(icon)) : nullptr;
  if (icon) part->icon->setPixmap(platform::IconOf(icon).pixmap(kIconSize, kIconSize));
  else part->icon->clear();
  part->icon->setVisible(icon != nullptr);
  return TRUE;
}

HICON CStatusBarCtrl::GetIcon(int pane) const {
  const Part* part = PartOf(this, pane);
  return part ? part->iconCopy : nullptr;
}

BOOL CStatusBarCtrl::GetRect(int pane, RECT* rect) const {
  if (!rect || !PartOf(this, pane)) return FALSE;
  const QRect r = BarOf(this)->PartRect(static_cast<std::size_t>(pane));
  *rect = CRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
  return TRUE;
}

#include "WindowRun.h"

#include "Measure.h"
#include "QuilloryDlg.h"
#include <core/FolderSession.h>
#include "Resource.h"

#include <platform/MessageBox.h>
#include <platform/ModalSeam.h>
#include <platform/Wnd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QTreeView>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <unistd.h>

namespace bench {

// The longest time the window went without answering: a zero timer notes
// every pass of its event loop.
class CGapWatch {
 public:
  CGapWatch() { QObject::connect(&m_timer, &QTimer::timeout, [this] { Note(); }); }
  void Start() {
    m_dLast = Now();
    m_dLongest = 0;
    m_timer.start(0);
  }
  double Stop() {
    Note();
    m_timer.stop();
    return m_dLongest;
  }

 private:
  void Note() {
    const double now = Now();
    m_dLongest = std::max(m_dLongest, now - m_dLast);
    m_dLast = now;
  }

  QTimer m_timer;
  double m_dLast = 0, m_dLongest = 0;
};

namespace {

// The user of the benchmark: opens the folder despite edits left unsaved by a
// failed save, and presses OK in the folder browser (with "Include
// subfolders" as asked), stamping the moment and starting the gap watch.
class PressOk : public platform::ModalAnswerer {
 public:
  PressOk(double* pressedAt, bool subfolders, CGapWatch* gaps)
      : m_pPressedAt(pressedAt), m_bSubfolders(subfolders), m_pGaps(gaps), m_pBefore(platform::SetModalAnswerer(this)) {}
  ~PressOk() override { platform::SetModalAnswerer(m_pBefore); }

  platform::ModalAnswer Answer(const platform::ModalQuestion& q) override {
    if (q.kind == platform::ModalKind::MessageBox) return {platform::ModalAnswer::How::Result, IDYES};
    return {platform::ModalAnswer::How::Show, 0};
  }
  void Drive(const platform::ModalQuestion&, HWND modal) override {
    auto* buttons = modal->GetWidget()->findChild<QDialogButtonBox*>();
    if (!buttons) return;
    if (auto* box = modal->GetWidget()->findChild<QCheckBox*>()) box->setChecked(m_bSubfolders);
    *m_pPressedAt = Now();
    m_pGaps->Start();
    buttons->button(QDialogButtonBox::Ok)->click();
  }
  void StillOpen(const platform::ModalQuestion&) override {}

 private:
  double* m_pPressedAt;
  bool m_bSubfolders;
  CGapWatch* m_pGaps;
  platform::ModalAnswerer* m_pBefore;
};

}  // namespace

// Presses the window's button, as a click does.
void Press(CQuilloryDlg& dlg, int id) {
  if (auto* button = qobject_cast<QAbstractButton*>(dlg.GetDlgItem(id)->GetWidget())) button->click();
}

CWindowRun::CWindowRun() : m_pDlg(std::make_unique<CQuilloryDlg>()), m_pGaps(std::make_unique<CGapWatch>()) {
  m_pDlg->Create();
  m_pDlg->ShowWindow(SW_SHOW);
  QApplication::processEvents();
}

CWindowRun::~CWindowRun() = default;

OpenTimes CWindowRun::OpenFolder(const std::string& folder, bool subfolders) {
  // The browser starts at the folder the table shows.
  m_pDlg->Session().SetFolder(folder.c_str(), false);
  double pressedAt = 0;
  PressOk user(&pressedAt, subfolders, m_pGaps.get());
  const double start = Now();
  Press(*m_pDlg, IDC_OPEN_FOLDER);
  QApplication::processEvents();
  const double end = Now();
  OpenTimes times;
  times.dBrowser = pressedAt > 0 ? pressedAt - start : end - start;
  times.dLoad = pressedAt > 0 ? end - pressedAt : 0;
  times.dGap = m_pGaps->Stop();
  return times;
}

double CWindowRun::UpdateList(const RuleValues& values) {
  m_pDlg->SetDlgItemText(IDC_EDIT_ARTIST, values.strArtist.c_str());
  m_pDlg->SetDlgItemText(IDC_EDIT_ALBUM, values.strAlbum.c_str());
  m_pDlg->SetDlgItemText(IDC_EDIT_YEAR, values.strYear.c_str());
  m_pDlg->SetDlgItemText(IDC_EDIT_ORIGARTIST, "");
  for (int id = IDC_RULE_FIRST; id <= IDC_RULE_LAST; ++id) m_pDlg->CheckDlgButton(id, BST_UNCHECKED);
  // Artist and year the same for all, title from the name, tracks numbered.
  for (int id : {IDC_RULE_FIRST, IDC_RULE_FIRST + 2, IDC_RULE_FIRST + 3, IDC_RULE_FIRST + 4})
    m_pDlg->CheckDlgButton(id, BST_CHECKED);
  const double start = Now();
  Press(*m_pDlg, IDC_UPDATE_LIST);
  QApplication::processEvents();
  return Now() - start;
}

void CWindowRun::SetEveryArtist(const std::string& artist) {
  // One step of the window's history, as an edit of every row would be.
  CFolderSession& session = m_pDlg->Session();
  std::vector<RowId> ids;
  for (int row = 0, rows = Rows(); row < rows; ++row) ids.push_back(session.Table().IdOf(row));
  CPackedCells wanted;
  wanted.Set(ColumnOf(kArtist), artist.c_str());
  session.SetCells(ids, wanted, "Artist (%d rows)");
}

SaveTimes CWindowRun::SaveAll(bool withoutJournal) {
  const std::string state = std::getenv("XDG_STATE_HOME") ? std::getenv("XDG_STATE_HOME") : "";
  std::optional<PressOk> agree;
  double unused = 0;
  if (withoutJournal) {
    ::setenv("XDG_STATE_HOME", "/dev/null/state", 1);  // a folder that cannot be made
    agree.emplace(&unused, false, m_pGaps.get());
  }
  // What the benchmark itself wrote (the corpora) reaches the disk first, so
  // that the save's flushes wait for its own writes only, as they do on a
  // user's folder at rest.
  ::sync();
  m_pGaps->Start();
  const double start = Now();
  Press(*m_pDlg, IDC_SAVE_ALL);
  QApplication::processEvents();
  ::setenv("XDG_STATE_HOME", state.c_str(), 1);
  SaveTimes times;
  times.dSave = Now() - start;
  times.dGap = m_pGaps->Stop();
  return times;
}

double CWindowRun::SortByHeader(int column) {
  auto* view = qobject_cast<QTreeView*>(m_pDlg->GetDlgItem(IDC_FILE_LIST)->GetWidget());
  const double start = Now();
  if (view) emit view->header()->sectionClicked(column);
  QApplication::processEvents();
  return Now() - start;
}

int CWindowRun::Rows() { return m_pDlg->Session().Rows().Rows(); }

int CWindowRun::RowsWithArtist(const std::string& artist) {
  int n = 0;
  for (int row = 0, rows = Rows(); row < rows; ++row)
    if (m_pDlg->Session().Rows().Text(row, ColumnOf(kArtist)) == artist) ++n;
  return n;
}

std::string CWindowRun::TotalsText() {
  return std::string(m_pDlg->GetDlgItemText(IDC_TOTAL_FILES).GetString()) + " files, " +
         m_pDlg->GetDlgItemText(IDC_TOTAL_SIZE).GetString() + ", " +
         m_pDlg->GetDlgItemText(IDC_TOTAL_TIME).GetString();
}

}  // namespace bench

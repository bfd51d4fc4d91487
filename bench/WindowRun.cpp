#include "WindowRun.h"

#include "Measure.h"
#include "QuilloryDlg.h"
#include "Resource.h"

#include <table/Gridora.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace bench {

// The main window with the handlers and members the benchmark drives.
class CBenchDlg : public CQuilloryDlg {
 public:
  using CQuilloryDlg::m_bDataChanged;
  using CQuilloryDlg::m_pTable;
  using CQuilloryDlg::m_strFolder;
  using CQuilloryDlg::OnOpenFolder;
  using CQuilloryDlg::OnSaveAll;
  using CQuilloryDlg::OnUpdateList;
};

namespace {

// Presses OK in the folder browser once it shows; stamps the moment.
void PressOkWhenBrowserShows(double* pressedAt) {
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [timer, pressedAt] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    // Edits left unsaved by a failed save: open the folder all the same.
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
      box->button(QMessageBox::Yes)->click();
      return;
    }
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    if (!buttons) return;
    timer->stop();
    timer->deleteLater();
    *pressedAt = Now();
    buttons->button(QDialogButtonBox::Ok)->click();
  });
  timer->start(1);
}

}  // namespace

CWindowRun::CWindowRun() : m_pDlg(std::make_unique<CBenchDlg>()) {
  m_pDlg->Create();
  m_pDlg->ShowWindow(SW_SHOW);
  QApplication::processEvents();
}

CWindowRun::~CWindowRun() = default;

OpenTimes CWindowRun::OpenFolder(const std::string& folder) {
  m_pDlg->m_strFolder = folder.c_str();
  double pressedAt = 0;
  PressOkWhenBrowserShows(&pressedAt);
  const double start = Now();
  m_pDlg->OnOpenFolder();
  QApplication::processEvents();
  const double end = Now();
  OpenTimes times;
  times.dBrowser = pressedAt > 0 ? pressedAt - start : end - start;
  times.dLoad = pressedAt > 0 ? end - pressedAt : 0;
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
  m_pDlg->OnUpdateList();
  QApplication::processEvents();
  return Now() - start;
}

void CWindowRun::SetEveryArtist(const std::string& artist) {
  for (int row = 0, rows = Rows(); row < rows; ++row) m_pDlg->m_pTable->UpdateRow(row, 2, artist.c_str());
  m_pDlg->m_bDataChanged = true;
}

double CWindowRun::SaveAll() {
  const double start = Now();
  m_pDlg->OnSaveAll();
  QApplication::processEvents();
  return Now() - start;
}

int CWindowRun::Rows() { return m_pDlg->m_pTable->GetNumOfRow(); }

int CWindowRun::RowsWithArtist(const std::string& artist) {
  int n = 0;
  for (int row = 0, rows = Rows(); row < rows; ++row)
    if (m_pDlg->m_pTable->GetValStr(row, 2) == artist.c_str()) ++n;
  return n;
}

std::string CWindowRun::TotalsText() {
  return std::string(m_pDlg->GetDlgItemText(IDC_TOTAL_FILES).GetString()) + " files, " +
         m_pDlg->GetDlgItemText(IDC_TOTAL_SIZE).GetString() + ", " +
         m_pDlg->GetDlgItemText(IDC_TOTAL_TIME).GetString();
}

}  // namespace bench

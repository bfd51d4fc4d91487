#include <core/FolderSession.h>

#include <core/CoverEdits.h>
#include <core/Fields.h>
#include <core/FileRename.h>
#include <core/Playlist.h>
#include <core/WholeFileRecord.h>
#include <core/JournalledSave.h>
#include <core/RowCommands.h>
#include <core/RowEdits.h>
#include <core/RowFiles.h>
#include <core/TagVersions.h>

#include "ReadAhead.h"

#include <base/DurableFile.h>
#include <base/Path.h>
#include <tags/MyMP3Tags.h>
#include <tags/TagFile.h>

#include <dirent.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <span>
#include <system_error>
#include <thread>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <cstdlib>
#include <map>
#include <set>

namespace {

// A save reads, journals, writes and flushes this many files at a time: as
// many as the writer flushes together, and few enough that their maps (of
// two batches: one is read while the one before is written) stay well
// within what the tag library guards at once.
constexpr std::size_t kFilesPerBatch = 200;

// Up to this many rows, a save looks for each row's file by its names;
// beyond, it lists the folders once.
constexpr std::size_t kRowsLookedUpOneByOne = 64;

// A save's files are read and edited on up to this many threads, one for
// every so many files of the batch.
constexpr std::size_t kEditThreads = 4;
constexpr std::size_t kFilesPerEditThread = 16;

// A load reads its files on up to this many threads.
constexpr std::size_t kReadThreads = 4;

// The columns a save writes, as a mask: the editable fields, the file name,
// which a save gives the file when it was changed, and the Tag column, whose
// tags ("Tag version…") a save makes the file's.
std::uint32_t EditableColumns() {
  std::uint32_t mask = 1u << ColumnOf(kFileName) | 1u << ColumnOf(kTagVersion);
  for (Field field : kEditableFields) mask |= 1u << ColumnOf(field);
  return mask;
}

// The text of the field's cell for the file read, named name in the folder.
CString CellText(const CMusicFile& file, const CStreamColumns& stream, const FieldSpec& field, const CString& name) {
  switch (field.fill) {
    case Fill::kKey: return RowKeyOf(name);
    case Fill::kSizeKb: return CString::Formatted("%d", static_cast<int>(std::max(file.FileSize(), 0L) / 1024));
    case Fill::kTag: return file.Get(field.tag);
    case Fill::kStream: return stream.*field.pStream;
    case Fill::kClock: return CMyMP3Tags::ConvDuration(stream.*field.pStream);
    case Fill::kTagVersion: return file.TagVersion();
    case Fill::kCover: {
      // Its facts only: the picture's bytes are read when it is shown.
      CCoverArt cover;
      if (!file.GetFrontCover(&cover, false)) return "-";
      return CoverSummary(cover.strFormat, cover.strMime, cover.nWidth, cover.nHeight, cover.nBytes);
    }
  }
  return CString();
}

// What the panel and the edits read of a cell: a genre by its name ("(17)" as "Rock").
CString PanelText(const CString& cell, Field field) {
  return field == kGenre ? CMyMP3Tags::GenreName(cell) : cell;
}

// Rows of the table, by their places in it, as the edits read them.
class CPlacedTexts : public CRowTexts {
 public:
  CPlacedTexts(const base::RowStore& rows, CTableRows& table, std::vector<int> places)
      : m_rows(rows), m_table(table), m_places(std::move(places)) {}
  int Count() const override { return static_cast<int>(m_places.size()); }
  CString KeyOf(int row) const override { return CellOf(m_rows, Place(row), ColumnOf(kFileName)); }
  CString FileKeyOf(int row) const override {
    return m_table.FileCellOf(m_table.IdOf(Place(row)), ColumnOf(kFileName));
  }
  CString TextOf(int row, Field field) const override {
    return PanelText(CellOf(m_rows, Place(row), ColumnOf(field)), field);
  }
  int Place(int row) const override { return m_places[static_cast<std::size_t>(row)]; }

 private:
  const base::RowStore& m_rows;
  CTableRows& m_table;
  std::vector<int> m_places;
};

// The names in the folder below the loaded one (sub empty: the loaded one
// itself), each as "sub/name".
void AddNamesIn(const CString& folder, const CString& sub, std::vector<CString>& names) {
  DIR* dir = opendir(sub.IsEmpty() ? folder : base::JoinPath(folder, sub));
  if (!dir) return;
  while (const dirent* entry = readdir(dir)) {
    const CString name(entry->d_name);
    if (name == "." || name == "..") continue;
    names.push_back(sub.IsEmpty() ? name : sub + "/" + name);
  }
  closedir(dir);
}

// Sets or removes the front cover as the pending change asks.
CString SetPendingCover(CMusicFile& file, const CPendingCover& cover) {
  if (!cover.strImage.empty()) return file.SetFrontCover(cover.strImage);
  // The picture removed is the one the user saw, found again by its facts.
  const CShownCover& shown = cover.shown;
  CCoverArt art;
  art.nType = shown.nType;
  art.nIndex = shown.nIndex;
  art.nPictures = shown.nPictures;
  art.strMime = shown.strMime;
  art.nBytes = shown.nBytes;
  art.nWidth = shown.nWidth;
  art.nHeight = shown.nHeight;
  return file.RemoveFrontCover(art);
}

CString RowCount(int n) { return CString::Formatted("%d %s", n, n == 1 ? "row" : "rows"); }

// The name of a row's file below the folder, as messages show it.
CString ShownName(const CString& key, const CString& path) { return FileNameOfKey(key, path); }

}  // namespace

// A row about to be saved, and its file (empty when the folder holds no
// single file of the row's key); with a pending rename, the path the file
// is renamed to once its tags are written. A row with no edit is not
// written at all; a file a save must never write says why.
struct CFolderSession::CPlannedSave {
  RowId id = 0;
  CString strPath;
  CString strNewPath;
  bool bEdited = true;
  CString strRefusal;

  bool ReadsItsFile() const { return bEdited && !strPath.IsEmpty() && strRefusal.IsEmpty(); }
};

// A planned row's file read, with the row's edits made and the record of
// its write taken: written once the record is on the disk.
struct CFolderSession::CEditedFile {
  const CPlannedSave* pSave = nullptr;
  std::unique_ptr<CMusicFile> pFile;
};

// One file of a save's batch: what its row asks of it, taken from the table
// first, so that reading and editing the file needs nothing of the session;
// then the file as read and edited, and the record of its write.
struct CFolderSession::CFileEdit {
  std::optional<CString> tags;  // the tags' version wanted, when it is to change
  PendingFieldsPtr fields;
  std::vector<std::pair<Field, CString>> values;  // the cells to write
  PendingCoverPtr cover;

  bool bDone = false;  // read and edited (or nothing to read)
  std::unique_ptr<CMusicFile> pFile;
  CFileIdentity read;  // the file as it was read
  CString strRefusal;
  std::vector<unsigned char> record;
  std::exception_ptr error;
};

// The files of a batch being read and edited on helper threads, taken up in
// plan order, while the caller writes the batch before.
class CFolderSession::CEdits {
 public:
  CEdits(const std::vector<CPlannedSave>& plan, std::size_t first, std::vector<CFileEdit> edits, std::size_t helpers)
      : m_plan(plan), m_nFirst(first), m_edits(std::move(edits)) {
    // With fewer threads than asked for, the caller reads the rest.
    try {
      for (; helpers > 0; --helpers) m_helpers.emplace_back([this] { Take(nullptr); });
    } catch (const std::system_error&) {
    }
  }
  CEdits(const CEdits&) = delete;
  CEdits& operator=(const CEdits&) = delete;
  ~CEdits() {
    m_bStop = true;
    Join();
  }

  // Joins in until every file is taken up, the caller answering between
  // its files; a stop ends the batch before the first file not taken up
  // (its bDone stays false).
  std::vector<CFileEdit> Finish(const CWork& work) {
    Take(&work);
    Join();
    return std::move(m_edits);
  }

 private:
  void Take(const CWork* work) {
    for (std::size_t i; !m_bStop && (i = m_nNext++) < m_edits.size();) {
      const CPlannedSave& save = m_plan[m_nFirst + i];
      if (save.ReadsItsFile()) {
        try {
          EditFile(save.strPath, m_edits[i]);
        } catch (...) {
          m_edits[i].error = std::current_exception();
        }
      }
      m_edits[i].bDone = true;
      if (work && !work->KeepGoing()) m_bStop = true;
    }
  }
  void Join() {
    for (std::thread& helper : m_helpers)
      if (helper.joinable()) helper.join();
  }

  const std::vector<CPlannedSave>& m_plan;
  const std::size_t m_nFirst;
  std::vector<CFileEdit> m_edits;
  std::atomic<std::size_t> m_nNext{0};
  std::atomic<bool> m_bStop{false};
  std::vector<std::thread> m_helpers;
};

// A row written into the save's batch, awaiting its commit.
struct CFolderSession::CPendingSave {
  RowId id = 0;
  CString strPath, strNewPath;
  std::vector<CString> cells;  // what the file holds once committed
  CFileIdentity written;       // the file as the commit leaves it
};

CFolderSession::CFolderSession()
    : m_table(m_rows, EditableColumns(), ColumnOf(kCover), ColumnOf(kTagVersion)) {}

CFolderSession::~CFolderSession() = default;

void CFolderSession::Forget() {
  m_strFolder.Empty();
  m_rows.Clear();
  m_table.Reset();
  m_history.Clear();
  m_loadedFiles.Clear();
  m_facts.clear();
  m_readRefusals.clear();
}

CLoadReport CFolderSession::Open(CString folder, bool subfolders, const CWork& work) {
  Forget();
  m_strFolder = folder;
  m_bSubfolders = subfolders;
  CLoadReport report;
  report.walk = ListMusicFiles(folder, subfolders, [&work] { return work.KeepGoing(); });
  report.nListed = static_cast<int>(report.walk.names.size());
  if (report.walk.bStopped) {
    report.bStopped = true;
    return report;
  }
  // New files of a save that a crash interrupted (the MP3 file beside each is
  // whole: a save replaces it only by a rename), those the writer's records
  // prove it made; never a file that only has such a name.
  report.walk.nLeftoversRemoved = CMyMP3Tags::RemoveOwnLeftovers(folder, subfolders);
  const std::vector<CString> names = std::move(report.walk.names);
  report.walk.names.clear();
  ReadFiles(names, work, report);
  return report;
}

CLoadReport CFolderSession::OpenFiles(CString folder, std::vector<CString> names, bool subfolders, const CWork& work) {
  Forget();
  m_strFolder = folder;
  m_bSubfolders = subfolders;
  CLoadReport report;
  report.nListed = static_cast<int>(names.size());
  report.walk.nLeftoversRemoved = CMyMP3Tags::RemoveOwnLeftovers(folder, subfolders);
  ReadFiles(names, work, report);
  return report;
}

void CFolderSession::ReadFiles(const std::vector<CString>& names, const CWork& work, CLoadReport& report) {
  const CString folder = m_strFolder;
  const auto readFile = [&folder, &names](std::size_t i) {
    CReadFile read;
    read.strPath = base::JoinPath(folder, names[i]);
    const std::unique_ptr<CMusicFile> file = CMusicFile::Read(read.strPath, &read.strRefusal);
    // A file gone since the walk gets no row; an empty one keeps its row.
    read.bFound = file->FileSize() > 0 || base::FileExists(read.strPath);
    if (!read.bFound) return read;
    read.cells = RowCellsOf(*file, names[i]);
    read.identity = file->Identity();
    read.bChangedWhileRead = file->WasChangedWhileRead();
    return read;
  };
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
  CReadAhead files(names.size(), readFile, std::min(cores - 1, kReadThreads - 1));
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!work.KeepGoing()) {
      report.bStopped = true;
      break;
    }
    const CReadFile file = files.Take(i);
    if (file.bFound) {
      base::TableRow row;
      for (std::size_t col = 0; col < file.cells.size(); ++col)
        row.cells.Set(static_cast<int>(col), file.cells[col].Str());
      row.nImage = 0;  // every row is a music file, with the file's icon
      const int at = m_rows.Insert(m_rows.Rows(), std::move(row));
      const RowId id = m_table.IdOf(at);
      NoteFacts(id, file.cells);
      if (!file.strRefusal.IsEmpty()) m_readRefusals[id] = file.strRefusal;
      // What a save must find there before it writes.
      m_loadedFiles.Note(file.strPath, file.identity);
      if (file.bChangedWhileRead) ++report.nChangedWhileRead;
      ++report.nRead;
    } else {
      ++report.nVanished;
    }
    if (work.progress) work.progress(static_cast<int>(i + 1), report.nListed);
  }
}

bool CFolderSession::ListsItsRows(const CWork& work, CMusicListing* listing) {
  *listing = ListMusicFiles(m_strFolder, m_bSubfolders, [&work] { return work.KeepGoing(); });
  if (listing->bStopped) return false;
  listing->nLeftoversRemoved = CMyMP3Tags::RemoveOwnLeftovers(m_strFolder, m_bSubfolders);
  std::vector<CString> listed, shown;
  for (const CString& name : listing->names) listed.push_back(RowKeyOf(name));
  for (int row = 0; row < m_rows.Rows(); ++row) shown.push_back(CellOf(m_rows, row, ColumnOf(kFileName)));
  std::sort(listed.begin(), listed.end());
  std::sort(shown.begin(), shown.end());
  return !shown.empty() && listed == shown;
}

std::vector<CString> CFolderSession::RowCellsOf(const CMusicFile& file, const CString& name) {
  const CStreamColumns stream = file.StreamColumns();
  std::vector<CString> cells;
  cells.reserve(kColumnOrder.size());
  for (Field field : kColumnOrder) cells.push_back(CellText(file, stream, SpecOf(field), name));
  return cells;
}

void CFolderSession::NoteFacts(RowId id, const std::vector<CString>& cells) {
  if (id <= 0) return;
  if (static_cast<std::size_t>(id) >= m_facts.size()) m_facts.resize(static_cast<std::size_t>(id) + 1);
  CFacts& facts = m_facts[static_cast<std::size_t>(id)];
  facts.fKilobytes = static_cast<float>(std::atof(cells[static_cast<std::size_t>(ColumnOf(kSizeKb))].GetString()));
  facts.fSeconds = static_cast<float>(std::atof(cells[static_cast<std::size_t>(ColumnOf(kLength))].GetString()));
}

CString CFolderSession::ReadRefusalOf(RowId id) const {
  const auto found = m_readRefusals.find(id);
  return found != m_readRefusals.end() ? found->second : CString();
}

CFolderTotals CFolderSession::Totals() const {
  CFolderTotals totals;
  totals.nFiles = m_rows.Rows();
  for (int row = 0; row < m_rows.Rows(); ++row) {
    const auto id = static_cast<std::size_t>(m_rows.Row(row).data);
    if (id >= m_facts.size()) continue;
    totals.fKilobytes += m_facts[id].fKilobytes;
    totals.fSeconds += m_facts[id].fSeconds;
  }
  return totals;
}

CString CFolderSession::FileKeyOf(RowId id) { return m_table.FileCellOf(id, ColumnOf(kFileName)); }

CString CFolderSession::FilePathOf(RowId id) {
  if (m_table.RowOf(id) < 0 || m_strFolder.IsEmpty()) return CString();
  return CRowFiles(m_strFolder).PathOf(FileKeyOf(id));
}

// Edits.

int CFolderSession::SetCells(const std::vector<RowId>& ids, const CPackedCells& wanted, const CString& name,
                             const CString& oneRowName) {
  std::vector<CRowChange> changes;
  for (RowId id : ids)
    if (auto change = m_table.RowOf(id) >= 0 ? ChangeTo(m_table, id, wanted) : std::nullopt)
      changes.push_back(std::move(*change));
  const int changed = static_cast<int>(changes.size());
  if (changed == 1 && !oneRowName.IsEmpty())
    Do(std::make_unique<CRowsEdit>(m_table, oneRowName, std::move(changes)));
  else if (changed > 0)
    Do(std::make_unique<CRowsEdit>(m_table, name.Find("%d") >= 0 ? CString::Formatted(name, changed) : name,
                                   std::move(changes)));
  return changed;
}

int CFolderSession::SetRowsCells(const std::vector<std::pair<RowId, CPackedCells>>& wanted, const CString& name) {
  std::vector<CRowChange> changes;
  for (const auto& [id, cells] : wanted)
    if (auto change = m_table.RowOf(id) >= 0 ? ChangeTo(m_table, id, cells) : std::nullopt)
      changes.push_back(std::move(*change));
  const int changed = static_cast<int>(changes.size());
  if (changed > 0) Do(std::make_unique<CRowsEdit>(m_table, name + " (" + RowCount(changed) + ")", std::move(changes)));
  return changed;
}

int CFolderSession::ApplyRules(const std::array<CRuleChoice, kRuleCount>& rules) {
  // Each row's new cells are worked out first, the rules in their order (a
  // rule may copy a cell an earlier one wrote); the rows whose cells change
  // then change in one step of the history.
  std::vector<CRowChange> changes;
  for (int row = 0, rows = m_rows.Rows(); row < rows; ++row) {
    CPackedCells wanted;
    const auto cell = [&](Field field) {
      const int col = ColumnOf(field);
      return wanted.Has(col) ? wanted.Get(col) : CellOf(m_rows, row, col);
    };
    for (std::size_t k = 0; k < rules.size(); ++k) {
      const int col = ColumnOf(kRuleFields[k]);
      const RuleValue& value = rules[k].value;
      if (value.kind == RuleValue::kRowNumber)
        wanted.Set(col, CString::Formatted("%d", row + 1));
      else if (value.kind == RuleValue::kCell)
        wanted.Set(col, cell(value.source));
      else if (value.kind == RuleValue::kEditBox)
        wanted.Set(col, rules[k].strBox);
    }
    if (auto change = ChangeTo(m_table, m_table.IdOf(row), wanted)) changes.push_back(std::move(*change));
  }
  const int changed = static_cast<int>(changes.size());
  if (changed > 0) Do(std::make_unique<CRowsEdit>(m_table, "Update list (" + RowCount(changed) + ")", std::move(changes)));
  return changed;
}

int CFolderSession::DeleteRows(const std::vector<RowId>& ids, const CString& name) {
  const int count = static_cast<int>(std::count_if(ids.begin(), ids.end(), [this](RowId id) { return m_table.RowOf(id) >= 0; }));
  if (count > 0) Do(std::make_unique<CRowsDelete>(m_table, name, ids));
  return count;
}

std::unique_ptr<CRowTexts> CFolderSession::TextsOf(std::vector<int> rows) {
  return std::make_unique<CPlacedTexts>(m_rows, m_table, std::move(rows));
}

std::vector<CString> CFolderSession::NamesTakenBeside(const CRowTexts& rows) {
  std::vector<CString> names;
  std::set<CString> folders, renamed;
  for (int row = 0; row < rows.Count(); ++row) {
    const CString key = rows.FileKeyOf(row);
    folders.insert(base::FolderOf(key));
    renamed.insert(key);
  }
  for (const CString& sub : folders) AddNamesIn(m_strFolder, sub, names);
  // Another row's new name is taken as soon as it is saved.
  for (int row = 0, count = m_rows.Rows(); row < count; ++row) {
    const CString key = FileKeyOf(m_table.IdOf(row));
    const CString shown = CellOf(m_rows, row, ColumnOf(kFileName));
    if (shown != key && !renamed.count(key)) names.push_back(FileNameOfKey(shown, FileNameOfKey(key)));
  }
  return names;
}

// Covers.

namespace {

// How many rows' pictures are compared byte for byte; the rest are compared
// by their Cover texts, so a whole large folder is not read.
constexpr std::size_t kMaxCoversCompared = 500;

CShownCover Shown(const CCoverArt& cover) {
  return {cover.nType,  cover.nIndex, cover.nPictures, cover.strMime,       cover.nBytes,
          cover.nWidth, cover.nHeight, ShownCoverText(cover)};
}

}  // namespace

int CFolderSession::AddCover(const std::vector<RowId>& ids, std::string image, const CCoverArt& facts,
                             const CString& names) {
  // One picture for every row that gets it.
  const PendingCoverPtr cover = MakePendingCover(std::move(image), facts.strFormat, facts.nWidth, facts.nHeight);
  std::vector<CRowChange> changes;
  for (RowId id : ids) {
    const PendingCoverPtr now = m_table.CoverOf(id);
    // A file that holds this picture already needs no change of its own.
    const bool held = m_table.FileCellOf(id, ColumnOf(kCover)) == cover->strSummary && FileCover(id) == cover->strImage;
    const PendingCoverPtr wanted = held ? nullptr : cover;
    if (now ? wanted && now->strImage == wanted->strImage : !wanted) continue;
    changes.push_back({id, CRowState{{}, now, std::nullopt}, CRowState{{}, wanted, std::nullopt}});
  }
  const int changed = static_cast<int>(changes.size());
  if (changed > 0) Do(std::make_unique<CRowsEdit>(m_table, "Add cover (" + names + ")", std::move(changes)));
  return changed;
}

int CFolderSession::RemoveCover(const std::vector<RowId>& ids, const CString& names, std::vector<RowId>* changedOnDisk) {
  std::vector<CRowChange> changes;
  for (RowId id : ids) {
    const PendingCoverPtr now = m_table.CoverOf(id);
    const CString fileCover = m_table.FileCellOf(id, ColumnOf(kCover));
    const bool fileHasOne = fileCover != "-";
    if (now ? now->strImage.empty() : !fileHasOne) continue;  // no cover shows
    // A picture added to a file without one is simply dropped. A file's
    // picture is removed by what it is, so the save removes that one alone
    // (the next picture would become the file's cover).
    PendingCoverPtr removal;
    if (fileHasOne) {
      CCoverArt shown;
      FileCover(id, &shown, false);
      if (shown.nPictures == 0 ||
          CoverSummary(shown.strFormat, shown.strMime, shown.nWidth, shown.nHeight, shown.nBytes) != fileCover) {
        changedOnDisk->push_back(id);
        continue;
      }
      removal = MakeCoverRemoval(Shown(shown));
    }
    changes.push_back({id, CRowState{{}, now, std::nullopt}, CRowState{{}, removal, std::nullopt}});
  }
  const int changed = static_cast<int>(changes.size());
  if (changed > 0) Do(std::make_unique<CRowsEdit>(m_table, "Remove cover (" + names + ")", std::move(changes)));
  return changed;
}

CCommonCover CFolderSession::CommonCoverOf(const std::vector<RowId>& ids, CCoverArt* first) {
  std::vector<CRowCover> covers;
  covers.reserve(ids.size());
  for (RowId id : ids) covers.push_back({m_table.CoverOf(id), m_table.FileCellOf(id, ColumnOf(kCover))});
  return FindCommonCover(
      covers, [&](std::size_t k) { return FileCover(ids[k], k == 0 ? first : nullptr); }, kMaxCoversCompared);
}

std::string CFolderSession::FileCover(RowId id, CCoverArt* facts, bool bytes) {
  const CString path = FilePathOf(id);
  if (path.IsEmpty()) return {};
  CCoverArt cover;
  CMusicFile::Read(path)->GetFrontCover(&cover, bytes);
  std::string image = std::move(cover.strData);
  if (facts) *facts = std::move(cover);
  return image;
}

// Saving.

CSaveReport CFolderSession::Save(const std::vector<RowId>& ids, const CWork& work,
                                 const std::function<bool(const CString&)>& saveWithoutUndo) {
  CSaveReport report;
  m_renamed.clear();
  // Every file the save will write is known here, before the first one is touched.
  const std::vector<CPlannedSave> plan = PlanSaves(ids, work);
  if (!StartJournal(work, saveWithoutUndo, report.strNotBegun)) return report;
  if (m_pJournal && work.status) work.status("Noting what the save replaces\u2026");
  // A batch at a time: its files are read and their edits made (on a few
  // threads), what their writes replace goes into the journal, then they are
  // written, and flushed together while the next batch is written; the next
  // batch is read and edited meanwhile (nothing of it is written before its
  // records are on the disk). A stop ends the save between two files, after
  // the files taken up so far were written and reached the disk.
  CSaveBatch batch;
  std::size_t attempted = 0;
  std::size_t committing = 0;  // the first rows of m_pending, whose files the batch commits in the background
  bool stopped = false;
  std::unique_ptr<CEdits> next = plan.empty() ? nullptr : StartEdits(plan, 0);
  while (!stopped && next) {
    const std::size_t first = attempted;
    std::vector<CFileEdit> edits = next->Finish(work);
    next.reset();
    const std::size_t end = first + edits.size();
    std::vector<CSaveFailure> refused;
    std::vector<CEditedFile> edited;
    for (; attempted < end; ++attempted) {
      if ((stopped = !edits[attempted - first].bDone || !work.KeepGoing())) break;
      if (std::optional<CSaveFailure> failure = TakeEdited(plan[attempted], edits[attempted - first], work, edited))
        refused.push_back(*failure);
    }
    CString unjournalled;
    if (!JournalBatch(saveWithoutUndo, unjournalled)) {
      // Nothing of this batch is written: its rows were not come to.
      attempted = first;
      if (first == 0) report.strNotBegun = unjournalled;
      break;
    }
    report.failures.insert(report.failures.end(), refused.begin(), refused.end());
    // The next batch is read and edited while this one is written.
    if (!stopped && end < plan.size()) next = StartEdits(plan, end);
    for (CEditedFile& file : edited) {
      // The caller keeps answering between writes too; a stop asked for
      // now is heeded before the next file is taken up.
      work.KeepGoing();
      if (batch.IsFull()) {
        CommitSaves(batch, work, report);
        committing = 0;
      }
      if (std::optional<CSaveFailure> failure = WriteFile(file, batch)) report.failures.push_back(*failure);
    }
    // The previous batch reached the disk while this one was written; this
    // one is flushed while the next is.
    SettleSaves(batch.CommitInBackground([&work] { work.KeepGoing(); }), committing, work, report);
    committing = m_pending.size();
  }
  CommitSaves(batch, work, report);
  if (!m_renamed.empty()) UpdatePlaylists(report);
  if (m_pJournal) {
    CString error;
    // An entry left as the batches grew it is still undone safely: each
    // file's record checks the file itself.
    m_pJournal->Finish(error);
    m_pJournal.reset();
  }
  report.nAttempted = static_cast<int>(attempted);
  return report;
}

std::vector<CSaveFailure> CFolderSession::CheckSave(const std::vector<RowId>& ids, const CWork& work) {
  std::vector<CSaveFailure> failures;
  const std::vector<CPlannedSave> plan = PlanSaves(ids, work);
  CWork quiet;  // no field is written
  quiet.keepGoing = work.keepGoing;
  // Read and edited a batch at a time, as the save reads them.
  for (std::size_t first = 0; first < plan.size();) {
    std::vector<CFileEdit> edits = StartEdits(plan, first)->Finish(work);
    for (std::size_t i = 0; i < edits.size(); ++i) {
      if (!edits[i].bDone) return failures;
      std::vector<CEditedFile> edited;
      if (std::optional<CSaveFailure> failure = TakeEdited(plan[first + i], edits[i], quiet, edited))
        failures.push_back(*failure);
    }
    first += edits.size();
  }
  return failures;
}

void CFolderSession::UpdatePlaylists(CSaveReport& report) {
  for (const CString& path : PlaylistsIn(m_strFolder, m_bSubfolders)) {
    std::ifstream in(path.GetString(), std::ios::binary);
    std::ostringstream read;
    read << in.rdbuf();
    const std::string before = read.str();
    const std::optional<std::string> after = RenamedInPlaylist(before, base::FolderOf(path), m_renamed);
    if (!in || !after) continue;
    const CString shown = path.Mid(m_strFolder.GetLength() + 1);
    // Recorded first, as a music file is: an undo of the save puts it back.
    CString error;
    if (m_pJournal) {
      m_pJournal->Add(path, MakeWholeFileRecord(before, *after));
      if (!m_pJournal->Record(error)) {
        report.playlistErrors.push_back(shown + ": " + error);
        return;
      }
      m_pJournal->NoteWriting(path);
    }
    if (!base::WriteFileDurably(path.Str(), *after)) {
      report.playlistErrors.push_back(shown + ": " + std::strerror(errno));
      continue;
    }
    if (m_pJournal) m_pJournal->NoteSaved(path, path);
    report.playlists.push_back(shown);
  }
}

std::vector<CFolderSession::CPlannedSave> CFolderSession::PlanSaves(const std::vector<RowId>& ids, const CWork& work) {
  std::vector<CPlannedSave> plan;
  plan.reserve(ids.size());
  CRowFiles files(m_strFolder);
  const CFolderBounds bounds(m_strFolder);
  // A row with no edit is not written at all, so its file is not looked for.
  if (static_cast<std::size_t>(std::count_if(ids.begin(), ids.end(), [this](RowId id) { return IsEdited(id); })) >
      kRowsLookedUpOneByOne)
    files.ListFolders([&work] { work.KeepGoing(); });
  for (RowId id : ids) {
    // A stop asked for now is heeded before the first write; the caller keeps answering meanwhile.
    work.KeepGoing();
    if (m_table.RowOf(id) < 0 || m_strFolder.IsEmpty()) continue;
    if (!IsEdited(id)) {
      plan.push_back({id, CString(), CString(), false, CString()});
      continue;
    }
    const CString fileKey = FileKeyOf(id);
    const CString path = files.PathOf(fileKey);
    const CString key = CellOf(m_rows, m_table.RowOf(id), ColumnOf(kFileName));
    // A pending rename keeps the file's own extension ("Song.MP3" stays
    // ".MP3", a FLAC file stays one whatever the key says).
    CString newPath = path.IsEmpty() || key == fileKey ? CString() : base::JoinPath(m_strFolder, FileNameOfKey(key, path));
    if (newPath == path) newPath.Empty();  // "b" for "b.flac": the name it has
    plan.push_back({id, path, newPath, true, path.IsEmpty() ? CString() : WhyOutsideFolder(bounds, path)});
  }
  return plan;
}

bool CFolderSession::StartJournal(const CWork& work, const std::function<bool(const CString&)>& saveWithoutUndo,
                                  CString& notBegun) {
  m_pJournal.reset();
  m_bUnjournalled = false;
  const CSaveJournal journal;
  CString error;
  // A journal that cannot be written at all is known before the files are read.
  if (journal.Prepare(m_strFolder, error)) {
    m_pJournal = std::make_unique<CJournalledSave>(journal, m_strFolder, [&work] { work.KeepGoing(); });
    return true;
  }
  if (saveWithoutUndo && saveWithoutUndo(error)) return true;
  notBegun = error;
  return false;
}

bool CFolderSession::JournalBatch(const std::function<bool(const CString&)>& saveWithoutUndo, CString& error) {
  if (!m_pJournal || m_bUnjournalled || m_pJournal->Record(error)) return true;
  // The rest of the save, from this batch on, goes without a way back, or not at all.
  m_bUnjournalled = saveWithoutUndo && saveWithoutUndo(error);
  return m_bUnjournalled;
}

std::unique_ptr<CFolderSession::CEdits> CFolderSession::StartEdits(const std::vector<CPlannedSave>& plan,
                                                                   std::size_t first) {
  std::size_t end = first;
  for (std::size_t files = 0; end < plan.size() && files < kFilesPerBatch; ++end) files += plan[end].bEdited;
  std::vector<CFileEdit> edits(end - first);
  std::size_t reads = 0;
  for (std::size_t i = 0; i < edits.size(); ++i) {
    const CPlannedSave& save = plan[first + i];
    if (!save.ReadsItsFile()) continue;
    ++reads;
    CFileEdit& edit = edits[i];
    // The tags' version first, so the fields go into the converted tag; then
    // the stored fields' edits, then the cells (which show what those made).
    const CPackedCells* values = m_table.FileValuesOf(save.id);
    const int row = m_table.RowOf(save.id);
    const CString tags = CellOf(m_rows, row, ColumnOf(kTagVersion));
    if (values && values->Has(ColumnOf(kTagVersion)) && values->Get(ColumnOf(kTagVersion)) != tags) edit.tags = tags;
    edit.fields = m_table.FieldsOf(save.id);
    for (Field field : kEditableFields)
      if (values && values->Has(ColumnOf(field))) edit.values.emplace_back(field, CellOf(m_rows, row, ColumnOf(field)));
    edit.cover = m_table.CoverOf(save.id);
  }
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t helpers = std::min({cores - 1, kEditThreads - 1, reads / kFilesPerEditThread});
  return std::make_unique<CEdits>(plan, first, std::move(edits), helpers);
}

void CFolderSession::EditFile(const CString& path, CFileEdit& edit) {
  edit.pFile = CMusicFile::Read(path);
  edit.read = edit.pFile->Identity();
  CMusicFile& file = *edit.pFile;
  // The fields the user changed, and a pending cover, in one write, so a
  // growing tag rewrites the file once; the others keep what the file holds.
  CString refusal;
  if (edit.tags) refusal = MakeTagsAsShown(file, *edit.tags);
  if (edit.fields && refusal.IsEmpty())
    for (const auto& [key, texts] : edit.fields->edits)
      if (refusal.IsEmpty()) refusal = file.SetStored(key, texts);
  for (const auto& [field, text] : edit.values) {
    const CString why = file.Set(SpecOf(field).tag, text);
    if (refusal.IsEmpty()) refusal = why;
  }
  if (refusal.IsEmpty() && edit.cover) refusal = SetPendingCover(file, *edit.cover);
  // Rendered once: the journal keeps the record of this rendering, and the write writes it.
  if (refusal.IsEmpty()) edit.record = file.SaveRecord(&refusal);
  edit.strRefusal = refusal;
}

std::optional<CSaveFailure> CFolderSession::TakeEdited(const CPlannedSave& save, CFileEdit& edit, const CWork& work,
                                                       std::vector<CEditedFile>& edited) {
  if (!save.bEdited) return std::nullopt;  // nothing to write
  const CString key = FileKeyOf(save.id);
  const CString& path = save.strPath;
  if (path.IsEmpty()) return CSaveFailure{save.id, FileNameOfKey(key), "no single file of that name is in the folder."};
  const auto fail = [&](const CString& reason) { return CSaveFailure{save.id, ShownName(key, path), reason}; };
  if (!save.strRefusal.IsEmpty()) return fail(save.strRefusal);
  if (edit.error) std::rethrow_exception(edit.error);
  // What another program (or another window) wrote since the rows were read
  // is never written over: such a file is not written at all.
  const CString changed = m_loadedFiles.WhyNotTheOneRead(path, edit.read);
  if (!changed.IsEmpty()) return fail(changed);
  if (work.fieldWritten)
    for (const auto& value : edit.values) work.fieldWritten(SpecOf(value.first).save.strStep);
  if (!edit.strRefusal.IsEmpty()) return fail(edit.strRefusal + ".");
  if (m_pJournal && !m_bUnjournalled)
    m_pJournal->Add(path, edit.record, save.strNewPath,
                    edit.read.IsKnown() ? std::optional<long long>(edit.read.nMtimeNs) : std::nullopt);
  edited.push_back({&save, std::move(edit.pFile)});
  return std::nullopt;
}

std::optional<CSaveFailure> CFolderSession::WriteFile(CEditedFile& edited, CSaveBatch& batch) {
  const CPlannedSave& save = *edited.pSave;
  const CString key = FileKeyOf(save.id);
  // Written only by the write whose record the journal holds.
  if (m_pJournal && m_pJournal->RecordOf(save.strPath)) m_pJournal->NoteWriting(save.strPath);
  CString reason;
  if (!edited.pFile->Save(&reason, &batch)) return CSaveFailure{save.id, ShownName(key, save.strPath), reason + "."};
  // The value shows what the file holds once its batch is committed, so the
  // row can show it then without a second reading.
  m_pending.push_back({save.id, save.strPath, save.strNewPath, RowCellsOf(*edited.pFile, ShownName(key, save.strPath)),
                       edited.pFile->Identity()});
  NoteFacts(save.id, m_pending.back().cells);
  m_readRefusals.erase(save.id);
  edited.pFile.reset();
  return std::nullopt;
}

void CFolderSession::CommitSaves(CSaveBatch& batch, const CWork& work, CSaveReport& report) {
  SettleSaves(batch.Commit([&work] { work.KeepGoing(); }), m_pending.size(), work, report);
}

void CFolderSession::SettleSaves(const std::vector<CWriteOutcome>& outcomes, std::size_t count, const CWork& work,
                                 CSaveReport& report) {
  for (const CWriteOutcome& outcome : outcomes) m_outcomes[outcome.strPath] = outcome.strError;
  count = std::min(count, m_pending.size());
  bool saved = false;
  for (const CPendingSave& pending : std::span(m_pending).first(count)) {
    const CString shown = ShownName(pending.cells.front(), pending.strPath);
    // A file with nothing to write has no outcome.
    const auto found = m_outcomes.find(pending.strPath);
    const CString error = found != m_outcomes.end() ? found->second : CString();
    if (found != m_outcomes.end()) m_outcomes.erase(found);
    if (!error.IsEmpty()) {
      report.failures.push_back({pending.id, shown, error + "."});
      continue;
    }
    // The tags are on the disk; a rename comes only now, so a crash in
    // between leaves the file under its old name, which the journal knows.
    // The file is what the next save must find there.
    m_loadedFiles.Note(pending.strPath, pending.written);
    const int row = m_table.RowOf(pending.id);
    const CString wanted = CellOf(m_rows, row, ColumnOf(kFileName));
    CString renameError;
    bool renamed = false;
    if (!pending.strNewPath.IsEmpty()) {
      // Only the file this save wrote takes the row's new name.
      if (!m_loadedFiles.WhyNotTheOneRead(pending.strPath, CMusicFile::ReadIdentity(pending.strPath)).IsEmpty())
        renameError = "the file changed on disk after its tags were written \u2014 Reload to see it";
      renamed = renameError.IsEmpty() && RenameWithoutReplacing(pending.strPath, pending.strNewPath, renameError);
      if (renamed) m_loadedFiles.Move(pending.strPath, pending.strNewPath);
      if (renamed) m_renamed[pending.strPath] = pending.strNewPath;
    }
    std::vector<CString> cells = pending.cells;
    // The key of the name it got ("E.flac" for a FLAC file the user named "E").
    if (renamed) cells.front() = RowKeyOf(FileNameOfKey(wanted, pending.strPath));
    for (int col = 0; col < static_cast<int>(cells.size()); ++col)
      if (m_rows.Text(row, col) != cells[static_cast<std::size_t>(col)].Str())
        m_rows.SetText(row, col, cells[static_cast<std::size_t>(col)].Str());
    // As the write left it: a rename keeps its size and time.
    if (m_pJournal)
      m_pJournal->NoteSaved(pending.strPath, renamed ? pending.strNewPath : pending.strPath,
                            CJournalledSave::CFacts{pending.written.nSize, pending.written.nMtimeNs});
    m_table.NoteSaved(pending.id);
    saved = true;
    ++report.nWritten;
    if (renameError.IsEmpty()) {
      report.saved.push_back(pending.id);
      continue;
    }
    // Saved but not renamed: the new name stays pending, and the row says why.
    CPackedCells name;
    name.Set(ColumnOf(kFileName), wanted);
    m_table.SetState(pending.id, {name, std::nullopt, std::nullopt});
    report.failures.push_back({pending.id, shown,
                               "its tags were saved, but it was not renamed to \"" +
                                   base::FileNameOf(pending.strNewPath) + "\": " + renameError + ".",
                               true});
  }
  // Only now are they on the disk.
  if (saved && work.committed) work.committed();
  m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(count));
  if (m_pending.empty()) m_outcomes.clear();
}

// The undo of a save.

bool CFolderSession::HasSaveToUndo() const { return CSaveJournal().HasEntries(m_strFolder); }

std::optional<JournalEntry> CFolderSession::LastSave(CString& problem, std::uint64_t* newest) const {
  return CSaveJournal().ReadLatest(m_strFolder, problem, newest);
}

bool CFolderSession::SetAsideLastSave(std::uint64_t newest, CString& error) const {
  return CSaveJournal().SetAside(m_strFolder, newest, error);
}

std::vector<CRestoredFile> CFolderSession::CheckUndoSave(const JournalEntry& entry) const {
  CMyMP3Tags tags;
  return CSaveRestorer(tags, m_strFolder).Check(entry);
}

CUndoSaveReport CFolderSession::UndoSave(const JournalEntry& entry, const CWork& work) {
  CUndoSaveReport report;
  int done = 0;
  const int total = static_cast<int>(entry.files.size());
  CMyMP3Tags tags;
  report.results = CSaveRestorer(tags, m_strFolder).Run(entry, [&] {
    if (work.progress) work.progress(++done, total);
    return work.KeepGoing();
  }, [&work] { work.KeepGoing(); });
  report.bRetry = report.results.size() < entry.files.size();
  for (const CRestoredFile& result : report.results) report.bRetry = report.bRetry || result.bRetry;
  // Once undone the entry goes, so the next undo takes the save before it;
  // an undo stopped short, or a write that failed, can be tried again.
  if (!report.bRetry) CSaveJournal().Remove(m_strFolder, entry.nId, report.strJournalError);
  return report;
}

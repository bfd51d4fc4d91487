#pragma once
// CFolderSession: the program's core. While a folder is open it owns what
// the folder is: its music files as rows of data (what each file holds and
// what the user changed), the command history, what each file was when it
// was read, and the journal of saves; and it does every operation on them as
// a call that returns its result, file by file. The window and the tests are
// two faces of it: they ask, it answers; it knows no widgets.
#include <core/CommandHistory.h>
#include <core/CoverEdits.h>
#include <base/FolderWalk.h>
#include <core/Fields.h>
#include <core/LoadedFiles.h>
#include <core/PackedCells.h>
#include <core/SaveJournal.h>
#include <core/SaveRestorer.h>
#include <core/TableRows.h>

#include <base/RowStore.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class CMyMP3Tags;
class CJournalledSave;
class CSaveBatch;
class CMusicFile;
struct CCoverArt;
class CRowTexts;

// How long work reports on itself and is stopped. Every hook may be empty.
struct CWork {
  // Asked between files and while waiting on the disk: false stops the work
  // (a caller with a window keeps it painted here).
  std::function<bool()> keepGoing;
  // done of total files.
  std::function<void(int done, int total)> progress;
  // What the work is doing now ("Noting what the save replaces…").
  std::function<void(const CString& text)> status;
  // The field a save is writing now ("Artist"), one call per field of each file.
  std::function<void(const CString& field)> fieldWritten;
  // Files of a save are on the disk now (a batch was committed).
  std::function<void()> committed;

  bool KeepGoing() const { return !keepGoing || keepGoing(); }
};

// What Open did.
struct CLoadReport {
  int nListed = 0;             // music files the folder walk found
  int nRead = 0;               // rows read
  bool bStopped = false;       // stopped (before any file was read when nRead is 0)
  CMusicListing walk;            // what the walk skipped, and the leftovers it removed
  int nVanished = 0;           // files gone between the walk and their reading
  int nChangedWhileRead = 0;   // files another program kept rewriting while they were read
};

// The folder's totals, from the rows' values.
struct CFolderTotals {
  int nFiles = 0;
  double fKilobytes = 0;
  double fSeconds = 0;
};

// One stored field of some rows' files ("All fields…"): the values they
// share, or nothing where they differ.
struct CCommonField {
  CString strKey;                               // as the tag value names it ("TXXX:MusicBrainz Album Id", "ARTIST")
  std::optional<std::vector<CString>> values;   // text values the rows share; nothing where they differ
  CString strSummary;                           // what a field that is not text holds (the first row's)
  bool bText = false;
  int nRows = 0;                                // how many of the rows have it
};

// Field names "All fields…" offers for a file whose Tag column says tags:
// the usual ones of its format that the edit boxes do not have.
std::vector<CString> SuggestedFieldKeys(const CString& tags);

// A row a save could not write (or wrote but could not rename), and why.
struct CSaveFailure {
  RowId id = 0;
  CString strFile;    // the file's name below the folder ("CD1/Song.mp3")
  CString strReason;  // a sentence
  bool bTagsSaved = false;  // its tags were written; only its new name was not given
};

// What Save did.
struct CSaveReport {
  int nAttempted = 0;  // rows of the request the save came to (all of them unless stopped)
  int nWritten = 0;    // files written
  std::vector<CSaveFailure> failures;  // in the order met
  std::vector<RowId> saved;            // rows whose files now hold what they show
  CString strNotBegun;  // why nothing at all was written (the journal could not be kept, and no was said)
  // Playlists in the folder that named a file the save renamed, written anew
  // (below the folder), and those that could not be, with why.
  std::vector<CString> playlists, playlistErrors;
};

// What an apply-to-all rule writes into its field, and the text of the
// field's box for a rule that writes the box.
struct CRuleChoice {
  RuleValue value{RuleValue::kKeep};
  CString strBox;
};

// What UndoSave did.
struct CUndoSaveReport {
  std::vector<CRestoredFile> results;  // in the entry's order; fewer than its files when stopped
  bool bRetry = false;                 // another undo of the same save could do more: the entry stays
  CString strJournalError;             // the entry could not be removed
};

class CFolderSession {
 public:
  CFolderSession();
  ~CFolderSession();
  CFolderSession(const CFolderSession&) = delete;
  CFolderSession& operator=(const CFolderSession&) = delete;

  // The rows, for a view to show (the window's list shows this very store).
  base::RowStore& Rows() { return m_rows; }
  // The rows by id, with what their files hold where they were edited.
  CTableRows& Table() { return m_table; }
  const CString& Folder() const { return m_strFolder; }
  bool Subfolders() const { return m_bSubfolders; }
  // The folder is forgotten (it held no music file); the rows are cleared.
  void Forget();
  // The folder the rows belong to, without reading it (rows put in by hand).
  void SetFolder(const CString& folder, bool subfolders) {
    m_strFolder = folder;
    m_bSubfolders = subfolders;
  }

  // Reads every music file of folder (with subfolders, of the folders below
  // it too) into the rows, one row each, in the walk's order; the history,
  // edits and notes of the files read before are gone. New files of saves a
  // crash interrupted are removed first (only those this program proves it
  // made). Stopped by work, it keeps the rows read so far.
  CLoadReport Open(CString folder, bool subfolders, const CWork& work = {});
  // Reads only the named files of folder (paths below it, "CD1/a.mp3"), in
  // the order given, as Open reads a folder's; subfolders says whether the
  // folder is taken with the folders below it. A name that is no music file
  // of the folder is counted as vanished.
  CLoadReport OpenFiles(CString folder, std::vector<CString> names, bool subfolders, const CWork& work = {});
  // Walks the folder again (removing leftovers as Open does) and tells
  // whether it lists exactly the rows' files; listing gets the walk.
  bool ListsItsRows(const CWork& work, CMusicListing* listing);
  CFolderTotals Totals() const;
  // Why the row's file could not be read whole or cannot be saved, as the
  // load found it ("The file is empty"); empty for most rows, and once the
  // row's file was saved.
  CString ReadRefusalOf(RowId id) const;

  // The row's file as named on disk below the folder, without extension:
  // the File name cell, or its name before a rename not saved yet.
  CString FileKeyOf(RowId id);
  // The row's file: empty when the folder holds no single file of its key.
  CString FilePathOf(RowId id);

  // Every change of the rows, done, undone and redone (names as the history gives them).
  void Do(std::unique_ptr<CCommand> command) { m_history.Do(std::move(command)); }
  CString Undo() { return m_history.Undo(); }
  CString Redo() { return m_history.Redo(); }
  bool CanUndo() const { return m_history.CanUndo(); }
  bool CanRedo() const { return m_history.CanRedo(); }
  // Edits of rows, each one step of the history. A cell that holds its text
  // already changes nothing; with no change at all there is no step. Each
  // returns how many rows changed.
  // The rows' cells of wanted's columns become wanted's texts; name names the
  // step ("Update (Song)"; a %d in it is the count of rows changed), and
  // oneRowName, when given, names it when a single row changed.
  int SetCells(const std::vector<RowId>& ids, const CPackedCells& wanted, const CString& name,
               const CString& oneRowName = CString());
  // Each row its own cells; the step is name followed by " (N rows)".
  int SetRowsCells(const std::vector<std::pair<RowId, CPackedCells>>& wanted, const CString& name);
  // The apply-to-all rules over every row, in the table's order, one choice
  // per rule field (kRuleFields), run in that order: "Update list (N rows)".
  int ApplyRules(const std::array<CRuleChoice, kRuleCount>& rules);
  // Takes the rows out of the table (their files stay): a step of its own.
  int DeleteRows(const std::vector<RowId>& ids, const CString& name);
  // The rows at these places in the table, as the edits read them.
  std::unique_ptr<CRowTexts> TextsOf(std::vector<int> rows);
  // The names a rename of the rows must not take: what their folders hold,
  // and the new names other rows wait to be saved with.
  std::vector<CString> NamesTakenBeside(const CRowTexts& rows);

  // Covers: a change is a step of the history, written by the next save of
  // its rows. names names the rows in the step ("Add cover (Song)").
  // Makes the picture (checked as a cover, with its facts) the rows' front
  // cover; how many rows changed (0: every file has it already).
  int AddCover(const std::vector<RowId>& ids, std::string image, const CCoverArt& facts, const CString& names);
  // Takes the front cover off the rows; changedOnDisk gets the rows whose
  // file's cover is no longer the one the row shows (they keep it).
  int RemoveCover(const std::vector<RowId>& ids, const CString& names, std::vector<RowId>* changedOnDisk);
  // What the rows' covers have in common, pending changes included; first,
  // when given, gets the facts of the first row's file cover when it was read.
  CCommonCover CommonCoverOf(const std::vector<RowId>& ids, CCoverArt* first = nullptr);
  // The front cover of the row's file as it is on disk; empty when none.
  // facts, when given, gets its facts; bytes false: those alone.
  std::string FileCover(RowId id, CCoverArt* facts = nullptr, bool bytes = true);

  // Every field the rows' files store ("All fields…"), as their next save
  // would leave them (the rows' pending edits of them made), each key once
  // in the order first met. problem gets the first file that could not be
  // read, with why.
  std::vector<CCommonField> StoredFieldsOf(const std::vector<RowId>& ids, CString* problem);
  // Sets key to values (none: removes every field of that key) in each
  // row's stored fields: one step of the history, written by the next save;
  // a cell of a field that key is (TPE1 is the Artist) follows. refusals
  // gets each file that cannot take it, with why ("a.flac: A Vorbis comment
  // name is ..."); those rows stay as they are. Returns how many rows changed.
  int SetStoredField(const std::vector<RowId>& ids, const CString& key, const std::vector<CString>& values,
                     std::vector<CString>* refusals);

  // Rows whose files differ from them.
  int UnsavedCount() const { return m_table.UnsavedCount(); }
  bool IsEdited(RowId id) const { return m_table.FileValuesOf(id) != nullptr; }

  // Saves the rows' files, in the order given: only the fields that differ
  // from what each file held, and only onto the file that was read. Files
  // are read, recorded and written in batches flushed together: before a
  // batch's first write, what its writes replace is in the journal on the
  // disk; when it cannot be, saveWithoutUndo is asked (no: the save stops
  // before that batch, and with the first batch nothing is written). A stop
  // ends the save between two files, after the ones read so far were written
  // and reached the disk. A saved row shows what its file now holds; a row
  // not saved keeps its edits.
  CSaveReport Save(const std::vector<RowId>& ids, const CWork& work,
                   const std::function<bool(const CString& reason)>& saveWithoutUndo);
  // The files a save of these rows would refuse, and why, found as the save
  // finds them (each file read and its edits made in memory); nothing is
  // written. (A rename that another file's name blocks shows only at the save.)
  std::vector<CSaveFailure> CheckSave(const std::vector<RowId>& ids, const CWork& work);

  // The folder's newest save in the journal. Null with problem empty when
  // there is none; with problem when the newest entry is not usable (newest
  // then names it, for SetAsideLastSave).
  bool HasSaveToUndo() const;
  std::optional<JournalEntry> LastSave(CString& problem, std::uint64_t* newest) const;
  bool SetAsideLastSave(std::uint64_t newest, CString& error) const;
  // Puts the entry's files back as they were before it, each only if it
  // still holds what that save wrote. The rows are not read again: Open does that.
  CUndoSaveReport UndoSave(const JournalEntry& entry, const CWork& work);
  // The files UndoSave would leave alone, and why, as far as their names,
  // sizes and times tell; nothing is written.
  std::vector<CRestoredFile> CheckUndoSave(const JournalEntry& entry) const;

 private:
  struct CPlannedSave;
  struct CEditedFile;
  struct CFileEdit;
  class CEdits;
  struct CPendingSave;
  void ReadFiles(const std::vector<CString>& names, const CWork& work, CLoadReport& report);
  std::vector<CPlannedSave> PlanSaves(const std::vector<RowId>& ids, const CWork& work);
  // The save's entry in the journal, or none when the journal cannot be
  // written and saveWithoutUndo says yes; false when it says no (notBegun says why).
  bool StartJournal(const CWork& work, const std::function<bool(const CString&)>& saveWithoutUndo, CString& notBegun);
  // Puts the records of the files edited since the last batch on the disk;
  // false when they are not, and saveWithoutUndo says no (error says why).
  bool JournalBatch(const std::function<bool(const CString&)>& saveWithoutUndo, CString& error);
  // Starts reading the files of the batch that begins at plan[first] and
  // making their rows' edits in them.
  std::unique_ptr<CEdits> StartEdits(const std::vector<CPlannedSave>& plan, std::size_t first);
  static void EditFile(const CString& path, CFileEdit& edit);
  // Takes an edited file into the batch, and the record of its write into
  // the journal; the failure when it cannot be saved.
  std::optional<CSaveFailure> TakeEdited(const CPlannedSave& save, CFileEdit& edit, const CWork& work,
                                         std::vector<CEditedFile>& edited);
  // Writes an edited file into the batch; the failure when it cannot.
  std::optional<CSaveFailure> WriteFile(CEditedFile& edited, CSaveBatch& batch);
  // Commits every file of the batch and settles every row written.
  void CommitSaves(CSaveBatch& batch, const CWork& work, CSaveReport& report);
  // Settles the first count rows of m_pending, whose files were committed,
  // by the outcomes (those of later rows are kept for their turn): a row
  // saved shows what its file holds, takes its new name, goes into the report.
  void SettleSaves(const std::vector<CWriteOutcome>& outcomes, std::size_t count, const CWork& work,
                   CSaveReport& report);
  // The cells of the file's row; name is its name below the folder.
  static std::vector<CString> RowCellsOf(const CMusicFile& file, const CString& name);
  void NoteFacts(RowId id, const std::vector<CString>& cells);

  base::RowStore m_rows;
  CTableRows m_table;
  CCommandHistory m_history;
  CLoadedFiles m_loadedFiles;
  CString m_strFolder;
  bool m_bSubfolders = false;
  // Each row's size and length, for the totals, by row id (ids are dense).
  struct CFacts {
    float fKilobytes = 0;
    float fSeconds = 0;
  };
  std::vector<CFacts> m_facts;
  std::map<RowId, CString> m_readRefusals;  // the few rows whose files were refused when read
  std::unique_ptr<CJournalledSave> m_pJournal;  // the entry of the save running
  bool m_bUnjournalled = false;                 // its files from some batch on go without records
  std::vector<CPendingSave> m_pending;          // rows written into the batch, awaiting its commit
  std::map<CString, CString> m_outcomes;        // of files committed whose rows are not settled: path to error
  std::map<CString, CString> m_renamed;         // files the save renamed: the old path to the new
  // The playlists that name a file the save renamed name its new name.
  void UpdatePlaylists(CSaveReport& report);
};

// The commands: each reads its arguments, opens the files in a folder
// session, changes the rows as the window's command of the same name does,
// and saves them through the session (its refusals, journal and safe writer).
#include "Cli.h"

#include <core/CoverEdits.h>
#include <core/Fields.h>
#include <core/Numbering.h>
#include <core/Playlist.h>
#include <core/RowEdits.h>
#include <core/Spreadsheet.h>
#include <core/Summaries.h>

#include <base/DurableFile.h>
#include <base/FolderWalk.h>
#include <base/Path.h>
#include <tags/MyMP3Tags.h>
#include <tags/TagFile.h>

#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <optional>
#include <algorithm>
#include <functional>
#include <sstream>

namespace {

constexpr long long kMaxCoverBytes = 16 * 1024 * 1024;

// A command's arguments: its options (each taking a fixed number of values)
// and the rest, in order; "--" ends the options.
struct CArgs {
  std::map<std::string, std::vector<std::string>> options;
  std::vector<std::string> rest;
  std::size_t nDashDash = std::string::npos;  // how many of rest came before "--"

  bool Has(const char* name) const { return options.count(name) > 0; }
  const std::string& Value(const char* name, std::size_t k = 0) const { return options.at(name)[k]; }
};

bool ReadArgs(const std::vector<std::string>& args, const std::map<std::string, int>& known, CArgs& read,
              COutput& out) {
  for (std::size_t k = 0; k < args.size(); ++k) {
    const std::string& arg = args[k];
    if (arg == "--" && read.nDashDash == std::string::npos) {
      read.nDashDash = read.rest.size();
      continue;
    }
    if (read.nDashDash != std::string::npos || arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
      read.rest.push_back(arg);
      continue;
    }
    const auto found = known.find(arg);
    if (found == known.end()) {
      out.Error(CString::Formatted("unknown option %s (--help lists them).", arg.c_str()));
      return false;
    }
    if (read.options.count(arg)) {
      out.Error(CString::Formatted("%s is given twice.", arg.c_str()));
      return false;
    }
    if (found->second > 0 && k + static_cast<std::size_t>(found->second) >= args.size()) {
      out.Error(CString::Formatted("%s needs %d value%s.", arg.c_str(), found->second, found->second == 1 ? "" : "s"));
      return false;
    }
    auto& values = read.options[arg];
    for (int v = 0; v < found->second; ++v) values.push_back(args[++k]);
  }
  return true;
}

int Usage(COutput& out, const char* problem) {
  out.Error(CString(problem) + " (quillory-cli --help shows the usage)");
  return kBadUsage;
}

// A pattern or an expression that cannot be used: its own message says why.
int BadInput(COutput& out, const CString& problem) {
  out.Error(problem + " Nothing was written.");
  return kBadUsage;
}

// A field a command names; its message when there is none.
std::optional<Field> FieldArg(const std::string& name, bool editable, COutput& out) {
  const std::optional<Field> field = FieldNamed(name.c_str());
  if (field && (!editable || (*field >= kEditableFirst && *field < kEditableEnd))) return field;
  CString known;
  for (const CString& each : EditableFieldNames()) known += (known.IsEmpty() ? "" : " ") + each;
  out.Error(CString::Formatted("no field is called \"%s\"%s: the fields are %s.", name.c_str(),
                               field ? " that can be written" : "", known.GetString()));
  return std::nullopt;
}

// The files of the paths, read into the session.
class CFiles {
 public:
  explicit CFiles(COutput& out) : m_out(out) {}

  // False (the message given) when a path does not resolve.
  bool Open(const std::vector<std::string>& paths) {
    if (paths.empty()) {
      m_out.Error("name a file or a folder (quillory-cli --help shows the usage).");
      return false;
    }
    CString error;
    if (!ResolvePaths(paths, m_out.Options().bSubfolders, m_target, error)) {
      m_out.Error(error);
      return false;
    }
    // A folder left out makes the command one that did not do all it was asked.
    for (const auto& [path, leftOut] : m_target.unreadable) m_out.Refuse(path, leftOut);
    if (m_target.names.empty()) {
      m_out.Error("no music file in the paths given.");
      return true;
    }
    for (const CString& name : m_target.names) m_names[RowKeyOf(name)] = name;
    m_session.OpenFiles(m_target.strFolder, m_target.names, m_target.bSubfolders, m_out.Work("Reading"));
    return true;
  }
  // The whole folder, as the window opens it.
  void OpenFolder(const CString& folder, bool subfolders) {
    m_target.strFolder = folder;
    m_target.bSubfolders = subfolders;
    m_target.names = ListMusicFiles(folder, subfolders).names;
    for (const CString& name : m_target.names) m_names[RowKeyOf(name)] = name;
    m_session.OpenFiles(folder, m_target.names, subfolders, m_out.Work("Reading"));
  }

  CFolderSession& Session() { return m_session; }
  const CString& Folder() const { return m_target.strFolder; }
  std::vector<RowId> Ids() {
    std::vector<RowId> ids;
    for (int row = 0; row < m_session.Rows().Rows(); ++row) ids.push_back(m_session.Table().IdOf(row));
    return ids;
  }
  CString Cell(RowId id, Field field) {
    return CellOf(m_session.Rows(), m_session.Table().RowOf(id), ColumnOf(field));
  }
  // What a person reads in the cell: a genre by its name.
  CString Text(RowId id, Field field) {
    const CString cell = Cell(id, field);
    return field == kGenre ? CMyMP3Tags::GenreName(cell) : cell;
  }
  CString KeyOf(RowId id) { return m_session.FileKeyOf(id); }
  // Names the files whose fields could not all be read, or that cannot be
  // saved, as a save would name them: what is shown of them is not all they hold.
  void NameRefused() {
    for (RowId id : Ids())
      if (const CString reason = m_session.ReadRefusalOf(id); !reason.IsEmpty()) m_out.Refuse(Shown(id), reason + ".");
  }
  // The file as messages name it.
  CString Shown(RowId id) { return ShownPath(Folder(), FileNameFor(KeyOf(id))); }
  CString ShownName(const CString& name) { return ShownPath(Folder(), name); }
  CString FullPath(RowId id) { return base::JoinPath(Folder(), FileNameFor(KeyOf(id))); }

  // Saves the edited rows; the exit status.
  int Save() {
    std::vector<RowId> ids;
    for (RowId id : Ids())
      if (m_session.IsEdited(id)) ids.push_back(id);
    if (ids.empty()) {
      m_out.Note("Nothing to change.");
      return m_out.Status();
    }
    if (m_out.Options().bDryRun) {
      // The files a save would refuse are named as the save names them.
      const std::vector<CSaveFailure> refused = m_session.CheckSave(ids, m_out.Work("Checking"));
      std::set<RowId> refusedIds;
      for (const CSaveFailure& failure : refused) refusedIds.insert(failure.id);
      for (RowId id : ids)
        if (!refusedIds.count(id)) PrintChanges(id);
      for (const CSaveFailure& failure : refused) m_out.Refuse(ShownName(failure.strFile), failure.strReason);
      m_out.Note(FilesText(ids.size() - refusedIds.size()) + " would be written (dry run: nothing was written).");
      return m_out.Status();
    }
    // Every save is journalled, or none: there is nobody to ask whether to save without undo.
    const CSaveReport report = m_session.Save(ids, m_out.Work("Saving"), nullptr);
    if (!report.strNotBegun.IsEmpty()) {
      m_out.Error("nothing was saved: the journal of saves, which undo-last-save needs, cannot be kept: " +
                  report.strNotBegun);
      return kRefused;
    }
    for (const CSaveFailure& failure : report.failures) m_out.Refuse(ShownName(failure.strFile), failure.strReason);
    for (const CString& playlist : report.playlists) m_out.Note("Playlist updated: " + ShownName(playlist));
    for (const CString& problem : report.playlistErrors)
      m_out.Refuse(ShownName(problem.Left(problem.Find(": "))), "the playlist names a renamed file but could not be updated: " +
                                                                      problem.Mid(problem.Find(": ") + 2));
    if (report.nWritten > 0)
      m_out.Note(CString::Formatted("%s written (quillory-cli undo-last-save %s undoes it).",
                                    FilesText(report.nWritten).GetString(), ShownPath(Folder(), ".").GetString()));
    else
      m_out.Note("No file was written.");
    return m_out.Status();
  }

 private:
  CString FileNameFor(const CString& key) {
    const auto found = m_names.find(key);
    return found != m_names.end() ? found->second : FileNameOfKey(key);
  }
  void PrintChanges(RowId id) {
    const CString file = Shown(id);
    CTableRows& table = m_session.Table();
    for (Field field : kPanelFields) {
      const CString before = table.FileCellOf(id, ColumnOf(field));
      const CString after = Cell(id, field);
      if (before == after) continue;
      if (field == kFileName)
        std::printf("%s: renamed to \"%s\"\n", file.GetString(),
                    base::FileNameOf(FileNameOfKey(after, FileNameFor(table.FileCellOf(id, ColumnOf(kFileName))))).GetString());
      else
        std::printf("%s: %s: \"%s\" -> \"%s\"\n", file.GetString(), FieldNameOf(field).GetString(), before.GetString(),
                    after.GetString());
    }
    if (const PendingCoverPtr cover = table.CoverOf(id))
      std::printf("%s: cover: %s\n", file.GetString(),
                  cover->strImage.empty() ? "removed" : ("set to " + cover->strSummary).GetString());
  }

  COutput& m_out;
  CTarget m_target;
  CFolderSession m_session;
  std::map<CString, CString> m_names;  // by key, the file's name below the folder
};

// Whether path (a sheet or a playlist to write) names a music file, which
// it would replace (the order of the arguments slipped); the message given.
bool NamesMusicFile(const std::string& path, COutput& out) {
  if (path == "-" || !IsMusicFileName(base::FileNameOf(path.c_str()))) return false;
  out.Error(CString::Formatted("%s is the name of a music file, which would be replaced; nothing was written.",
                               path.c_str()));
  return true;
}

// Writes text to path ("-": standard output); false with the message given.
bool WriteOut(const std::string& path, const std::string& text, COutput& out) {
  if (path == "-") {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return true;
  }
  if (out.Options().bDryRun) {
    out.Note(CString::Formatted("Would write %s (dry run: nothing was written).", path.c_str()));
    return true;
  }
  if (base::WriteFileDurably(path, text)) return true;
  out.Error(CString::Formatted("%s cannot be written: %s.", path.c_str(), std::strerror(errno)));
  return false;
}

bool ReadIn(const std::string& path, std::string& text, COutput& out) {
  std::ifstream file;
  std::istream* in = &std::cin;
  if (path != "-") {
    file.open(path, std::ios::binary);
    if (!file) {
      out.Error(CString::Formatted("%s cannot be read.", path.c_str()));
      return false;
    }
    in = &file;
  }
  text.assign(std::istreambuf_iterator<char>(*in), {});
  return true;
}

int List(const COptions& options, COutput& out) {
  CArgs args;
  if (!ReadArgs(options.args, {{"--csv", 0}, {"--json", 0}}, args, out)) return kBadUsage;
  if (args.Has("--csv") && args.Has("--json")) return Usage(out, "list takes --csv or --json, not both");
  CFiles files(out);
  if (!files.Open(args.rest)) return kBadUsage;
  const std::string format = args.Has("--csv") ? "csv" : args.Has("--json") ? "json" : "tsv";
  const std::string text = SheetText(files.Session(), files.Ids(), SpreadsheetFields(false), format, false);
  std::fwrite(text.data(), 1, text.size(), stdout);
  files.NameRefused();
  return out.Status();
}

int Export(const COptions& options, COutput& out) {
  CArgs args;
  if (!ReadArgs(options.args, {{"--csv", 1}, {"--json", 0}, {"--bom", 0}}, args, out)) return kBadUsage;
  if (!args.Has("--csv")) return Usage(out, "export needs --csv OUT (or -, standard output)");
  if (NamesMusicFile(args.Value("--csv"), out)) return kBadUsage;
  CFiles files(out);
  if (!files.Open(args.rest)) return kBadUsage;
  const std::string text = SheetText(files.Session(), files.Ids(), SpreadsheetFields(true), args.Has("--json") ? "json" : "csv", args.Has("--bom"));
  files.NameRefused();
  return WriteOut(args.Value("--csv"), text, out) ? out.Status() : kRefused;
}

int Get(const COptions& options, COutput& out) {
  CArgs args;
  if (!ReadArgs(options.args, {}, args, out)) return kBadUsage;
  if (args.rest.empty()) return Usage(out, "get needs a FIELD and a PATH");
  const std::optional<Field> field = FieldArg(args.rest.front(), false, out);
  if (!field) return kBadUsage;
  CFiles files(out);
  if (!files.Open({args.rest.begin() + 1, args.rest.end()})) return kBadUsage;
  for (RowId id : files.Ids())
    std::printf("%s\t%s\n", files.Shown(id).GetString(), files.Text(id, *field).GetString());
  files.NameRefused();
  return out.Status();
}

int Set(const COptions& options, COutput& out) {
  CArgs args;
  if (!ReadArgs(options.args, {}, args, out)) return kBadUsage;
  // FIELD=VALUE up to "--", or while the arguments look like one.
  std::size_t assignments = 0;
  if (args.nDashDash != std::string::npos) {
    assignments = args.nDashDash;
  } else {
    while (assignments < args.rest.size() && args.rest[assignments].find('=') != std::string::npos &&
           args.rest[assignments].find('/') > args.rest[assignments].find('='))
      ++assignments;
  }
  if (assignments == 0) return Usage(out, "set needs FIELD=VALUE");
  CPackedCells wanted;
  for (std::size_t k = 0; k < assignments; ++k) {
    const std::string& assignment = args.rest[k];
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos) return Usage(out, ("\"" + assignment + "\" is no FIELD=VALUE").c_str());
    const std::optional<Field> field = FieldArg(assignment.substr(0, equals), true, out);
    if (!field) return kBadUsage;
    const std::string value = assignment.substr(equals + 1);
    if (!IsUtf8(value)) return BadInput(out, "The value of " + FieldNameOf(*field) + " is not UTF-8 text.");
    wanted.Set(ColumnOf(*field), value.c_str());
  }
  CFiles files(out);
  if (!files.Open({args.rest.begin() + static_cast<long>(assignments), args.rest.end()})) return kBadUsage;
  files.Session().SetCells(files.Ids(), wanted, "Set");
  return files.Save();
}

// A row's new cells where they differ from what it shows (a genre given by
// its name, as the file holds it by number, is no change).
CPackedCells Differing(CFiles& files, RowId id, const FieldValues& values) {
  CPackedCells cells;
  for (const auto& [field, text] : values)
    if (text != files.Cell(id, field) && text != files.Text(id, field)) cells.Set(ColumnOf(field), text);
  return cells;
}

int Import(const COptions& options, COutput& out) {
  CArgs args;
  if (!ReadArgs(options.args, {{"--csv", 1}}, args, out)) return kBadUsage;
  if (!args.Has("--csv")) return Usage(out, "import needs --csv IN (or -, standard input)");
  if (args.rest.size() > 1) return Usage(out, "import takes one folder");
  const std::string in = args.Value("--csv");
  const std::string folderArg = args.rest.empty() ? "." : args.rest.front();
  const CString folder = RealFolder(folderArg);
  if (folder.IsEmpty()) {
    out.Error(CString::Formatted("%s: no such folder.", folderArg.c_str()));
    return kBadUsage;
  }
  std::string text;
  if (!ReadIn(in, text, out)) return kBadUsage;
  const CString source = in == "-" ? CString("standard input") : CString(in.c_str());
  // Every row is checked before any file is read.
  const CSheetImport import = ReadSheetImport(text);
  if (!import.strError.IsEmpty()) {
    out.Error(source + ": " + import.strError + "; nothing was imported.");
    return kBadUsage;
  }
  CFiles files(out);
  files.OpenFolder(folder, options.bSubfolders || import.bSubfolders);
  // The rows as the window's import reads them: what each shows, by its file's key.
  std::vector<int> places;
  for (int row = 0; row < files.Session().Rows().Rows(); ++row) places.push_back(row);
  const std::unique_ptr<CRowTexts> texts = files.Session().TextsOf(places);
  std::map<CString, int> rowOfKey;
  for (int row = 0; row < texts->Count(); ++row) rowOfKey[SheetCell(texts->FileKeyOf(row))] = row;
  const auto where = [&](int line) { return CString::Formatted("%s: line %d", source.GetString(), line); };
  for (const auto& [line, reason] : import.leftOut) out.Refuse(where(line), reason);
  std::vector<std::pair<RowId, CPackedCells>> wanted;
  for (const CImportRow& row : import.rows) {
    const auto found = rowOfKey.find(row.strKey);
    if (found == rowOfKey.end()) {
      out.Refuse(where(row.nLine), "there is no file \"" + FileNameOfKey(row.strKey) + "\" in " + ShownPath(folder, ".") + ".");
      continue;
    }
    CPackedCells cells;
    for (const auto& [field, text] : ImportedValues(row, *texts, found->second)) cells.Set(ColumnOf(field), text);
    if (!cells.IsEmpty()) wanted.emplace_back(files.Session().Table().IdOf(texts->Place(found->second)), std::move(cells));
  }
  files.Session().SetRowsCells(wanted, "Import");
  return files.Save();
}

// Applies each row's edit; a row an edit does not match is refused with why.
int ApplyEdits(CFiles& files, COutput& out, const char* name, const std::function<CRowEdit(const CRowTexts&, int)>& edit,
               const char* unmatched) {
  std::vector<int> places;
  for (int row = 0; row < files.Session().Rows().Rows(); ++row) places.push_back(row);
  const std::unique_ptr<CRowTexts> texts = files.Session().TextsOf(places);
  std::vector<std::pair<RowId, CPackedCells>> wanted;
  std::vector<std::pair<RowId, CString>> refused;
  for (int row = 0; row < texts->Count(); ++row) {
    const RowId id = files.Session().Table().IdOf(texts->Place(row));
    const CRowEdit result = edit(*texts, row);
    if (!result.strProblem.IsEmpty()) {
      // A problem ends in its own full stop ("... simpler."), or in none.
      CString problem = result.strProblem;
      if (problem.Right(1) == ".") problem = problem.Left(problem.GetLength() - 1);
      out.Error(files.Shown(id) + ": " + problem + "; nothing was written.");
      return kBadUsage;
    }
    if (!result.bMatched) {
      refused.emplace_back(id, unmatched);
      continue;
    }
    CPackedCells cells = Differing(files, id, result.values);
    if (!cells.IsEmpty()) wanted.emplace_back(id, std::move(cells));
  }
  for (const auto& [id, reason] : refused) out.Refuse(files.Shown(id), reason);
  files.Session().SetRowsCells(wanted, name);
  return files.Save();
}

int FromNames(const COptions& options, COutput& out) {
  CArgs args;
  if (!ReadArgs(options.args, {}, args, out)) return kBadUsage;
  if (args.rest.empty()) return Usage(out, "from-names needs a PATTERN and a PATH");
  NamePattern pattern;
  const CString problem = ParseNamePattern(args.rest.front().c_str(), PatternUse::kReadName, pattern);
  if (!problem.IsEmpty()) return BadInput(out, problem);
  CFiles files(out);
  if (!files.Open({args.rest.begin() + 1, args.rest.end()})) return kBadUsage;
  return ApplyEdits(
      files, out, "Tags from file names",
      [&](const CRowTexts& rows, int row) { return TagsFromNameOf(pattern, rows, row); },
      "its name does not fit the pattern; it is left as it is.");
}

int ToNames(const COptions& options, COutput& out) {
  CArgs args;
  if (!ReadArgs(options.args, {}, args, out)) return kBadUsage;
  if (args.rest.empty()) return Usage(out, "to-names needs a PATTERN and a PATH");
  NamePattern pattern;
  const CString problem = ParseNamePattern(args.rest.front().c_str(), PatternUse::kMakeName, pattern);
  if (!problem.IsEmpty()) return BadInput(out, problem);
  CFiles files(out);
  if (!files.Open({args.rest.begin() + 1, args.rest.end()})) return kBadUsage;
  CFolderSession& session = files.Session();
  std::vector<int> places;
  for (int row = 0; row < session.Rows().Rows(); ++row) places.push_back(row);
  const std::unique_ptr<CRowTexts> texts = session.TextsOf(places);
  const std::vector<RenameStep> plan = RenamesOf(pattern, *texts, session.NamesTakenBeside(*texts));
  if (!plan.empty() && std::all_of(plan.begin(), plan.end(), [](const RenameStep& step) {
        return step.strNewKey.IsEmpty() && step.strRefusal == kEmptyNameRefusal;
      }))
    return Usage(out, "the pattern gives every file an empty name");
  std::vector<std::pair<RowId, CPackedCells>> wanted;
  for (std::size_t k = 0; k < plan.size(); ++k) {
    const RowId id = session.Table().IdOf(texts->Place(static_cast<int>(k)));
    if (!plan[k].strRefusal.IsEmpty()) {
      out.Refuse(files.Shown(id), plan[k].strRefusal + " It keeps its name.");
      continue;
    }
    CPackedCells cells = Differing(files, id, RenameEditOf(plan[k]).values);
    if (!cells.IsEmpty()) wanted.emplace_back(id, std::move(cells));
  }
  session.SetRowsCells(wanted, "File names from tags");
  return files.Save();
}

int Format(const COptions& options, COutput& out) {
  CArgs args;
  if (!ReadArgs(options.args, {{"--case", 1}, {"--replace", 2}, {"--regex", 0}}, args, out)) return kBadUsage;
  if (args.rest.empty()) return Usage(out, "format needs a FIELD and a PATH");
  if (!args.Has("--case") && !args.Has("--replace")) return Usage(out, "format needs --case or --replace");
  if (args.Has("--regex") && !args.Has("--replace")) return Usage(out, "--regex goes with --replace");
  const std::optional<Field> field = FieldArg(args.rest.front(), true, out);
  if (!field) return kBadUsage;
  std::optional<TextCase> textCase;
  if (args.Has("--case")) {
    const std::map<std::string, TextCase> cases{
        {"title", TextCase::kTitle}, {"lower", TextCase::kLower}, {"upper", TextCase::kUpper}, {"first", TextCase::kFirstLetter}};
    const auto found = cases.find(args.Value("--case"));
    if (found == cases.end()) return Usage(out, "--case is title, lower, upper or first");
    textCase = found->second;
  }
  if (args.Has("--replace") && (!IsUtf8(args.Value("--replace")) || !IsUtf8(args.Value("--replace", 1))))
    return BadInput(out, "The text to find and the text to put in its place must be UTF-8 text.");
  CFieldsFormat format;
  CString error;
  const bool replace = args.Has("--replace");
  if (!format.Prepare({*field}, textCase, replace ? args.Value("--replace").c_str() : "",
                      replace ? args.Value("--replace", 1).c_str() : "", args.Has("--regex"), error))
    return BadInput(out, error);
  CFiles files(out);
  if (!files.Open({args.rest.begin() + 1, args.rest.end()})) return kBadUsage;
  return ApplyEdits(
      files, out, "Format fields", [&](const CRowTexts& rows, int row) { return format.FormatOf(rows, row); }, "");
}

int Cover(const COptions& options, COutput& out) {
  CArgs args;
  if (!ReadArgs(options.args, {{"--set", 1}, {"--extract", 1}, {"--remove", 0}}, args, out)) return kBadUsage;
  if (args.Has("--set") + args.Has("--extract") + args.Has("--remove") != 1)
    return Usage(out, "cover takes one of --set PICTURE, --extract DIR and --remove");
  std::string image;
  CCoverArt facts;
  if (args.Has("--set")) {
    const std::string& picture = args.Value("--set");
    const long long size = base::FileSizeOf(picture.c_str());
    if (size < 0 || base::DirectoryExists(picture.c_str()) || size > kMaxCoverBytes || !ReadIn(picture, image, out)) {
      out.Error(CString::Formatted("%s cannot be a cover: %s.", picture.c_str(),
                                   size > kMaxCoverBytes ? "it is larger than 16 MB" : "it cannot be read"));
      return kBadUsage;
    }
    const CString reason = CMyMP3Tags::CheckCoverImage(image, &facts);
    if (!reason.IsEmpty()) {
      out.Error(CString::Formatted("%s cannot be a cover: %s.", picture.c_str(), reason.GetString()));
      return kBadUsage;
    }
  }
  CString extractTo;
  if (args.Has("--extract")) {
    extractTo = RealFolder(args.Value("--extract"));
    if (extractTo.IsEmpty()) {
      out.Error(CString::Formatted("%s: no such folder.", args.Value("--extract").c_str()));
      return kBadUsage;
    }
  }
  CFiles files(out);
  if (!files.Open(args.rest)) return kBadUsage;
  CFolderSession& session = files.Session();
  const std::vector<RowId> ids = files.Ids();
  const CString names = ids.size() == 1 ? files.KeyOf(ids.front()) : FilesText(ids.size());
  if (args.Has("--set")) {
    session.AddCover(ids, std::move(image), facts, names);
    return files.Save();
  }
  if (args.Has("--remove")) {
    std::vector<RowId> changedOnDisk;
    session.RemoveCover(ids, names, &changedOnDisk);
    for (RowId id : changedOnDisk) out.Refuse(files.Shown(id), "its cover changed on disk since it was read; it is left as it is.");
    return files.Save();
  }
  // Extract: each file's front cover under "Artist - Album.jpg"; files of
  // one album share their picture, and a different picture of the same name
  // gets a number.
  int written = 0;
  for (RowId id : ids) {
    CCoverArt cover;
    std::string picture = session.FileCover(id, &cover);
    if (picture.empty()) continue;
    const CString extension = cover.strFormat == "PNG" ? "png" : cover.strFormat == "JPEG" ? "jpg" : "bin";
    const CString name = CoverFileName(files.Cell(id, kArtist), files.Cell(id, kAlbum),
                                       base::FileNameOf(files.KeyOf(id)), extension);
    CString path = base::JoinPath(extractTo, name);
    // A name is taken by anything there, a link that leads nowhere too.
    const auto taken = [](const CString& at) {
      struct stat st {};
      return ::lstat(at, &st) == 0;
    };
    bool there = false;  // the same picture is there already
    for (int n = 2; !there && taken(path); ++n) {
      std::string bytes;
      std::ifstream in(path.GetString(), std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), {});
      there = bytes == picture;
      if (!there)
        path = base::JoinPath(extractTo, CString::Formatted("%s (%d).%s", name.Left(name.GetLength() - extension.GetLength() - 1).GetString(),
                                                            n, extension.GetString()));
    }
    if (there) continue;
    if (options.bDryRun) {
      out.Note(files.Shown(id) + ": would write " + path);
      continue;
    }
    if (!base::WriteFileDurably(path.Str(), picture)) {
      out.Refuse(files.Shown(id), CString::Formatted("its cover cannot be written to %s: %s.", path.GetString(), std::strerror(errno)));
      continue;
    }
    ++written;
  }
  out.Note(CString::Formatted("%d %s written.", written, written == 1 ? "picture" : "pictures"));
  return out.Status();
}

int Number(const COptions& options, COutput& out) {
  CArgs args;
  if (!ReadArgs(options.args, {{"--start", 1}, {"--total", 0}, {"--disc", 0}}, args, out)) return kBadUsage;
  int start = 1;
  if (args.Has("--start")) {
    const std::string& text = args.Value("--start");
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 0 || value > 9999) return Usage(out, "--start takes a number from 0 to 9999");
    start = static_cast<int>(value);
  }
  CFiles files(out);
  if (!files.Open(args.rest)) return kBadUsage;
  // Each folder's files in the natural order of their names.
  const std::vector<RowId> rows = files.Ids();
  std::vector<CString> keys;
  for (RowId id : rows) keys.push_back(files.KeyOf(id));
  std::vector<RowId> ids;
  for (std::size_t k : NaturalOrder(keys)) ids.push_back(rows[k]);
  keys.clear();
  for (RowId id : ids) keys.push_back(files.KeyOf(id));
  const std::vector<CString> tracks = NumberTracks(keys, start, args.Has("--total"));
  // With --disc, the disc too, from a folder named "CD1", "Disc 2"...
  const std::vector<CString> discs = NumberDiscs(keys, args.Has("--total"));
  std::vector<std::pair<RowId, CPackedCells>> wanted;
  for (std::size_t k = 0; k < ids.size(); ++k) {
    FieldValues values{{kTrack, tracks[k]}};
    if (args.Has("--disc") && !discs[k].IsEmpty()) values.emplace_back(kDisc, discs[k]);
    CPackedCells cells = Differing(files, ids[k], values);
    if (!cells.IsEmpty()) wanted.emplace_back(ids[k], std::move(cells));
  }
  files.Session().SetRowsCells(wanted, "Number tracks");
  return files.Save();
}

int Playlist(const COptions& options, COutput& out) {
  CArgs args;
  if (!ReadArgs(options.args, {}, args, out)) return kBadUsage;
  if (args.rest.size() < 2) return Usage(out, "playlist needs OUT.m3u8 and a PATH");
  const std::string& playlist = args.rest.front();
  if (NamesMusicFile(playlist, out)) return kBadUsage;
  const CString name = base::FileNameOf(playlist.c_str());
  const CString folder = RealFolder(base::FolderOf(playlist.c_str()).IsEmpty() ? "." : base::FolderOf(playlist.c_str()).Str());
  if (folder.IsEmpty() || name.IsEmpty() || base::DirectoryExists(playlist.c_str())) {
    out.Error(CString::Formatted("%s: the playlist's folder does not exist.", playlist.c_str()));
    return kBadUsage;
  }
  CFiles files(out);
  if (!files.Open({args.rest.begin() + 1, args.rest.end()})) return kBadUsage;
  const std::vector<CPlaylistEntry> entries = PlaylistEntriesOf(files.Session(), files.Ids());
  std::vector<CPlaylistEntry> leftOut;
  const std::string text = PlaylistText(entries, folder, &leftOut);
  for (const CPlaylistEntry& entry : leftOut)
    out.Refuse(ShownPath(base::FolderOf(entry.strPath), base::FileNameOf(entry.strPath)),
               "its name holds a line break, which a playlist cannot hold; it was left out.");
  if (options.bDryRun) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return out.Status();
  }
  if (!WriteOut(base::JoinPath(folder, name).Str(), text, out)) return kRefused;
  out.Note(CString::Formatted("%s written with %s.", playlist.c_str(),
                              FilesText(entries.size() - leftOut.size()).GetString()));
  return out.Status();
}

int UndoLastSave(const COptions& options, COutput& out) {
  CArgs args;
  if (!ReadArgs(options.args, {}, args, out)) return kBadUsage;
  if (args.rest.size() > 1) return Usage(out, "undo-last-save takes one folder");
  const std::string folderArg = args.rest.empty() ? "." : args.rest.front();
  const CString folder = RealFolder(folderArg);
  if (folder.IsEmpty()) {
    out.Error(CString::Formatted("%s: no such folder.", folderArg.c_str()));
    return kBadUsage;
  }
  CFolderSession session;
  session.SetFolder(folder, false);
  CString problem;
  std::uint64_t newest = 0;
  const std::optional<JournalEntry> entry = session.LastSave(problem, &newest);
  if (!entry) {
    if (problem.IsEmpty()) {
      out.Error(CString::Formatted("there is no save of %s to undo.", folderArg.c_str()));
      return kRefused;
    }
    CString error;
    const CString fate = options.bDryRun ? CString()
                         : session.SetAsideLastSave(newest, error) ? CString(" It is set aside, so that the save before it can be undone.")
                                                                   : " " + error;
    out.Error("the last save cannot be undone. " + problem + fate);
    return kRefused;
  }
  if (options.bDryRun) {
    const std::vector<CRestoredFile> checked = session.CheckUndoSave(*entry);
    for (std::size_t i = 0; i < checked.size(); ++i) {
      const JournalFile& file = entry->files[i];
      if (checked[i].eResult == CRestoredFile::Result::LeftAlone)
        out.Refuse(ShownPath(folder, checked[i].strPath), checked[i].strReason + " (it would be left alone)");
      else
        out.Note(ShownPath(folder, file.strPath) + ": would get back what it held before the save" +
                 (file.strOldPath.IsEmpty() ? CString() : ", and its name \"" + base::FileNameOf(file.strOldPath) + "\""));
    }
    out.Note("Would undo the save of " + SaveTimeText(entry->nTime) + " (" + FilesText(entry->files.size()) +
             "; dry run: nothing was written).");
    return out.Status();
  }
  const CUndoSaveReport undone = session.UndoSave(*entry, out.Work("Undoing"));
  const CUndoSummary summary = UndoSummaryOf(undone, entry->files.size());
  bool refused = false;
  for (const CRestoredFile& result : undone.results)
    if (result.eResult == CRestoredFile::Result::LeftAlone) {
      out.Refuse(ShownPath(folder, result.strPath), result.strReason);
      refused = true;
    }
  for (const CString& note : summary.notes) out.Error(note);
  if (summary.bRetry) out.Error("the journal keeps this save: undo-last-save tries its files again.");
  if (!undone.strJournalError.IsEmpty()) out.Error(undone.strJournalError);
  out.Note(summary.strSummary + ".");
  return refused || summary.bRetry ? kRefused : kDone;
}

}  // namespace

int RunCommand(const COptions& options) {
  COutput out(options);
  const std::map<std::string, int (*)(const COptions&, COutput&)> commands{
      {"list", List},           {"get", Get},        {"set", Set},     {"export", Export},
      {"import", Import},       {"from-names", FromNames}, {"to-names", ToNames}, {"format", Format},
      {"cover", Cover},         {"number", Number},  {"playlist", Playlist}, {"undo-last-save", UndoLastSave},
  };
  for (const std::string& arg : options.args) {
    if (arg == "--") break;
    if (arg == "--help") {
      PrintUsage(false);
      return kDone;
    }
  }
  const auto found = commands.find(options.strCommand);
  if (found == commands.end()) {
    out.Error(CString::Formatted("unknown command \"%s\" (quillory-cli --help lists them).", options.strCommand.c_str()));
    return kBadUsage;
  }
  return found->second(options, out);
}

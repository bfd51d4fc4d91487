// "All fields…": the fields the rows' files store, read with the rows'
// pending edits made, and edits of them as steps of the history.
#include <core/FolderSession.h>

#include <core/RowCommands.h>

#include <base/Path.h>
#include <tags/TagFile.h>

#include <algorithm>
#include <map>

namespace {

// The row's file read, with its pending edits of stored fields made.
std::unique_ptr<CMusicFile> ReadEdited(const CString& path, const PendingFieldsPtr& pending, CString* reason) {
  std::unique_ptr<CMusicFile> file = CMusicFile::Read(path, reason);
  if (pending && reason->IsEmpty())
    for (const auto& [key, values] : pending->edits) file->SetStored(key, values);
  return file;
}

}  // namespace

std::vector<CCommonField> CFolderSession::StoredFieldsOf(const std::vector<RowId>& ids, CString* problem) {
  std::vector<CCommonField> fields;
  std::map<CString, std::size_t> at;  // key -> its place in fields
  for (RowId id : ids) {
    const CString path = FilePathOf(id);
    CString reason;
    if (path.IsEmpty()) reason = "no single file of that name is in the folder";
    const std::unique_ptr<CMusicFile> file = path.IsEmpty() ? nullptr : ReadEdited(path, m_table.FieldsOf(id), &reason);
    if (!reason.IsEmpty()) {
      if (problem && problem->IsEmpty()) *problem = FileKeyOf(id) + ": " + reason;
      continue;
    }
    // A key a file holds twice (two APIC frames) counts once for it.
    std::map<CString, bool> seen;
    for (const CStoredField& stored : file->StoredFields()) {
      if (seen[stored.strKey]) continue;
      seen[stored.strKey] = true;
      const auto [found, added] = at.emplace(stored.strKey, fields.size());
      if (added) {
        fields.push_back({stored.strKey, stored.values, stored.strSummary, stored.bText, 0});
      } else {
        CCommonField& field = fields[found->second];
        if (field.values && *field.values != stored.values) field.values.reset();
      }
      ++fields[found->second].nRows;
    }
  }
  // A field some rows lack differs between them too.
  const int rows = static_cast<int>(ids.size());
  for (CCommonField& field : fields)
    if (field.nRows < rows) field.values.reset();
  return fields;
}

int CFolderSession::SetStoredField(const std::vector<RowId>& ids, const CString& key, const std::vector<CString>& values,
                                   std::vector<CString>* refusals) {
  std::vector<CRowChange> changes;
  for (RowId id : ids) {
    const int row = m_table.RowOf(id);
    const CString path = FilePathOf(id);
    if (row < 0) continue;
    const auto refuse = [&](const CString& why) {
      if (refusals) refusals->push_back(FileNameOfKey(FileKeyOf(id), path) + ": " + why);
    };
    if (path.IsEmpty()) {
      refuse("no single file of that name is in the folder.");
      continue;
    }
    const PendingFieldsPtr now = m_table.FieldsOf(id);
    CString reason;
    const std::unique_ptr<CMusicFile> file = ReadEdited(path, now, &reason);
    if (!reason.IsEmpty()) {
      refuse(reason + ".");
      continue;
    }
    std::vector<CString> before;
    for (Field field : kEditableFields) before.push_back(file->Get(SpecOf(field).tag));
    const CString why = file->SetStored(key, values);
    if (!why.IsEmpty()) {
      refuse(why + ".");
      continue;
    }
    CRowChange change{id, {}, {}};
    // The cells of the fields the edit changed follow it.
    for (std::size_t k = 0; k < kEditableFields.size(); ++k) {
      const Field field = kEditableFields[k];
      const CString after = file->Get(SpecOf(field).tag);
      if (after == before[k]) continue;
      change.before.cells.Set(ColumnOf(field), CellOf(m_rows, row, ColumnOf(field)));
      change.after.cells.Set(ColumnOf(field), after);
    }
    auto edits = std::make_shared<CFieldsEdit>(now ? *now : CFieldsEdit());
    std::erase_if(edits->edits, [&](const auto& edit) { return edit.first == key; });
    edits->edits.emplace_back(key, values);
    change.before.fields = now;
    change.after.fields = std::move(edits);
    changes.push_back(std::move(change));
  }
  const int changed = static_cast<int>(changes.size());
  if (changed > 0) {
    const CString what = values.empty() ? "Delete " + key : "Set " + key;
    Do(std::make_unique<CRowsEdit>(m_table, "All fields: " + what + " (" + CString::Formatted("%d %s", changed, changed == 1 ? "row" : "rows") + ")",
                                   std::move(changes)));
  }
  return changed;
}

std::vector<CString> SuggestedFieldKeys(const CString& tags) {
  if (tags.Find("Vorbis") >= 0)
    return {"ALBUMARTIST", "DISCTOTAL", "TRACKTOTAL", "BPM", "ISRC", "LYRICIST", "MOOD", "ORGANIZATION",
            "REPLAYGAIN_TRACK_GAIN", "REPLAYGAIN_ALBUM_GAIN", "MUSICBRAINZ_TRACKID", "MUSICBRAINZ_ALBUMID",
            "MUSICBRAINZ_ARTISTID"};
  if (tags.Find("MP4") >= 0)
    return {"soar", "soal", "sonm", "tmpo", "cpil", "----:com.apple.iTunes:ISRC", "----:com.apple.iTunes:MOOD",
            "----:com.apple.iTunes:MusicBrainz Track Id", "----:com.apple.iTunes:MusicBrainz Album Id"};
  return {"TXXX:", "TSOP", "TSOA", "TSOT", "TBPM", "TKEY", "TSRC", "TEXT", "TIT1", "TIT3", "TLAN", "TMED",
          "WOAR", "WXXX:", "TXXX:MusicBrainz Album Id", "TXXX:MusicBrainz Artist Id", "TXXX:REPLAYGAIN_TRACK_GAIN"};
}

// Temporary: replaced by the stored-fields implementation being merged.
#include <tags/AudioTagFile.h>
#include <tags/TagFile.h>

std::vector<CStoredField> CTagFile::StoredFields() const {
  std::vector<CStoredField> fields;
  for (TagField f : {TagField::Artist, TagField::Album, TagField::Title, TagField::Disc})
    if (Get(f) != "-") fields.push_back({CString::Formatted("F%d", static_cast<int>(f)), {Get(f)}, "", true});
  return fields;
}
CString CTagFile::SetStored(const CString& key, const std::vector<CString>& values) {
  if (key.Left(1) != "F") return "Not yet";
  return Set(static_cast<TagField>(std::atoi(key.Mid(1))), values.empty() ? CString() : values.front());
}
std::vector<CStoredField> CAudioTagFile::StoredFields() const { return {}; }
CString CAudioTagFile::SetStored(const CString&, const std::vector<CString>&) { return "Not yet"; }

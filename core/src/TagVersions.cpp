#include <core/TagVersions.h>

#include <base/Utf8.h>
#include <tags/TagFile.h>

#include <algorithm>
#include <map>

namespace {

constexpr const char* kNotMp3 = "Only an MP3 file's ID3 tags have versions to change";

CString Apply(CTagFile& file, const CTagChoice& choice) {
  if (choice.bRemoveAll) return file.RemoveAllTags();
  if (choice.v2 != CTagChoice::V2::Keep) {
    const CString why =
        file.SetTagVersion(choice.v2 == CTagChoice::V2::Id3v23 ? TagTarget::Id3v23 : TagTarget::Id3v24);
    if (!why.IsEmpty()) return why;
  }
  if (choice.v1 != CTagChoice::V1::Keep) return file.SetV1Tag(choice.v1 == CTagChoice::V1::Add);
  return CString();
}

Field FieldOf(TagField tag) {
  for (Field field : kEditableFields)
    if (SpecOf(field).tag == tag) return field;
  return kFileName;
}

}  // namespace

CTagTrial TryTagChoice(const CString& path, const CTagChoice& choice) {
  CTagTrial trial;
  CString reason;
  const std::unique_ptr<CMusicFile> read = CMusicFile::Read(path, &reason);
  auto* file = dynamic_cast<CTagFile*>(read.get());
  trial.strTag = read->TagVersion();
  if (!reason.IsEmpty() || !file) {
    trial.strRefusal = reason.IsEmpty() ? CString(kNotMp3) : reason;
    return trial;
  }
  trial.strRefusal = Apply(*file, choice);
  if (!trial.strRefusal.IsEmpty()) return trial;
  trial.strTag = file->TagVersion();
  for (TagField lost : file->V1Losses()) trial.losses.push_back(FieldOf(lost));
  return trial;
}

CString MakeTagsAsShown(CMusicFile& music, const CString& wanted) {
  auto* file = dynamic_cast<CTagFile*>(&music);
  if (!file) return kNotMp3;
  CTagChoice choice;
  if (wanted == "none") {
    choice.bRemoveAll = true;
  } else {
    const CString now = file->TagVersion();
    for (const auto& [name, v2] : {std::pair{"ID3v2.3", CTagChoice::V2::Id3v23}, {"ID3v2.4", CTagChoice::V2::Id3v24}})
      if (wanted.Left(7) == name && now.Left(7) != name) choice.v2 = v2;
    const bool v1 = wanted.Find("ID3v1") >= 0;
    if (v1 != file->HasV1Tag()) choice.v1 = v1 ? CTagChoice::V1::Add : CTagChoice::V1::Remove;
  }
  const CString why = Apply(*file, choice);
  if (!why.IsEmpty()) return why;
  if (file->TagVersion() != wanted)
    return "its tags would be " + file->TagVersion() + ", not " + wanted + " as the Tag column asks";
  return CString();
}

std::vector<Field> V1LossesOf(const CString& tags, const CPackedCells& cells) {
  std::vector<Field> losses;
  if (tags.Find("ID3v1") < 0) return losses;
  for (const auto& [field, width] : {std::pair{kTitle, 30}, {kArtist, 30}, {kAlbum, 30}, {kYear, 4}, {kComment, 28}}) {
    if (!cells.Has(ColumnOf(field))) continue;
    const std::wstring text = utf8::Decode(cells.Get(ColumnOf(field)).Str());
    const bool latin1 = std::all_of(text.begin(), text.end(), [](wchar_t ch) { return ch <= 0xFF; });
    if (!latin1 || static_cast<int>(text.size()) > width) losses.push_back(field);
  }
  return losses;
}

CString V1LossText(const std::vector<Field>& losses) {
  if (losses.empty()) return CString();
  CString names;
  for (Field field : losses) names += (names.IsEmpty() ? "" : ", ") + CString(SpecOf(field).strTitle);
  return "; the file's ID3v1 tag cannot hold the new " + names + " (its ID3v2 tag gets them whole)";
}

#include <core/Renaming.h>

#include <core/FieldFormat.h>
#include <base/FolderWalk.h>
#include <base/Path.h>
#include <base/Utf8.h>

#include <climits>
#include <map>
#include <string>

namespace {

#ifdef NAME_MAX
constexpr std::size_t kNameMax = NAME_MAX;
#else
constexpr std::size_t kNameMax = 255;
#endif
const std::string kExtension = ".mp3";

bool IsMissing(const std::string& value) { return value.empty() || value == "-"; }

std::string Trimmed(const std::string& text, const char* strip) {
  const std::size_t first = text.find_first_not_of(strip);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(strip) - first + 1);
}

// A field's text as the name shows it, or the reason it cannot.
bool FieldText(const PatternPiece& piece, const std::string& value, std::string& text, CString& refusal) {
  if (IsMissing(Trimmed(value, " "))) {
    refusal.Format("%s is empty.", PlaceholderOf(piece.field).GetString());
    return false;
  }
  text = Trimmed(value, " ");
  if (!IsNumbered(piece.field)) return true;
  // The number before "/12"; a track or disc without one is kept as it is,
  // unless a width asks for a number.
  const std::string number = text.substr(0, text.find_first_not_of("0123456789"));
  if (number.empty() || (number.size() != text.size() && text[number.size()] != '/')) {
    if (piece.nWidth == 0) return true;
    refusal.Format("The %s \"%s\" is not a number.", piece.field == kDisc ? "disc" : "track", text.c_str());
    return false;
  }
  text = number;
  if (text.size() < static_cast<std::size_t>(piece.nWidth)) text.insert(0, piece.nWidth - text.size(), '0');
  return true;
}

CString Folded(const CString& key) { return ChangeCase(key, TextCase::kLower); }

// The key of a name in the folder when it is a music file's, else nothing.
bool KeyOfName(const CString& name, CString& key) {
  if (!IsMusicFileName(name)) return false;
  key = RowKeyOf(name);
  return true;
}

// A new key for the row of old: another format's file keeps its extension,
// the name cut further where the two would be too long for the folder.
CString NewKeyOf(const CString& old, const CString& name) {
  const CString folder = old.Left(old.ReverseFind('/') + 1);
  if (!HasOtherMusicExtension(old)) return folder + name;
  const CString extension = base::ExtensionOf(old);
  const std::string cut = utf8::CutAtBoundary(name.Str(), kNameMax - static_cast<std::size_t>(extension.GetLength()));
  return folder + CString(Trimmed(cut, " .")) + extension;
}

}  // namespace

CString SafeFileName(const CString& name) {
  std::string safe = name.Str();
  for (char& ch : safe) {
    if (ch == '/') ch = '-';
    else if ((static_cast<unsigned char>(ch) < 0x20) || ch == 0x7F) ch = ' ';
  }
  safe = Trimmed(safe, " .");
  safe = Trimmed(utf8::CutAtBoundary(safe, kNameMax - kExtension.size()), " .");
  return CString(safe);
}

NameFromTags MakeNameFromTags(const NamePattern& pattern, const RowFields& row) {
  NameFromTags result;
  std::string name;
  for (const PatternPiece& piece : pattern.pieces) {
    if (piece.kind == PatternPiece::kText) {
      name += piece.strText.Str();
      continue;
    }
    std::string text;
    if (piece.kind != PatternPiece::kField) continue;
    if (!FieldText(piece, row[piece.field].Str(), text, result.strRefusal)) return result;
    name += text;
  }
  result.strName = SafeFileName(CString(name));
  if (result.strName.IsEmpty()) result.strRefusal = kEmptyNameRefusal;
  return result;
}

std::vector<RenameStep> PlanRenames(const NamePattern& pattern, const std::vector<RowFields>& rows,
                                    const std::vector<CString>& namesPresent) {
  std::vector<RenameStep> plan;
  plan.reserve(rows.size());
  std::multimap<CString, CString> taken;  // folded key -> the key as it is on disk
  for (const CString& name : namesPresent) {
    CString key;
    if (KeyOfName(name, key)) taken.emplace(Folded(key), key);
  }
  std::map<CString, int> claims;  // folded new key -> how many renamed rows want it
  for (const RowFields& row : rows) {
    RenameStep step;
    step.strOldKey = row[kFileName];
    const NameFromTags made = MakeNameFromTags(pattern, row);
    step.strRefusal = made.strRefusal;
    if (!made.strName.IsEmpty()) step.strNewKey = NewKeyOf(step.strOldKey, made.strName);
    if (step.IsRename()) ++claims[Folded(step.strNewKey)];
    plan.push_back(step);
  }
  for (RenameStep& step : plan) {
    if (!step.IsRename()) continue;
    const CString folded = Folded(step.strNewKey);
    const auto [first, last] = taken.equal_range(folded);
    bool bTaken = false;
    for (auto it = first; it != last; ++it) bTaken = bTaken || it->second != step.strOldKey;
    if (bTaken)
      step.strRefusal.Format("Another file in the folder is already named \"%s\".", FileNameOfKey(step.strNewKey).GetString());
    else if (claims[folded] > 1)
      step.strRefusal.Format("Another file would also be named \"%s\".", FileNameOfKey(step.strNewKey).GetString());
  }
  return plan;
}

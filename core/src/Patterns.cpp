#include <core/Patterns.h>

#include <base/FolderWalk.h>
#include <base/Path.h>
#include <base/Utf8.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace {

struct Placeholder {
  const char* strName;
  Field field;
};

// Every field a user edits, under the name one would guess, then a few
// other names other programs use for the same fields.
constexpr Placeholder kPlaceholders[] = {
    {"artist", kArtist},         {"album", kAlbum},
    {"title", kTitle},           {"track", kTrack},
    {"year", kYear},             {"genre", kGenre},
    {"comment", kComment},       {"composer", kComposer},
    {"copyright", kCopyright},   {"encodedby", kEncodedBy},
    {"origartist", kOrigArtist}, {"url", kURL},
    {"band", kBand},             {"publisher", kPublisher},
    {"conductor", kConductor},   {"disc", kDisc},
    {"lyrics", kLyrics},         {"albumartist", kBand},
    {"tracknumber", kTrack},     {"originalartist", kOrigArtist},
    {"discnumber", kDisc},
};
constexpr int kPrimaryPlaceholders = 17;
constexpr const char* kSkipName = "dummy";
constexpr int kMaxWidth = 9;

std::string Lowered(std::string text) {
  for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return text;
}

void AddText(NamePattern& pattern, const std::string& text) {
  if (text.empty()) return;
  if (pattern.pieces.empty() || pattern.pieces.back().kind != PatternPiece::kText)
    pattern.pieces.emplace_back();  // a piece is text until told otherwise
  pattern.pieces.back().strText += text.c_str();
}

// One placeholder's inside ("artist", "track:2"), or the message why not.
CString ParsePlaceholder(const std::string& inside, PatternPiece& piece) {
  const std::size_t colon = inside.find(':');
  const std::string name = Lowered(inside.substr(0, colon));
  if (name == kSkipName) {
    piece.kind = PatternPiece::kSkip;
  } else {
    const auto* found = std::find_if(std::begin(kPlaceholders), std::end(kPlaceholders),
                                     [&](const auto& entry) { return name == entry.strName; });
    if (found == std::end(kPlaceholders))
      return CString::Formatted("Unknown placeholder %%%s%%: the placeholders are %%artist%%, %%title%%, "
                                "%%track%% and the other field names, and a percent sign is written %%%%.",
                                inside.c_str());
    piece.kind = PatternPiece::kField;
    piece.field = found->field;
  }
  if (colon == std::string::npos) return CString();
  const std::string width = inside.substr(colon + 1);
  if (piece.kind != PatternPiece::kField || !IsNumbered(piece.field))
    return CString::Formatted("%%%s%%: only %%track%% and %%disc%% take a width.", inside.c_str());
  if (width.size() != 1 || width[0] < '1' || width[0] > '0' + kMaxWidth)
    return CString::Formatted("%%%s%%: the width must be a number from 1 to %d.", inside.c_str(), kMaxWidth);
  piece.nWidth = width[0] - '0';
  return CString();
}

}  // namespace

CString PlaceholderOf(Field field) {
  for (const auto& entry : kPlaceholders)
    if (entry.field == field) return CString::Formatted("%%%s%%", entry.strName);
  return CString();
}

std::vector<CString> PlaceholderNames() {
  std::vector<CString> names;
  for (int k = 0; k < kPrimaryPlaceholders; ++k) names.push_back(CString::Formatted("%%%s%%", kPlaceholders[k].strName));
  names.push_back(CString::Formatted("%%%s%%", kSkipName));
  return names;
}

namespace {

CString Parse(const CString& text, PatternUse use, NamePattern& pattern) {
  std::string source = text.Str();
  if (source.find_first_not_of(" \t") == std::string::npos) return "The pattern is empty.";
  if (IsMusicFileName(CString(source))) source.resize(source.size() - base::ExtensionOf(CString(source)).GetLength());

  for (std::size_t at = 0; at < source.size();) {
    const std::size_t open = source.find('%', at);
    AddText(pattern, source.substr(at, open - at));
    if (open == std::string::npos) break;
    if (open + 1 < source.size() && source[open + 1] == '%') {
      AddText(pattern, "%");
      at = open + 2;
      continue;
    }
    const std::size_t close = source.find('%', open + 1);
    if (close == std::string::npos)
      return "A '%' is not closed: a placeholder is written %name%, a percent sign %%.";
    PatternPiece piece;
    const CString problem = ParsePlaceholder(source.substr(open + 1, close - open - 1), piece);
    if (!problem.IsEmpty()) return problem;
    pattern.pieces.push_back(piece);
    at = close + 1;
  }

  std::vector<Field> fields;
  for (const PatternPiece& piece : pattern.pieces) {
    if (piece.kind == PatternPiece::kField) {
      if (use == PatternUse::kReadName && std::count(fields.begin(), fields.end(), piece.field))
        return CString::Formatted("%s appears twice: a file name can fill a field only once.",
                                  PlaceholderOf(piece.field).GetString());
      fields.push_back(piece.field);
    } else if (piece.kind == PatternPiece::kSkip && use == PatternUse::kMakeName) {
      return "%dummy% skips a part of a name being read; a new name cannot hold it.";
    } else if (piece.kind == PatternPiece::kText) {
      const int slashes = static_cast<int>(std::count(piece.strText.Str().begin(), piece.strText.Str().end(), '/'));
      if (slashes > 0 && use == PatternUse::kMakeName)
        return "A file name cannot hold '/': the files stay in their folders.";
      pattern.nFolders += slashes;
    }
  }
  if (fields.empty()) return "The pattern has no placeholder of a field, such as %artist% or %title%.";
  return CString();
}

}  // namespace

CString ParseNamePattern(const CString& text, PatternUse use, NamePattern& pattern) {
  NamePattern parsed;
  const CString problem = Parse(text, use, parsed);
  pattern = problem.IsEmpty() ? std::move(parsed) : NamePattern();
  return problem;
}

namespace {

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool IsNumber(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

// A search for the split of one name over the pattern's pieces, remembering
// the places that led nowhere so no name takes more than pieces x length^2
// steps.
class CNameMatcher {
 public:
  CNameMatcher(const NamePattern& pattern, std::string name)
      : m_pattern(pattern), m_name(std::move(name)),
        m_deadEnds(pattern.pieces.size() * (m_name.size() + 1), false) {}

  std::optional<FieldValues> Run() {
    if (!Match(0, 0)) return std::nullopt;
    return std::move(m_values);
  }

 private:
  bool Match(std::size_t index, std::size_t at) {
    if (index == m_pattern.pieces.size()) return at == m_name.size();
    const std::size_t state = index * (m_name.size() + 1) + at;
    if (m_deadEnds[state]) return false;
    const PatternPiece& piece = m_pattern.pieces[index];
    bool matched = false;
    if (piece.kind == PatternPiece::kText) {
      matched = m_name.compare(at, piece.strText.Str().size(), piece.strText.Str()) == 0 &&
                Match(index + 1, at + piece.strText.Str().size());
    } else {
      // A value never crosses a folder, and never ends inside a character.
      const std::size_t limit = std::min(m_name.find('/', at), m_name.size());
      std::vector<std::size_t> ends;
      for (std::size_t end = at + 1; end <= limit; ++end)
        if (end == m_name.size() || !utf8::IsContinuation(static_cast<unsigned char>(m_name[end]))) ends.push_back(end);
      const bool bNumber = piece.kind == PatternPiece::kField && IsNumbered(piece.field);
      if (bNumber) std::reverse(ends.begin(), ends.end());
      for (std::size_t end : ends) {
        const std::string value = Trimmed(m_name.substr(at, end - at));
        if (value.empty() || (bNumber && !IsNumber(value))) continue;
        const std::size_t kept = m_values.size();
        if (piece.kind == PatternPiece::kField) m_values.emplace_back(piece.field, CString(value));
        if (Match(index + 1, end)) {
          matched = true;
          break;
        }
        m_values.resize(kept);
      }
    }
    if (!matched) m_deadEnds[state] = true;
    return matched;
  }

  const NamePattern& m_pattern;
  const std::string m_name;
  std::vector<bool> m_deadEnds;  // (piece, position) pairs known not to match
  FieldValues m_values;
};

}  // namespace

std::optional<FieldValues> TagsFromName(const NamePattern& pattern, const CString& key) {
  if (pattern.pieces.empty()) return std::nullopt;
  // The name and as many folders above it as the pattern reads.
  // Another format's key ends in its extension, which no pattern reads.
  const std::string path = HasOtherMusicExtension(key) ? key.Left(key.GetLength() - base::ExtensionOf(key).GetLength()).Str() : key.Str();
  std::size_t start = path.size();
  for (int k = 0; k <= pattern.nFolders && start != std::string::npos; ++k)
    start = start == 0 ? std::string::npos : path.rfind('/', start - 1);
  const std::string name = start == std::string::npos ? path : path.substr(start + 1);
  return CNameMatcher(pattern, name).Run();
}

std::vector<CString> RememberPattern(std::vector<CString> recent, const CString& pattern) {
  constexpr std::size_t kKept = 10;
  recent.erase(std::remove(recent.begin(), recent.end(), pattern), recent.end());
  if (pattern.Str().find_first_not_of(" \t") != std::string::npos) recent.insert(recent.begin(), pattern);
  if (recent.size() > kKept) recent.resize(kKept);
  return recent;
}

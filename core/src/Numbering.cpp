#include <core/Numbering.h>

#include <base/Path.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <numeric>
#include <string>

namespace {

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

// -1, 0 or 1 as a is before, equal to or after b in natural order, letter case ignored.
int NaturalCompare(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      // Numbers compare by value: without leading zeros, the longer is larger.
      std::size_t endA = i, endB = j;
      while (endA < a.size() && IsDigit(a[endA])) ++endA;
      while (endB < b.size() && IsDigit(b[endB])) ++endB;
      std::size_t startA = i, startB = j;
      while (startA + 1 < endA && a[startA] == '0') ++startA;
      while (startB + 1 < endB && b[startB] == '0') ++startB;
      if (endA - startA != endB - startB) return endA - startA < endB - startB ? -1 : 1;
      if (const int order = a.compare(startA, endA - startA, b, startB, endB - startB)) return order < 0 ? -1 : 1;
      i = endA;
      j = endB;
      continue;
    }
    const int x = std::tolower(static_cast<unsigned char>(a[i])), y = std::tolower(static_cast<unsigned char>(b[j]));
    if (x != y) return x < y ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size() || j < b.size()) return i < a.size() ? 1 : -1;
  return 0;
}

}  // namespace

bool NaturalLess(const CString& a, const CString& b) {
  const int order = NaturalCompare(a.Str(), b.Str());
  return order != 0 ? order < 0 : a.Str() < b.Str();
}

std::vector<std::size_t> NaturalOrder(const std::vector<CString>& keys) {
  std::vector<std::size_t> order(keys.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return NaturalLess(keys[a], keys[b]); });
  return order;
}

std::vector<CString> NumberTracks(const std::vector<CString>& keys, int start, bool total) {
  std::map<CString, std::vector<std::size_t>> byFolder;
  for (std::size_t k = 0; k < keys.size(); ++k) byFolder[base::FolderOf(keys[k])].push_back(k);
  std::vector<CString> tracks(keys.size());
  for (const auto& [folder, members] : byFolder) {
    const int last = start + static_cast<int>(members.size()) - 1;
    for (std::size_t n = 0; n < members.size(); ++n) {
      const int number = start + static_cast<int>(n);
      tracks[members[n]] = total ? CString::Formatted("%d/%d", number, last) : CString::Formatted("%d", number);
    }
  }
  return tracks;
}

int DiscOfFolderName(const CString& name) {
  std::string text;
  for (char ch : name.Str()) text += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  std::size_t at = 0;
  for (const char* word : {"cd", "disc", "disk"})
    if (text.rfind(word, 0) == 0) {
      at = std::char_traits<char>::length(word);
      break;
    }
  if (at == 0) return 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '-' || text[at] == '_' || text[at] == '.')) ++at;
  std::size_t end = at;
  while (end < text.size() && IsDigit(text[end]) && end - at < 4) ++end;
  if (end == at || end != text.size()) return 0;
  return std::stoi(text.substr(at, end - at));
}

std::vector<CString> NumberDiscs(const std::vector<CString>& keys, bool total) {
  std::vector<int> discs;
  std::map<CString, int> highest;  // by the folder the disc folders lie in
  for (const CString& key : keys) {
    const CString folder = base::FolderOf(key);
    discs.push_back(DiscOfFolderName(base::FileNameOf(folder)));
    int& most = highest[base::FolderOf(folder)];
    most = std::max(most, discs.back());
  }
  std::vector<CString> out;
  for (std::size_t k = 0; k < keys.size(); ++k) {
    const int disc = discs[k];
    if (disc == 0)
      out.emplace_back();
    else if (total)
      out.push_back(CString::Formatted("%d/%d", disc, highest[base::FolderOf(base::FolderOf(keys[k]))]));
    else
      out.push_back(CString::Formatted("%d", disc));
  }
  return out;
}

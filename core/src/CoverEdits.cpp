#include <core/CoverEdits.h>

#include <tags/MyMP3Tags.h>

#include <core/Renaming.h>
#include <base/Utf8.h>

#include <base/Path.h>

#include <algorithm>

PendingCoverPtr MakePendingCover(std::string image, const CString& format, int width, int height) {
  auto cover = std::make_shared<CPendingCover>();
  cover->strSummary = CoverSummary(format, CString(), width, height, image.size());
  cover->strExtension = format == "PNG" ? "png" : "jpg";
  cover->strImage = std::move(image);
  return cover;
}

PendingCoverPtr MakeCoverRemoval(const CShownCover& shown) {
  auto removal = std::make_shared<CPendingCover>();
  removal->strSummary = "-";
  removal->shown = shown;
  return removal;
}

CString CoverSummary(const CString& format, const CString& mime, int width, int height, std::size_t bytes) {
  CString text;
  if (width > 0 && height > 0) text.Format("%d\u00d7%d ", width, height);
  text += format.IsEmpty() ? (mime.IsEmpty() ? CString("image") : mime) : format;
  constexpr std::size_t kKilo = 1024, kMega = kKilo * kKilo;
  if (bytes >= kMega)
    text.AppendFormat(", %.1f MB", static_cast<double>(bytes) / kMega);
  else
    text.AppendFormat(", %zu KB", std::max<std::size_t>(1, (bytes + kKilo / 2) / kKilo));
  return text;
}

CString CoverFileName(const CString& artist, const CString& album, const CString& key, const CString& extension) {
  const auto present = [](const CString& value) {
    const std::string& text = value.Str();
    const std::size_t first = text.find_first_not_of(' ');
    return first != std::string::npos && text.substr(first, text.find_last_not_of(' ') - first + 1) != "-";
  };
  CString name;
  if (present(artist) && present(album))
    name = artist + " - " + album;
  else if (present(artist) || present(album))
    name = present(artist) ? artist : album;
  name = SafeFileName(name);
  if (name.IsEmpty()) name = SafeFileName(base::FileNameOf(key));
  if (name.IsEmpty()) name = "cover";
  // The whole name, extension too, fits a file name's 255 bytes.
  constexpr std::size_t kNameMax = 255;
  const std::size_t room = kNameMax - std::min(kNameMax - 1, extension.Str().size() + 1);
  return CString(utf8::CutAtBoundary(name.Str(), room)) + "." + extension;
}

CCommonCover FindCommonCover(const std::vector<CRowCover>& rows,
                             const std::function<std::string(std::size_t)>& readFile, std::size_t maxCompared) {
  CCommonCover common;
  if (rows.empty()) return common;
  const auto summaryOf = [](const CRowCover& r) { return r.pending ? r.pending->strSummary : r.strFileSummary; };
  const CString summary = summaryOf(rows.front());
  for (const CRowCover& row : rows)
    if (summaryOf(row) != summary) {
      common.kind = CCommonCover::kDifferent;
      return common;
    }
  if (summary == "-") {
    common.kind = CCommonCover::kNoCover;
    return common;
  }
  common.kind = CCommonCover::kSame;
  common.strSummary = summary;
  for (std::size_t i = 0; i < rows.size() && i < std::max<std::size_t>(maxCompared, 1); ++i) {
    const PendingCoverPtr& pending = rows[i].pending;
    // A pending picture is shared, not copied.
    std::shared_ptr<const std::string> picture =
        pending ? std::shared_ptr<const std::string>(pending, &pending->strImage)
                : std::make_shared<const std::string>(readFile(i));
    if (i == 0) {
      common.image = std::move(picture);
    } else if (picture->empty() || (picture->data() != common.image->data() && *picture != *common.image)) {
      common = CCommonCover{CCommonCover::kDifferent, nullptr, CString(), 0};
      return common;
    }
    common.nCompared = i + 1;
  }
  if (common.image->empty() && rows.size() > 1) common = CCommonCover{CCommonCover::kDifferent, nullptr, CString(), 0};
  return common;
}

CString ShownCoverText(const CCoverArt& cover) {
  CString text = CMyMP3Tags::PictureTypeName(cover.nType);
  if (cover.nPictures > 1) text.AppendFormat(", %d of %d pictures", cover.nIndex + 1, cover.nPictures);
  return text + "\n" + CoverSummary(cover.strFormat, cover.strMime, cover.nWidth, cover.nHeight, cover.nBytes);
}

#include "Genres.h"

#include <tags/MyMP3Tags.h>

#include "TagEngine.h"

#include <cctype>
#include <cstdlib>
#include <iterator>

namespace {

// ID3v1's genres (0 to 79) and Winamp's (80 to 147), spelt as they were
// published ("Psychadelic", "Christian Rock " with its blank).
const char* const kNames[genres::kCount] = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop",
    "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game",
    "Sound Clip", "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative",
    "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic", "Darkwave", "Techno-Industrial",
    "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta",
    "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave",
    "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka",
    "Retro", "Musical", "Rock & Roll", "Hard Rock", "Folk", "Folk-Rock", "National Folk", "Swing",
    "Fast Fusion", "Bebob", "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock",
    "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus",
    "Easy Listening", "Acoustic", "Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata",
    "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba",
    "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo",
    "A capella", "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House", "Hardcore", "Terror",
    "Indie", "BritPop", "Negerpunk", "Polsk Punk", "Beat", "Christian Gangsta Rap", "Heavy Metal",
    "Black Metal", "Crossover", "Contemporary Christian", "Christian Rock ", "Merengue", "Salsa",
    "Trash Metal", "Anime", "JPop", "Synthpop"};

// A genre reference: a number of up to three digits, "RX" (remix) or "CR" (cover).
bool IsReference(const std::string& ref) {
  return ref == "RX" || ref == "CR" ||
         (!ref.empty() && ref.size() <= 3 && ref.find_first_not_of("0123456789") == std::string::npos);
}

// The genre a reference names; null for a number outside the list.
const char* ReferenceName(const std::string& ref) {
  if (ref == "RX") return "Remix";
  if (ref == "CR") return "Cover";
  return IsReference(ref) ? genres::Name(std::atoi(ref.c_str())) : nullptr;
}

// A name compared without letter case and trailing blanks.
std::string Folded(const std::string& name) {
  std::string folded = name.substr(0, name.find_last_not_of(' ') + 1);
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

}  // namespace

namespace genres {

const char* Name(int n) { return n >= 0 && n < kCount ? kNames[n] : nullptr; }

int IndexOf(const CString& value) {
  const std::string wanted = Folded(CMyMP3Tags::GenreName(value).Str());
  for (int n = 0; n < kCount; ++n)
    if (Folded(kNames[n]) == wanted) return n;
  return -1;
}

}  // namespace genres

std::vector<CString> CMyMP3Tags::GetGenreNames() { return std::vector<CString>(std::begin(kNames), std::end(kNames)); }

// ID3v2.3 4.2.1: references "(n)" in front, then a refinement, in which a
// leading "((" stands for "("; ID3v2.4 has bare numbers.
CString CMyMP3Tags::GenreName(CString stored) {
  const std::string& s = stored.Str();
  if (const char* name = ReferenceName(s)) return name;
  const char* first = nullptr;  // the first reference that names a genre
  std::size_t pos = 0;
  while (pos + 1 < s.size() && s[pos] == '(' && s[pos + 1] != '(') {
    const std::size_t close = s.find(')', pos);
    if (close == std::string::npos || !IsReference(s.substr(pos + 1, close - pos - 1))) break;
    if (!first) first = ReferenceName(s.substr(pos + 1, close - pos - 1));
    pos = close + 1;
  }
  if (pos == 0) return stored;
  std::string refinement = s.substr(pos);
  if (refinement.rfind("((", 0) == 0) refinement.erase(0, 1);
  if (!refinement.empty()) return CString(refinement);
  return first ? CString(first) : stored;
}

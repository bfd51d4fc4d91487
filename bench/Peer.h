#pragma once
// The peers: mutagen, in its own Python process started once per measurement,
// timing only its own loop over the same files (mutagen_peer.py); and
// kid3-cli, one run per measurement less its start-up (kid3_peer.py).
#include <string>

namespace bench {

// Seconds mutagen took to read every MP3 file's tags and MPEG facts.
double PeerLoad(const std::string& folder);
// Seconds mutagen took to set each file's artist and save it as ID3v2.3.
double PeerSave(const std::string& folder, const std::string& artist);
// The same for FLAC, Ogg and MP4 files: read every key and the stream's
// facts; set the artist (ARTIST, \xa9ART) and save.
double PeerLoadAny(const std::string& folder);
double PeerSaveAny(const std::string& folder, const std::string& artist);
// Rewrites every tag of the folder as ID3v2.<version> (3 or 4) with mutagen;
// returns the files that have a tag.
int PeerConvert(const std::string& folder, int version);

// Seconds kid3-cli took to read every file's tags, and to set every artist
// and save; -1 when kid3-cli is not installed.
double Kid3Load(const std::string& folder);
double Kid3Save(const std::string& folder, const std::string& artist);

}  // namespace bench

# Writes an ID3v2.3 or v2.4 tag into a copy of an untagged MP3 with mutagen,
# as Picard writes each version, for the tag version tests:
#   make_versions.py FILE v24|v23|v24-<FRAME>|v23-<FRAME>
# v24: TPE1 with two values, TDRC "2001-05-03T10:20", TDOR "1999-02-01",
#   TIPL and TMCL, TXXX with two values, UTF-8, UTF-16BE and Latin-1 text,
#   TPOS "1/2", USLT in "deu", COMM in "deu", TSOP, APIC, and an ID3v1 tag.
# v23: the same saved as ID3v2.3 by mutagen (TYER + TDAT + TIME, TORY, IPLS,
#   values joined by "/", UTF-16).
# A suffix adds one frame with no form in the other version (v24-TMOO,
#   v23-TSIZ) or one that cannot be converted (v24-TBPM: two numbers).
# A suffix "-mb" adds what Picard and ReplayGain scanners add: TXXX MusicBrainz
# and ReplayGain keys, a MusicBrainz UFID, a rating (POPM), a PRIV and a WOAR link.
# described-v23, described-v24: only lyrics with a description (fra) and a comment (ita).
import sys
from mutagen.id3 import (APIC, COMM, ID3, POPM, PRIV, TALB, TBPM, TCON, TDOR, TDRC, TIPL, TIT2, TMCL, TMOO,
                         TPE1, TPOS, TRCK, TSIZ, TSOP, TXXX, UFID, USLT, WOAR)

path, kind = sys.argv[1], sys.argv[2]
tags = ID3()
if kind.startswith("described"):
    tags.add(USLT(encoding=1, lang="fra", desc="Version", text="Described"))
    tags.add(COMM(encoding=0, lang="ita", desc="", text=["Commento"]))
    tags.save(path, v2_version=int(kind[-1]))
    sys.exit(0)
tags.add(TIT2(encoding=2, text=["Title ☂ in UTF-16BE"]))
tags.add(TPE1(encoding=3, text=["Nina Simone", "Ärtist Two ♫"]))
tags.add(TALB(encoding=0, text=["Album"]))
tags.add(TRCK(encoding=0, text=["3/12"]))
tags.add(TPOS(encoding=0, text=["1/2"]))
tags.add(TCON(encoding=3, text=["Jazz", "Soul"]))
tags.add(TDRC(encoding=0, text=["2001-05-03T10:20"]))
tags.add(TDOR(encoding=0, text=["1999-02-01"]))
tags.add(TIPL(encoding=3, people=[["producer", "Prodüçer"], ["engineer", "Engineer"]]))
tags.add(TMCL(encoding=0, people=[["piano", "Pianist"]]))
tags.add(TXXX(encoding=3, desc="MusicBrainz Artist Id", text=["id-one", "id-two"]))
tags.add(COMM(encoding=3, lang="deu", desc="", text=["Kommentar ♫"]))
tags.add(USLT(encoding=3, lang="deu", desc="", text="Erste Zeile ♫\nZweite Zeile"))
tags.add(TSOP(encoding=0, text=["Simone, Nina"]))
tags.add(APIC(encoding=3, mime="image/png", type=3, desc="Cövér", data=b"\x89PNG\r\n\x1a\n" + b"\0" * 64))
extra = kind.split("-")[1] if "-" in kind else None
if extra == "mb":
    tags.add(TXXX(encoding=3, desc="MusicBrainz Album Id", text=["a1b2c3d4-0000-4000-8000-000000000001"]))
    tags.add(TXXX(encoding=0, desc="REPLAYGAIN_TRACK_GAIN", text=["-6.50 dB"]))
    tags.add(UFID(owner="http://musicbrainz.org", data=b"f00dbabe-0000-4000-8000-000000000002"))
    tags.add(POPM(email="a@b", rating=196, count=3))
    tags.add(PRIV(owner="WM/MediaClassPrimaryID", data=b"\xbc}`\xd1#\xe3\xe2K"))
    tags.add(WOAR(url="https://artist.example/"))
if extra == "TMOO":
    tags.add(TMOO(encoding=0, text=["Calm"]))
if extra == "TBPM":
    tags.add(TBPM(encoding=0, text=["120", "121"]))
if kind.startswith("v23"):
    tags.update_to_v23()
    if extra == "TSIZ":
        tags.add(TSIZ(encoding=0, text=["12345"]))
    tags.save(path, v2_version=3, v23_sep="/", v1=2)
else:
    tags.save(path, v2_version=4, v1=2)

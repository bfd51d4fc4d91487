# An independent reader's view of an MP3 file, for the tag tests:
#   mutagen_view.py FILE info   -> "seconds kbit/s sample-rate"
#   mutagen_view.py FILE all    -> every frame, one per line (ID3v1 merged in,
#                                  as mutagen-based players show them)
#   mutagen_view.py FILE v2     -> every frame of the ID3v2 tag alone
#   mutagen_view.py FILE stored -> the same, as stored (TYER not made TDRC)
#   mutagen_view.py FILE v1     -> the ID3v1 tag as frames; empty when none
#   mutagen_view.py FILE brief  -> "v2.N" and each frame as stored: "KEY enc text|text"
#                                  (people as role:name, a picture by its description)
#   mutagen_view.py FILE pictures -> each APIC in tag order: type, MIME,
#                                  description and the data's sha256
#   mutagen_view.py FILE KEY    -> the text (or URL) of one frame
import hashlib
import sys
import mutagen.mp3
from mutagen.id3 import ID3, ParseID3v1


def frames(tags):
    print("\n".join(sorted("%s=%r" % (k, tags[k]) for k in tags.keys())), end="")


key = sys.argv[2]
if key in ("v2", "stored"):
    try:
        frames(ID3(sys.argv[1], load_v1=False, translate=key == "v2"))
    except mutagen.MutagenError:
        pass
    sys.exit(0)
if key == "brief":
    try:
        tags = ID3(sys.argv[1], load_v1=False, translate=False)
    except mutagen.MutagenError:
        sys.exit(0)
    lines = []
    for k in tags.keys():
        f = tags[k]
        if hasattr(f, "people"):
            text = "|".join("%s:%s" % tuple(p) for p in f.people)
        elif hasattr(f, "url"):
            text = f.url
        elif hasattr(f, "data") and hasattr(f, "desc"):
            text = "%s %s" % (f.mime, f.desc)
        elif hasattr(f, "text"):
            text = "|".join(str(t) for t in f.text) if isinstance(f.text, list) else f.text
        else:
            text = ""
        lines.append("%s %s %s" % (k, int(getattr(f, "encoding", 0)), text.replace("\n", "\\n")))
    print("v2.%d" % tags.version[1])
    print("\n".join(sorted(lines)), end="")
    sys.exit(0)
if key == "pictures":
    for p in ID3(sys.argv[1], load_v1=False).getall("APIC"):
        print(int(p.type), p.mime, p.desc, hashlib.sha256(p.data).hexdigest()[:16])
    sys.exit(0)
if key == "v1":
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    frames(ParseID3v1(data[-128:]) or {} if len(data) >= 128 else {})
    sys.exit(0)
m = mutagen.mp3.MP3(sys.argv[1])
if key == "info":
    print("%d %d %d" % (int(m.info.length), m.info.bitrate // 1000, m.info.sample_rate), end="")
elif key == "all":
    frames(m.tags or {})
elif m.tags and key in m.tags:
    frame = m.tags[key]
    print(frame.url if hasattr(frame, "url") else str(frame), end="")

# mutagen's view of every MP3 file of a folder, one line per file:
#   NAME <tab> the ID3v2 frames <tab> the ID3v1 tag as frames
# A file mutagen cannot read shows "unreadable: ..." in place of its frames.
import os
import sys
from mutagen.id3 import ID3, ParseID3v1


def frames(tags):
    return " | ".join(sorted("%s=%r" % (k, tags[k]) for k in tags.keys()))


folder = sys.argv[1]
for name in sorted(os.listdir(folder)):
    if not name.lower().endswith(".mp3"):
        continue
    path = os.path.join(folder, name)
    try:
        v2 = frames(ID3(path, load_v1=False))
    except Exception as e:  # a torn tag must show, not stop the listing
        v2 = "unreadable: %s" % e
    with open(path, "rb") as f:
        data = f.read()
    v1 = frames(ParseID3v1(data[-128:]) or {}) if len(data) >= 128 else ""
    print("%s\t%s\t%s" % (name, v2, v1))

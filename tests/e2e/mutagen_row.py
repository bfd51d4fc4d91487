# mutagen's view of an MP3 file as the file table lays it out, for the
# end-to-end tests: one line per column, "column<TAB>text", "-" for a value
# the file does not have. Tags are read as stored (no upgrade to ID3v2.4).
#   mutagen_row.py FILE frames  -> every frame of the ID3v2 tag alone, one per line
#   mutagen_row.py FILE pictures -> "type:SHA-256" of each picture, then "audio:SHA-256"
import hashlib
import sys
import mutagen.id3
import mutagen.mp3

path = sys.argv[1]
if len(sys.argv) > 2 and sys.argv[2] == "frames":
    try:
        v2 = mutagen.id3.ID3(path, translate=False, load_v1=False)
    except mutagen.id3.ID3NoHeaderError:
        v2 = {}
    print("\n".join(sorted("%s=%r" % (k, v2[k]) for k in v2.keys())), end="")
    sys.exit(0)
if len(sys.argv) > 2 and sys.argv[2] == "pictures":
    try:
        v2 = mutagen.id3.ID3(path, translate=False, load_v1=False)
    except mutagen.id3.ID3NoHeaderError:
        v2 = mutagen.id3.ID3()
    data = open(path, "rb").read()
    end = len(data) - 128 if data[-128:-125] == b"TAG" else len(data)
    print("\n".join(["%d:%s" % (p.type, hashlib.sha256(p.data).hexdigest()) for p in v2.getall("APIC") + v2.getall("PIC")]
                    + ["audio:" + hashlib.sha256(data[v2.size if v2.version else 0:end]).hexdigest()]), end="")
    sys.exit(0)
try:
    tags = mutagen.id3.ID3(path, translate=False)
except mutagen.id3.ID3NoHeaderError:
    tags = {}
audio = mutagen.mp3.MP3(path)


def text(key):
    # A comment or link is the frame without a description, as other readers show it.
    frames = [f for k, f in tags.items() if (k == key or k.startswith(key + ":"))
              and (key not in ("COMM", "WXXX") or f.desc == "")]
    if not frames:
        return "-"
    frame = frames[0]
    return frame.url if hasattr(frame, "url") else str(frame)


year = text("TYER")
if year == "-":
    year = text("TDRC")
columns = {
    2: text("TPE1"), 3: text("TALB"), 4: text("TIT2"), 5: text("TRCK"), 6: year, 7: text("TCON"),
    9: str(audio.info.sample_rate), 10: str(int(audio.info.length)), 15: text("COMM"),
    16: text("TCOM"), 17: text("TCOP"), 18: text("TENC"), 19: text("TOPE"), 20: text("WXXX"),
    21: text("TPE2"), 22: text("TPUB"), 23: text("TPE3"),
}
print("\n".join("%d\t%s" % (c, v) for c, v in sorted(columns.items())))

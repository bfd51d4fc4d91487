# An independent reader's view of a FLAC, Ogg or MP4 file, for the tag tests:
#   mutagen_audio.py FILE tags   -> every key and its values, one per line,
#                                   keys in upper case (Vorbis keys are case-blind)
#   mutagen_audio.py FILE pictures -> each picture: type, MIME, description, sha256 of the data
#   mutagen_audio.py FILE info   -> "codec seconds sample-rate channels"
#   mutagen_audio.py FILE vendor -> the Vorbis comment's vendor string
import base64
import hashlib
import sys
import mutagen
from mutagen.flac import Picture

f = mutagen.File(sys.argv[1])
view = sys.argv[2]
mp4 = type(f).__name__ == "MP4"
if view == "tags":
    lines = []
    for k, v in (f.tags.items() if f.tags else []):
        if k.upper() in ("METADATA_BLOCK_PICTURE", "COVR"):
            continue
        v = v if isinstance(v, list) else [v]  # MP4 flags (cpil) are one value
        lines.append("%s=%r" % (k if mp4 else k.upper(), [bytes(x) if mp4 and k.startswith("----") else x for x in v]))
    print("\n".join(sorted(lines)))
elif view == "pictures":
    pics = []
    if mp4:
        pics = [(3, "jpeg" if c.imageformat == 13 else "png", "", bytes(c)) for c in f.tags.get("covr", [])]
    else:
        found = list(getattr(f, "pictures", []))
        found += [Picture(base64.b64decode(v)) for v in (f.tags.get("METADATA_BLOCK_PICTURE", []) if f.tags else [])]
        pics = [(p.type, p.mime, p.desc, p.data) for p in found]
    for t, m, d, data in pics:
        print(int(t), m, d, hashlib.sha256(data).hexdigest()[:16])
elif view == "info":
    print(type(f).__name__, round(f.info.length, 2), f.info.sample_rate, f.info.channels)
elif view == "vendor":
    print(f.tags.vendor)

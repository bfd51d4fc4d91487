# An independent reader's view of an MP3 file, for the tag tests:
#   mutagen_view.py FILE info   -> "seconds kbit/s sample-rate"
#   mutagen_view.py FILE all    -> every frame, one per line
#   mutagen_view.py FILE KEY    -> the text (or URL) of one frame
import sys
import mutagen.mp3

m = mutagen.mp3.MP3(sys.argv[1])
key = sys.argv[2]
if key == "info":
    print("%d %d %d" % (int(m.info.length), m.info.bitrate // 1000, m.info.sample_rate), end="")
elif key == "all":
    tags = m.tags or {}
    print("\n".join(sorted("%s=%r" % (k, tags[k]) for k in tags.keys())), end="")
elif m.tags and key in m.tags:
    frame = m.tags[key]
    print(frame.url if hasattr(frame, "url") else str(frame), end="")

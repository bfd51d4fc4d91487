#!/usr/bin/env bash
# Makes a small sample folder of MP3 files to try Quillory on: a few seconds
# of generated tones each, encoded with lame, tagged as ID3v2.3 (which every
# reader, id3lib included, understands) through mutagen, mid3v2's library.
# Usage: scripts/make-sample.sh FOLDER   (files already there are kept)
set -euo pipefail
folder=${1:?usage: make-sample.sh FOLDER}
mkdir -p "$folder"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# The Python that runs mid3v2 has mutagen, whichever python3 comes first on PATH.
mutagen_python=$(head -1 "$(command -v mid3v2)" | sed 's/^#! *//')

make_tone() {  # make_tone WAV SECONDS FREQUENCY
  python3 - "$1" "$2" "$3" <<'PY'
import math, struct, sys, wave
path, seconds, freq = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
rate = 22050
with wave.open(path, "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(rate)
    w.writeframes(b"".join(struct.pack("<h", int(8000 * math.sin(2 * math.pi * freq * i / rate)))
                           for i in range(int(seconds * rate))))
PY
}

# name|seconds|frequency|artist|album|title|track|year|genre
while IFS='|' read -r name seconds freq artist album title track year genre; do
  out="$folder/$name.mp3"
  [ -e "$out" ] && continue
  make_tone "$tmp/tone.wav" "$seconds" "$freq"
  lame --quiet -b 64 "$tmp/tone.wav" "$out"
  [ -n "$artist" ] || continue
  "$mutagen_python" - "$out" "$artist" "$album" "$title" "$track" "$year" "$genre" <<'PY'
import sys
from mutagen.id3 import ID3, TALB, TCON, TIT2, TPE1, TRCK, TYER
path, artist, album, title, track, year, genre = sys.argv[1:]
tags = ID3()
for frame in (TPE1(encoding=1, text=artist), TALB(encoding=1, text=album), TIT2(encoding=1, text=title),
              TRCK(encoding=0, text=track), TYER(encoding=0, text=year), TCON(encoding=0, text=genre)):
    tags.add(frame)
tags.save(path, v2_version=3)
PY
done <<'LIST'
01 Morning Tone|3|440|The Sine Waves|Test Card|Morning Tone|1|2021|Electronic
02 Low Hum|4|220|The Sine Waves|Test Card|Low Hum|2|2021|Electronic
03 Café Señal|2|660|Ünïcode Ensemble|Ça va|Café Señal|3|2019|Jazz
04 Untagged|2|330|||||||
LIST
echo "Sample folder: $folder"

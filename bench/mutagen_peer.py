#!/usr/bin/python3
"""The benchmark's peer: mutagen in this one process, over the MP3 files of a
folder and its subfolders, in name order. It times only its own loop (time.perf_counter) and prints the
seconds on one line, so that starting Python is not counted.

  mutagen_peer.py load FOLDER          reads every file's tags and MPEG facts
  mutagen_peer.py save FOLDER ARTIST   sets the artist frame and saves, as ID3v2.3
  mutagen_peer.py convert FOLDER 3|4   rewrites every tag as ID3v2.3 or v2.4
                                       (makes a corpus; prints the files tagged)
  mutagen_peer.py load-any FOLDER      the same load over FLAC, Ogg and MP4 files (mutagen.File)
  mutagen_peer.py save-any FOLDER ARTIST  sets the artist of each (ARTIST or \xa9ART) and saves
"""
import os
import sys
import time

import mutagen
import mutagen.mp4
from mutagen.id3 import ID3, ID3NoHeaderError, TPE1
from mutagen.mp3 import MP3

# The frames the program's table shows.
TEXT_FRAMES = ("TPE1", "TALB", "TIT2", "TRCK", "TYER", "TDRC", "TCON", "COMM::eng", "TCOM",
               "TCOP", "TENC", "TOPE", "WXXX:", "TPE2", "TPUB", "TPE3")


def mp3_files(folder):
    """The MP3 files of the folder and of the folders below it, in name order."""
    paths = []
    for top, _, names in os.walk(folder):
        paths += [os.path.join(top, n) for n in names if n.lower().endswith(".mp3")]
    return sorted(p for p in paths if os.path.isfile(p))


def load(files):
    total = 0
    start = time.perf_counter()
    for path in files:
        audio = MP3(path)
        tags = audio.tags
        if tags is not None:
            for key in TEXT_FRAMES:
                frame = tags.get(key)
                if frame is not None:
                    total += len(str(frame))
        total += int(audio.info.length) + audio.info.bitrate + audio.info.sample_rate
    return time.perf_counter() - start, total


def save(files, artist):
    start = time.perf_counter()
    for path in files:
        try:
            tags = ID3(path)
        except ID3NoHeaderError:
            tags = ID3()
        tags.setall("TPE1", [TPE1(encoding=1, text=[artist])])
        tags.save(path, v2_version=3)
    return time.perf_counter() - start, len(files)


def convert(files, version):
    tagged = 0
    for path in files:
        try:
            tags = ID3(path)
        except ID3NoHeaderError:
            continue
        if version == 3:
            tags.update_to_v23()
        else:
            tags.update_to_v24()
        tags.save(path, v2_version=version)
        tagged += 1
    return tagged


OTHER_FORMATS = (".flac", ".ogg", ".oga", ".opus", ".m4a", ".mp4")


def other_files(folder):
    """The FLAC, Ogg and MP4 files of the folder and of the folders below it, in name order."""
    paths = []
    for top, _, names in os.walk(folder):
        paths += [os.path.join(top, n) for n in names if n.lower().endswith(OTHER_FORMATS)]
    return sorted(paths)


def load_any(files):
    total = 0
    start = time.perf_counter()
    for path in files:
        audio = mutagen.File(path)
        if audio.tags is not None:
            for key, value in audio.tags.items():
                total += len(key) + len(str(value))
        total += int(audio.info.length) + getattr(audio.info, "bitrate", 0) + getattr(audio.info, "sample_rate", 48000)
    return time.perf_counter() - start, total


def save_any(files, artist):
    start = time.perf_counter()
    for path in files:
        audio = mutagen.File(path)
        audio.tags["\xa9ART" if isinstance(audio, mutagen.mp4.MP4) else "artist"] = [artist]
        audio.save()
    return time.perf_counter() - start, len(files)


def main():
    if len(sys.argv) < 3 or sys.argv[1] not in ("load", "save", "convert", "load-any", "save-any"):
        sys.exit(__doc__)
    if sys.argv[1].endswith("-any"):
        files = other_files(sys.argv[2])
        if sys.argv[1] == "load-any":
            seconds, _ = load_any(files)
        else:
            seconds, _ = save_any(files, sys.argv[3] if len(sys.argv) > 3 else "Peer Artist")
        print("%.6f" % seconds)
        return
    files = mp3_files(sys.argv[2])
    if sys.argv[1] == "load":
        seconds, _ = load(files)
    elif sys.argv[1] == "save":
        seconds, _ = save(files, sys.argv[3] if len(sys.argv) > 3 else "Peer Artist")
    else:
        print(convert(files, int(sys.argv[3])))
        return
    print("%.6f" % seconds)


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""The benchmark's second peer: kid3-cli, the command-line form of Kid3, on the
music files of a folder and its subfolders. One kid3-cli run does the whole
folder (it goes into each subfolder with "cd"); the time of a run on an empty
folder is taken off, so that starting kid3-cli is not counted. Prints the
seconds on one line, or "-" when kid3-cli is not installed.

  kid3_peer.py load FOLDER          selects every file and reads its tags
  kid3_peer.py save FOLDER ARTIST   sets the artist of every file and saves
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time


def folders(top):
    """The folders holding music files, relative to top, in name order."""
    found = []
    music = (".mp3", ".flac", ".ogg", ".oga", ".opus", ".m4a", ".mp4")
    for path, _, names in os.walk(top):
        if any(n.lower().endswith(music) for n in names):
            found.append(os.path.relpath(path, top))
    return sorted(found)


def commands(top, per_folder):
    out = ["-c", "timeout off"]
    for folder in folders(top):
        out += ["-c", "cd '%s'" % os.path.join(top, folder)] + sum((["-c", c] for c in per_folder), [])
    return out


def run(top, per_folder):
    start = time.perf_counter()
    subprocess.run(["kid3-cli"] + commands(top, per_folder), check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    return time.perf_counter() - start


def main():
    if len(sys.argv) < 3 or sys.argv[1] not in ("load", "save"):
        sys.exit(__doc__)
    if not shutil.which("kid3-cli"):
        print("-")
        return
    if sys.argv[1] == "load":
        per_folder = ["select all", "get all"]
    else:
        artist = sys.argv[3] if len(sys.argv) > 3 else "Peer Artist"
        per_folder = ["select all", "set artist '%s' 2" % artist.replace("'", ""), "save"]
    with tempfile.TemporaryDirectory() as empty:
        start_up = run(empty, per_folder)
    print("%.6f" % max(0.0, run(sys.argv[2], per_folder) - start_up))


if __name__ == "__main__":
    main()

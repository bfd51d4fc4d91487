# Makes the ID3v2.4 and ID3v2.2 files of the tag tests from an untagged MP3:
#   make_v24_v22.py UNTAGGED.mp3 FOLDER
# v2.4 tags are written by mutagen (an independent writer), the kinds no tool
# writes (old iTunes' plain frame sizes, a footer, v2.2) byte by byte.
import struct
import sys

from mutagen.id3 import (APIC, COMM, ID3, POPM, PRIV, TALB, TCOM, TCON, TCOP, TDRC, TENC, TIT2, TOPE,
                         TPE1, TPE2, TPE3, TPUB, TRCK, TSOP, TXXX, UFID, USLT, WXXX)

audio_path, out = sys.argv[1], sys.argv[2]
with open(audio_path, "rb") as f:
    audio = f.read()


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def write(name, data):
    with open(f"{out}/{name}", "wb") as f:
        f.write(data)


def v1(title):
    pad = lambda s, n: s.encode("latin-1")[:n].ljust(n, b"\0")
    return b"TAG" + pad(title, 30) + pad("V1 Artist", 30) + pad("V1 Album", 30) + b"1987" + pad("v1", 28) + b"\0\x07\x11"


# The full v2.4 tag: every field, the four encodings, several values in one
# frame, described comments and links before the plain ones, and the frames
# of other programs (picture, TXXX, UFID, POPM, USLT, PRIV, sort order).
def full(tags):
    tags.add(COMM(encoding=0, lang="eng", desc="iTunNORM", text=[" 000001F4 000001F4"]))
    tags.add(COMM(encoding=3, lang="deu", desc="", text=["Kommentar ünd ♫"]))
    tags.add(WXXX(encoding=0, desc="Discogs", url="http://discogs.example/"))
    tags.add(WXXX(encoding=0, desc="", url="http://example.org/"))
    tags.add(TPE1(encoding=3, text=["Nina Simone ♫"]))
    tags.add(TALB(encoding=1, text=["Álbum in UTF-16"]))
    tags.add(TIT2(encoding=2, text=["Title in UTF-16BE ☂"]))
    tags.add(TRCK(encoding=0, text=["3/12"]))
    tags.add(TDRC(encoding=0, text=["1999-05-01"]))
    tags.add(TCOM(encoding=3, text=["Composer One", "Composer Two"]))
    tags.add(TCOP(encoding=0, text=["2004 Copyright"]))
    tags.add(TENC(encoding=0, text=["Encoder"]))
    tags.add(TOPE(encoding=1, text=["Original Ärtist"]))
    tags.add(TPE2(encoding=3, text=["Band"]))
    tags.add(TPUB(encoding=0, text=["Publisher"]))
    tags.add(TPE3(encoding=0, text=["Conductor"]))
    tags.add(TCON(encoding=0, text=["(17)"]))
    tags.add(TXXX(encoding=3, desc="MusicBrainz Album Id", text=["0f3d-uuid"]))
    tags.add(UFID(owner="http://musicbrainz.org", data=b"track-uuid"))
    tags.add(POPM(email="rater@example.org", rating=196, count=12))
    tags.add(USLT(encoding=1, lang="eng", desc="", text="Lyrics line one\nline two"))
    tags.add(TSOP(encoding=0, text=["Simone, Nina"]))
    tags.add(PRIV(owner="WM/MediaClassPrimaryID", data=b"\x01\x02\x03"))
    tags.add(APIC(encoding=0, mime="image/png", type=3, desc="cover", data=b"\x89PNG\r\n\x1a\n" + bytes(300)))


def mutagen_file(name, frames, v1tag=None):
    write(name, audio)
    tags = ID3()
    frames(tags)
    tags.save(f"{out}/{name}", v2_version=4, padding=lambda info: 1024)
    if v1tag:
        with open(f"{out}/{name}", "ab") as f:
            f.write(v1tag)


mutagen_file("v24_full.mp3", full)
mutagen_file("v24_v1.mp3", full, v1("V1 Title"))
mutagen_file("v24_small.mp3", lambda t: t.add(TIT2(encoding=0, text=["Small"])))


def v24_frame(fid, payload, plain_size=False):
    size = struct.pack(">I", len(payload)) if plain_size else syncsafe(len(payload))
    return fid + size + b"\0\0" + payload


def v24_file(name, frames, footer=False, plain_size=False, padding=512, tail=b""):
    body = b"".join(v24_frame(fid, payload, plain_size) for fid, payload in frames)
    flags = 0x10 if footer else 0
    size = syncsafe(len(body) + (0 if footer else padding))
    tag = b"ID3\x04\x00" + bytes([flags]) + size + body
    tag += b"3DI\x04\x00" + bytes([flags]) + size if footer else bytes(padding)
    write(name, tag + audio + tail)


text = lambda s: b"\x03" + s.encode("utf-8")
# Old iTunes wrote ID3v2.4 frame sizes as plain numbers; a frame of 128 bytes
# or more then reads wrongly as synchsafe.
long_comment = b"\x00eng\x00" + b"A long comment " * 20
v24_file("v24_itunes.mp3", [(b"TIT2", text("iTunes Title")), (b"COMM", long_comment),
                            (b"TPE1", text("iTunes Ärtist")), (b"TALB", text("iTunes Album"))], plain_size=True)
v24_file("v24_footer.mp3", [(b"TIT2", text("Footer Title")), (b"TPE1", text("Footer Artist"))], footer=True)
# An APEv2 tag and an ID3v1 tag after the audio.
ape_item = struct.pack("<II", 5, 0) + b"Title\0" + b"Apeti"
ape_footer = b"APETAGEX" + struct.pack("<IIII", 2000, 32 + len(ape_item), 1, 0) + bytes(8)
v24_file("v24_ape.mp3", [(b"TIT2", text("Ape Title"))], tail=ape_item + ape_footer + v1("V1 Title"))


def v22_frame(fid, payload):
    return fid + struct.pack(">I", len(payload))[1:] + payload


def v22_file(name, frames, padding=256):
    body = b"".join(v22_frame(fid, payload) for fid, payload in frames) + bytes(padding)
    write(name, b"ID3\x02\x00\x00" + syncsafe(len(body)) + body + audio)


latin = lambda s: b"\x00" + s.encode("latin-1")
utf16 = lambda s: b"\x01" + s.encode("utf-16")
V22_FULL = [
    (b"TT2", utf16("Old Title ♫")), (b"TP1", latin("Old Ärtist")), (b"TAL", latin("Old Album")),
    (b"TRK", latin("4/9")), (b"TYE", latin("1994")), (b"TCO", latin("(17)")), (b"TCM", latin("Composer")),
    (b"TCR", latin("Copyright")), (b"TEN", latin("Encoder")), (b"TOA", latin("Original Artist")),
    (b"TOT", latin("Original Album")), (b"TP2", latin("Band")), (b"TPB", latin("Publisher")),
    (b"TP3", latin("Conductor")), (b"TXT", latin("Lyricist")), (b"TDA", latin("0105")), (b"TIM", latin("1200")),
    (b"COM", b"\x00engiTunNORM\x00 000001F4"), (b"COM", b"\x00eng\x00Old comment"),
    (b"WXX", b"\x00\x00http://old.example/"), (b"TXX", b"\x00MOOD\x00calm"),
    (b"PIC", b"\x00PNG\x03cover\x00\x89PNG\r\n\x1a\n" + bytes(40)), (b"ULT", b"\x00eng\x00Old lyrics"),
    (b"UFI", b"http://owner\x00id-22"), (b"POP", b"rater@example.org\x00\xc4\x00\x00\x00\x0c"),
]
v22_file("v22_full.mp3", V22_FULL)
# Frames TagLib 1.13 drops without a word, and one no version knows.
for fid, payload in [(b"CRM", b"owner\x00explained\x00data"), (b"LNK", b"TT2http://x.example/\x00"),
                     (b"XYZ", b"raw bytes")]:
    v22_file(f"v22_{fid.decode().lower()}.mp3", [(b"TT2", latin("Has " + fid.decode()))] + [(fid, payload)])

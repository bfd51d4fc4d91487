#!/usr/bin/env python3
"""Draws the status bar's five state icons as 16 x 16, 24-bit BMPs on magenta.

The pictures are pixel maps below, one letter a pixel; '.' is the magenta
background that the status bar makes transparent. Run it in this folder.
"""
import struct

MAGENTA = (255, 0, 255)

ICONS = {
    # 202: a red badge with a white cross.
    "error.bmp": ({"k": (140, 0, 0), "r": (220, 30, 30), "w": (255, 255, 255)}, """
.....kkkkkk.....
...kkrrrrrrkk...
..krrrrrrrrrrk..
.krrrrrrrrrrrrk.
.krrwwrrrrwwrrk.
krrrwwwrrwwwrrrk
krrrrwwwwwwrrrrk
krrrrrwwwwrrrrrk
krrrrrwwwwrrrrrk
krrrrwwwwwwrrrrk
krrrwwwrrwwwrrrk
.krrwwrrrrwwrrk.
.krrrrrrrrrrrrk.
..krrrrrrrrrrk..
...kkrrrrrrkk...
.....kkkkkk.....
"""),
    # 203: a green badge with a white arrow pointing right.
    "ready.bmp": ({"k": (0, 100, 30), "g": (40, 170, 70), "w": (255, 255, 255)}, """
.....kkkkkk.....
...kkggggggkk...
..kggggggggggk..
.kggggggwgggggk.
.kggggggwwggggk.
kgggggggwwwggggk
kggwwwwwwwwwgggk
kggwwwwwwwwwwggk
kggwwwwwwwwwwggk
kggwwwwwwwwwgggk
kgggggggwwwggggk
.kggggggwwggggk.
.kggggggwgggggk.
..kggggggggggk..
...kkggggggkk...
.....kkkkkk.....
"""),
    # 204: a yellow hand, thumb up, in a blue cuff.
    "done.bmp": ({"k": (130, 85, 0), "y": (250, 210, 40), "b": (30, 70, 170)}, """
................
......kk........
.....kyyk.......
.....kyyk.......
....kyyyk.......
....kyyyk.......
...kyyyykkkkkk..
kkkkyyyyyyyyyyk.
kbbkyyyyykkkkkk.
kbbkyyyyyyyyyyk.
kbbkyyyyykkkkkk.
kbbkyyyyyyyyyyk.
kbbkyyyyykkkkk..
kbbkyyyyyyyyyk..
kkkkkkkkkkkkk...
................
"""),
    # 205: a white speech balloon with a blue letter i.
    "info.bmp": ({"k": (90, 90, 90), "w": (255, 255, 255), "b": (20, 70, 210)}, """
................
..kkkkkkkkkkkk..
.kwwwwwwwwwwwwk.
kwwwwwwbbwwwwwwk
kwwwwwwbbwwwwwwk
kwwwwwwwwwwwwwwk
kwwwwwbbbwwwwwwk
kwwwwwwbbwwwwwwk
kwwwwwwbbwwwwwwk
kwwwwwwbbwwwwwwk
kwwwwwbbbbwwwwwk
.kwwwwwwwwwwwwk.
..kkkwwkkkkkkk..
....kwwk........
....kwk.........
....kk..........
"""),
    # 206: a computer monitor with a blue screen.
    "progress.bmp": ({"k": (60, 60, 60), "s": (192, 192, 192), "b": (0, 60, 200),
                      "l": (120, 170, 255)}, """
................
kkkkkkkkkkkkkkkk
kssssssssssssssk
ksllbbbbbbbbbbsk
kslbbbbbbbbbbbsk
ksbbbbbbbbbbbbsk
ksbbbbbbbbbbbbsk
ksbbbbbbbbbbbbsk
ksbbbbbbbbbbbbsk
ksbbbbbbbbbbbbsk
kssssssssssssssk
kkkkkkkkkkkkkkkk
......kssk......
......kssk......
...kkkkkkkkkk...
...kssssssssk...
"""),
}


def write_bmp(path, rows):
    """A 24-bit BMP: rows bottom-up, each pixel blue, green, red."""
    width, height = 16, 16
    row_bytes = width * 3  # 48: already a multiple of four, so no padding
    pixels = b"".join(bytes((b, g, r)) for row in reversed(rows) for (r, g, b) in row)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, row_bytes * height, 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + pixels)


for name, (palette, art) in ICONS.items():
    lines = art.strip().split("\n")
    assert len(lines) == 16 and all(len(line) == 16 for line in lines), name
    write_bmp(name, [[palette.get(c, MAGENTA) for c in line] for line in lines])

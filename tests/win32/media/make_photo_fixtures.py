#!/usr/bin/env python3
"""Builds the images and folder trees the photo tests read, under the folder
given as the only argument. Test-only pictures are made here rather than kept
in the repository. Runs natively, before the Wine tests; a second run with
this same script is a no-op."""

import hashlib
import os
import shutil
import struct
import subprocess
import sys
import zlib

OUT = os.path.abspath(sys.argv[1])
STAMP = os.path.join(OUT, ".stamp")
ME = hashlib.sha256(open(__file__, "rb").read()).hexdigest()

# Colours the pixel tests look for.
ORANGE = "rgb(200,100,50)"
RED, GREEN, BLUE = "rgb(255,0,0)", "rgb(0,255,0)", "rgb(0,0,255)"


def magick(*args):
    subprocess.run(["convert", *args], check=True)


def path(*parts):
    p = os.path.join(OUT, *parts)
    os.makedirs(os.path.dirname(p), exist_ok=True)
    return p


def touch(*parts, data=b"x"):
    with open(path(*parts), "wb") as f:
        f.write(data)


def bands(size, colours, lengths, vertical, out):
    """Stripes of the given lengths across the picture, first to last."""
    w, h = size
    args = []
    for colour, n in zip(colours, lengths):
        args += ["-size", f"{w}x{n}" if vertical else f"{n}x{h}", f"xc:{colour}"]
    magick(*args, "-append" if vertical else "+append", "+repage", out)


def huge_png(out, side):
    """An RGB PNG of side x side orange pixels, written without holding it in memory."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    row = b"\0" + bytes((200, 100, 50)) * side
    z = zlib.compressobj(9)
    parts = [z.compress(row) for _ in range(side)]
    parts.append(z.flush())
    with open(out, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", b"".join(parts)))
        f.write(chunk(b"IEND", b""))


def big_jpeg(out, width, height):
    """A JPEG too large to decode whole in a 32-bit process: a red band over
    the top eighth, orange below. Streamed through cjpeg row by row."""
    red = b"\xff\x00\x00" * width
    orange = bytes((200, 100, 50)) * width
    with open(out, "wb") as f:
        cjpeg = subprocess.Popen(["cjpeg", "-quality", "85"], stdin=subprocess.PIPE, stdout=f)
        cjpeg.stdin.write(b"P6\n%d %d\n255\n" % (width, height))
        for y in range(height):
            cjpeg.stdin.write(red if y < height // 8 else orange)
        cjpeg.stdin.close()
        if cjpeg.wait() != 0:
            raise RuntimeError("cjpeg failed")


def rle8_bmp(out, side, palette, runs):
    """A side x side BI_RLE8 bitmap with `palette` (r, g, b) and the run bytes as given."""
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, side, side, 1, 8, 1, len(runs), 2835, 2835, len(palette), 0)
    offset = 14 + len(info) + len(colours)
    with open(out, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(runs), 0, 0, offset) + info + colours + runs)


def png_with_exif(src, out, orientation, kind=3):
    """A copy of a PNG with an eXIf chunk after IHDR: a big-endian TIFF block
    whose IFD0 holds only the orientation, of TIFF type `kind`."""
    value = struct.pack(">HH", orientation, 0) if kind == 3 else struct.pack(">I", orientation)
    tiff = b"MM\0*" + struct.pack(">IH", 8, 1) + struct.pack(">HHI", 0x0112, kind, 1) + value + struct.pack(">I", 0)
    chunk = struct.pack(">I", len(tiff)) + b"eXIf" + tiff + struct.pack(">I", zlib.crc32(b"eXIf" + tiff) & 0xFFFFFFFF)
    data = open(src, "rb").read()
    with open(out, "wb") as f:
        f.write(data[:33] + chunk + data[33:])


def windows_length(p):
    # The tests see this tree through Wine's Z: drive.
    return len("Z:" + p)


def main():
    if os.path.exists(STAMP) and open(STAMP).read() == ME:
        return
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(OUT)

    # --- decoding: exact sizes, solid colours and stripes ---
    magick("-size", "4000x3000", f"xc:{ORANGE}", path("decode", "orange_4000x3000.png"))
    magick("-size", "4000x3000", f"xc:{ORANGE}", "-quality", "95", path("decode", "orange_4000x3000.jpg"))
    # The same JPEG claiming orientation 6 (Windows reads it; Wine 8 does not).
    shutil.copy(path("decode", "orange_4000x3000.jpg"), path("decode", "orange_4000x3000_o6.jpg"))
    subprocess.run(["exiftool", "-q", "-overwrite_original", "-n", "-Orientation=6",
                    path("decode", "orange_4000x3000_o6.jpg")], check=True)
    magick("-size", "4000x3000", f"xc:{ORANGE}", "-compress", "zip", "-orient", "RightTop",
           path("decode", "orange_4000x3000_o6.tif"))
    magick("-size", "1000x1000", f"xc:{ORANGE}", "-compress", "zip", "-orient", "LeftBottom",
           path("decode", "orange_1000x1000_o8.tif"))
    magick("-size", "1000x1000", f"xc:{ORANGE}", path("decode", "orange_1000x1000.png"))
    magick("-size", "1x1", f"xc:{ORANGE}", path("decode", "orange_1x1.png"))
    magick("-size", "16x12", f"xc:{ORANGE}", path("decode", "orange_16x12.png"))
    magick("-size", "1030x3", f"xc:{ORANGE}", path("decode", "orange_1030x3.png"))
    # Small photos told apart by their orientation tag, for the loader tests.
    names = ["TopLeft", "TopRight", "BottomRight", "BottomLeft", "LeftTop", "RightTop", "RightBottom", "LeftBottom"]
    for tag, name in enumerate(names, start=1):
        magick("-size", "64x48", f"xc:{ORANGE}", "-orient", name, path("small", f"o{tag}.tif"))
    # 3000 x 4000: 500 red rows, 3000 green, 500 blue. The square crop shows
    # only green; the letterbox shows all three.
    bands((3000, 4000), [RED, GREEN, BLUE], [500, 3000, 500], True, path("decode", "bands_3000x4000.png"))
    # 4001 x 3000: 500 red columns, 3000 green, 501 blue.
    bands((4001, 3000), [RED, GREEN, BLUE], [500, 3000, 501], False, path("decode", "bands_4001x3000.png"))

    # --- every format WIC reads: a photo's content, and the kinds of pixel
    # that need converting (16-bit, grey, CMYK, palette, transparency) ---
    photo = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "samples", "photos",
                         "sunset_by_Aitzol_Berasategi.jpg")
    magick(photo, "-resize", "800x600!", path("formats", "photo.png"))
    for name, args in [("photo.bmp", []), ("photo.gif", []), ("photo.tif", ["-compress", "lzw"]),
                       ("PNG48:photo16.png", []), ("grey.png", ["-colorspace", "Gray"]),
                       ("cmyk.tif", ["-colorspace", "CMYK"])]:
        prefix, _, name = name.rpartition(":")
        magick(path("formats", "photo.png"), *args, (prefix + ":" if prefix else "") + path("formats", name))
    magick(path("formats", "photo.png"), "-resize", "256x192!", path("formats", "photo.ico"))
    # Half-transparent orange: premultiplied over black it shows (100, 50, 25).
    magick("-size", "640x480", "xc:rgba(200,100,50,0.5)", path("formats", "alpha.png"))
    # Orange first, blue second: the first frame is shown.
    magick("-size", "640x480", f"xc:{ORANGE}", "-size", "640x480", f"xc:{BLUE}", "-set", "delay", "50",
           path("formats", "animated.gif"))
    # Orientation in a PNG's eXIf chunk: a valid 6, a value out of range and a
    # LONG where a SHORT belongs, both of which mean none.
    png_with_exif(path("decode", "orange_16x12.png"), path("formats", "o6.png"), 6)
    png_with_exif(path("decode", "orange_16x12.png"), path("formats", "o9.png"), 9)
    png_with_exif(path("decode", "orange_16x12.png"), path("formats", "o6_long.png"), 6, kind=4)

    # --- JPEG through libjpeg-turbo ---
    # Every orientation written by exiftool, odd values little-endian, even
    # ones big-endian: both byte orders of the EXIF block.
    plain = path("jpeg", "orange_640x480.jpg")
    magick("-size", "640x480", f"xc:{ORANGE}", "-quality", "95", plain)
    for tag in range(1, 9):
        tagged = path("jpeg", f"o{tag}.jpg")
        shutil.copy(plain, tagged)
        subprocess.run(["exiftool", "-q", "-overwrite_original", "-n", f"-ExifByteOrder={'II' if tag % 2 else 'MM'}",
                        f"-Orientation={tag}", tagged], check=True)
    magick("-size", "640x480", f"xc:{ORANGE}", "-colorspace", "CMYK", "-quality", "95", path("jpeg", "cmyk.jpg"))
    # 3000 x 4000 in stripes, as the PNG above, through the scaled decoder.
    bands((3000, 4000), [RED, GREEN, BLUE], [500, 3000, 500], True, path("jpeg", "bands_3000x4000.jpg"))
    magick(path("jpeg", "bands_3000x4000.jpg"), "-interlace", "JPEG", path("jpeg", "bands_3000x4000_progressive.jpg"))
    big_jpeg(path("jpeg", "big_16000x12000.jpg"), 16000, 12000)

    # --- bad input ---
    touch("bad", "zero.jpg", data=b"")
    touch("bad", "text.jpg", data=b"This is a text file, not a photo.\r\n")
    jpeg = open(path("decode", "orange_4000x3000.jpg"), "rb").read()
    touch("bad", "truncated.jpg", data=jpeg[: len(jpeg) // 3])
    # Headers intact, entropy-coded data scrambled from a third of the way in.
    third = len(jpeg) // 3
    touch("bad", "corrupt.jpg", data=jpeg[:third] + bytes((b * 7 + 13) & 0xFF for b in jpeg[third:-2]) + b"\xff\xd9")
    png = open(path("decode", "orange_1000x1000.png"), "rb").read()
    touch("bad", "corrupt.png", data=png[:33] + bytes((b * 7 + 13) & 0xFF for b in png[33:]))
    # Run-length bitmaps of 16 x 16: a whole red one, and one whose bottom row
    # is orange and whose runs then overrun the picture: a jump outside it, an
    # absolute run longer than the data left, no end marker.
    rle8_bmp(path("bad", "red_rle8.bmp"), 16, [(255, 0, 0)], bytes((16, 0, 0, 0)) * 16 + bytes((0, 1)))
    rle8_bmp(path("bad", "overrun_rle8.bmp"), 16, [(0, 0, 0), (200, 100, 50)],
             bytes((16, 1, 0, 0, 0, 2, 200, 200, 0, 40, 1, 1, 1)))
    huge_png(path("bad", "huge_20000x20000.png"), 20000)
    # Only the header of a 60000 x 60000 PNG (14.4 GB at 32 bits a pixel).
    ihdr = struct.pack(">IIBBBBB", 60000, 60000, 8, 2, 0, 0, 0)
    touch("bad", "claims_60000x60000.png", data=b"\x89PNG\r\n\x1a\n" + struct.pack(">I", 13) + b"IHDR" + ihdr +
          struct.pack(">I", zlib.crc32(b"IHDR" + ihdr) & 0xFFFFFFFF))
    # Good files whose paths are awkward: non-ASCII, and exactly 259 characters.
    shutil.copy(path("decode", "orange_1000x1000.png"), path("odd", "фото été 写真.png"))
    folder = path("odd", "long", "x")[:-2]
    name_len = 259 - windows_length(folder + os.sep)
    shutil.copy(path("decode", "orange_1000x1000.png"), os.path.join(folder, "p" * (name_len - 4) + ".png"))

    # --- expansion trees ---
    # tree: two files and an extension-less one at the top, nested folders,
    # names that only begin with dots, and a folder with only folders inside.
    for name in ["a.jpg", "notes.txt", "noext"]:
        touch("tree", name)
    touch("tree", "x", "c.png")
    touch("tree", "x", "deeper", "d.jpg")
    touch("tree", "..x", "e.jpg")
    touch("tree", ".hidden", "f.jpg")
    touch("tree", "onlydirs", "sub", "g.jpg")
    os.makedirs(path("tree", "empty", ".keep")[:-6], exist_ok=True)
    # loop: a link inside that leads back to the top.
    touch("loop", "p.jpg")
    touch("loop", "inner", "q.jpg")
    os.symlink("..", path("loop", "inner", "back"))
    os.symlink(".", path("loop", "self"))
    # links: a second name for a sibling folder.
    touch("links", "real", "r.jpg")
    os.symlink("real", path("links", "alias"))

    open(STAMP, "w").write(ME)


if __name__ == "__main__":
    main()

"""Settings files and test photos for end-to-end runs, made at test time."""

import struct
import zlib
from pathlib import Path


def write_settings(ini_path, photos=(), music=(), slide_time=5000, photo_random=False, music_random=False,
                   effects=(0,), transitions=(0,), fades=(0,), less_effect=False, esc_only=False):
    """A UTF-16LE settings file as the program writes it. The defaults give
    plain photos in list order: no fades, no colour effects, no cross-fades."""
    def section(name, lines):
        return [f"[{name}]"] + lines

    lines = []
    lines += section("Photo List", [f"{i}={p}" for i, p in enumerate(photos)]
                     + ["IncludeSubDir=1", f"Random={int(photo_random)}"])
    lines += section("Music List", [f"{i}={p}" for i, p in enumerate(music)]
                     + ["IncludeSubDir=1", f"Random={int(music_random)}"])
    lines += section("Time", [f"SlideTime={slide_time}"])
    lines += section("ColorEffect", [f"{i}={c}" for i, c in enumerate(effects)] + [f"LessColorEffect={int(less_effect)}"])
    lines += section("Transition", [f"{i}={c}" for i, c in enumerate(transitions)])
    lines += section("Fade", [f"{i}={c}" for i, c in enumerate(fades)])
    lines += section("Control", [f"ExitByEscOnly={int(esc_only)}"])
    text = "\r\n".join(lines) + "\r\n"
    Path(ini_path).write_bytes(b"\xff\xfe" + text.encode("utf-16-le"))


def solid_png(path, rgb, size=(256, 256)):
    """A PNG of one colour, so the centre of the screen tells which photo shows."""
    return checker_png(path, rgb, rgb, size=size)


def checker_png(path, rgb, other, square=32, size=(256, 256)):
    """Squares of two colours: a picture whose pan and zoom can be seen."""
    width, height = size
    rows = []
    for y in range(height):
        cells = [rgb if (x // square + y // square) % 2 == 0 else other for x in range(width)]
        rows.append(b"\x00" + b"".join(bytes(c) for c in cells))
    Path(path).write_bytes(png_bytes(width, height, zlib.compress(b"".join(rows), 9)))
    return Path(path)


def png_bytes(width, height, compressed_rows):
    """An 8-bit RGB PNG around rows already filtered and compressed."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", compressed_rows) + chunk(b"IEND", b"")


def windows_path(path):
    """Wine shows the Linux root as drive Z:."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def huge_png(path, rgb, size):
    """A PNG of one colour too large to decode quickly (kept: it takes seconds
    to make). Rows are compressed one at a time, so no image is held in memory."""
    path = Path(path)
    if path.exists():
        return path
    width, height = size
    row = b"\x00" + bytes(rgb) * width
    packer = zlib.compressobj(1)
    parts = [packer.compress(row) for _ in range(height)]
    parts.append(packer.flush())
    partial = path.with_suffix(".part")
    partial.write_bytes(png_bytes(width, height, b"".join(parts)))
    partial.rename(path)
    return path

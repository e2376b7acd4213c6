"""A resolution chart for the full-screen show, and its measurement on a
screenshot, whatever fit and pan/zoom path the show picked.

The chart is square, so the crop and the letterbox show the same picture. It
is a grid of cells, each with a coloured marker centred on its top-left
corner; the marker's colour says whether the cell's column and row are even
or odd. Cells in even columns hold two patches of stripes the screen can
show (periods SHARP), cells in odd columns one patch of 1-pixel stripes
(period FINE) that no screen-sized surface can hold; even rows have vertical
stripes, odd rows horizontal ones. The screenshot is first searched for the
markers, which gives the mapping from chart to screen on each axis
(screen = scale * chart + offset); then every patch wholly on screen is
averaged along its stripes to one profile and measured.
"""

import zlib
from dataclasses import dataclass
from pathlib import Path

import numpy as np

from settings_files import png_bytes

SHARP = (6, 8)  # stripe periods in chart pixels that a surface of the screen's size holds
FINE = 2  # 1-pixel stripes
BLACK, WHITE, GREY = 0, 255, 128
# Geometry in chart pixels for a chart of 3840; it scales with the chart.
UNIT = 3840
CELL = (640, 384)  # two cells each way fit the smallest part of the chart the show can zoom to
MARKER = 48
MARGIN = 48  # from the cell's edge to its patches
SHARP_WIDTH, SHARP_GAP = 256, 32


@dataclass
class Patch:
    kind: str  # "sharp" or "fine"
    vertical: bool  # stripes run top to bottom
    period: int
    rect: tuple  # x0, y0, x1, y1 in chart pixels


def cell_patches(size, column, row):
    """The patches of one cell, from its column and row."""
    u = size // UNIT
    x0, y0 = column * CELL[0] * u, row * CELL[1] * u
    vertical = row % 2 == 0
    top, bottom = y0 + MARGIN * u, y0 + (CELL[1] - MARGIN) * u
    if column % 2:
        return [Patch("fine", vertical, FINE, (x0 + MARGIN * u, top, x0 + (CELL[0] - MARGIN) * u, bottom))]
    patches = []
    for k, period in enumerate(SHARP):
        left = x0 + (MARGIN + k * (SHARP_WIDTH + SHARP_GAP)) * u
        patches.append(Patch("sharp", vertical, period, (left, top, left + SHARP_WIDTH * u, bottom)))
    return patches


def marker_colour(column, row):
    """Always saturated: red is full on even columns, blue on even rows."""
    even_column, even_row = column % 2 == 0, row % 2 == 0
    return (WHITE * even_column, WHITE * (not even_column and not even_row), WHITE * even_row)


def chart_pixels(size):
    """size x size RGB pixels; size a multiple of UNIT."""
    u = size // UNIT
    grey = np.full((size, size), GREY, np.uint8)
    columns, rows = size // (CELL[0] * u), size // (CELL[1] * u)
    for column in range(columns):
        for row in range(rows):
            for patch in cell_patches(size, column, row):
                x0, y0, x1, y1 = patch.rect
                along = np.arange(x0, x1) if patch.vertical else np.arange(y0, y1)[:, None]
                dark = ((along - along.flat[0]) % patch.period) < patch.period // 2
                grey[y0:y1, x0:x1] = np.where(dark, BLACK, WHITE)
    image = np.repeat(grey[:, :, None], 3, axis=2)
    half = MARKER * u // 2
    for column in range(columns + 1):
        for row in range(rows + 1):
            x, y = column * CELL[0] * u, row * CELL[1] * u
            image[max(y - half, 0) : y + half, max(x - half, 0) : x + half] = marker_colour(column, row)
    return image


def write_chart(path, size):
    image = chart_pixels(size)
    rows = np.concatenate([np.zeros((size, 1), np.uint8), image.reshape(size, -1)], axis=1)
    Path(path).write_bytes(png_bytes(size, size, zlib.compress(rows.tobytes(), 1)))
    return Path(path)


def shot_pixels(shot):
    return np.frombuffer(shot.rgb, np.uint8).reshape(shot.height, shot.width, 3)


@dataclass
class Axis:
    scale: float  # screen pixels per chart pixel
    offset: float  # screen position of chart pixel 0
    residual: float  # worst distance of a marker from the fitted line, screen pixels

    def screen(self, chart):
        return self.scale * chart + self.offset


def fit_axis(centres, parities, cell):
    """The line through the marker centres along one axis. Markers are
    numbered from the spacing; their parity fixes the numbering up to whole
    pairs of cells, as far as the chart's pattern repeats."""
    if len(centres) < 2:
        return None
    centres = np.asarray(centres)
    spacing = np.median(np.diff(centres))
    steps = np.rint((centres - centres[0]) / spacing).astype(int)
    index = steps + parities[0]
    if any((i - p) % 2 for i, p in zip(index, parities)):
        return None
    scale, offset = np.polyfit(index * cell, centres, 1)
    residual = np.abs(scale * index * cell + offset - centres).max()
    return Axis(scale, offset, residual)


def runs(profile, threshold):
    """(start, end) of the runs where profile is above threshold, end exclusive."""
    above = np.concatenate([[False], profile > threshold, [False]])
    edges = np.flatnonzero(np.diff(above.astype(int)))
    return list(zip(edges[::2], edges[1::2]))


def find_markers(pixels, size):
    """(x Axis, y Axis) from the markers wholly on screen, or None."""
    u = size // UNIT
    colour = pixels.max(axis=2).astype(int) - pixels.min(axis=2)
    marked = colour > 128
    profiles = [marked.sum(axis=0), marked.sum(axis=1)]
    found = [[(a, b) for a, b in runs(p, p.max() / 2) if a > 0 and b < len(p)] for p in profiles]
    if not all(found):
        return None
    # Centroids, to a fraction of a pixel however soft the edges; pixel i
    # spans i to i + 1.
    xs, ys = ([np.average(np.arange(a, b), weights=p[a:b]) + 0.5 for a, b in runs_of] for p, runs_of in
              zip(profiles, found))
    # The colour of each marker on both lists, read at its centre.
    votes_x, votes_y = [[] for _ in xs], [[] for _ in ys]
    for i, x in enumerate(xs):
        for j, y in enumerate(ys):
            if colour[int(y), int(x)] > 128:
                r, _, b = pixels[int(y), int(x)]
                votes_x[i].append(int(r < 128))
                votes_y[j].append(int(b < 128))
    if not all(votes_x) or not all(votes_y):
        return None
    mapping = []
    for centres, votes, cell in ((xs, votes_x, CELL[0] * u), (ys, votes_y, CELL[1] * u)):
        parities = [round(float(np.mean(v))) for v in votes]
        mapping.append(fit_axis(centres, parities, cell))
    if not all(mapping) or max(m.residual for m in mapping) > 2:
        return None
    return tuple(mapping)


@dataclass
class Measure:
    patch: Patch
    screen: tuple  # x0, y0, x1, y1 measured, screen pixels
    contrast: float  # amplitude at the stripes' own frequency, 1 for a perfect square wave
    stray: float  # strongest amplitude at any other frequency, same unit
    mean: float  # mean level, 0 black, 1 white


# The fundamental of a square wave of swing 1 has amplitude 2/pi.
SQUARE_FUNDAMENTAL = 2 / np.pi


def profile_spectrum(profile):
    """Frequencies (cycles per pixel) and amplitudes of a profile, with a Hann
    window so that a stripe frequency between two bins stays one peak."""
    n = len(profile)
    window = np.hanning(n)
    values = (profile - profile.mean()) * window
    freqs = np.fft.rfftfreq(n)
    amplitudes = 2 * np.abs(np.fft.rfft(values)) / window.sum()
    return freqs, amplitudes


def measure_patch(pixels, patch, mapping, inset=4):
    """The patch's measures, or None when it is not wholly on screen."""
    mx, my = mapping
    x0, y0, x1, y1 = patch.rect
    sx0, sx1 = int(np.ceil(mx.screen(x0))) + inset, int(np.floor(mx.screen(x1))) - inset
    sy0, sy1 = int(np.ceil(my.screen(y0))) + inset, int(np.floor(my.screen(y1))) - inset
    height, width = pixels.shape[:2]
    if sx0 < 0 or sy0 < 0 or sx1 > width or sy1 > height or sx1 - sx0 < 16 or sy1 - sy0 < 16:
        return None
    region = pixels[sy0:sy1, sx0:sx1].mean(axis=2) / WHITE
    profile = region.mean(axis=0) if patch.vertical else region.mean(axis=1)
    scale, start = (mx.scale, sx0 - mx.offset) if patch.vertical else (my.scale, sy0 - my.offset)
    # Projection on the stripes' own frequency, phase-free.
    freq = 1 / (patch.period * scale)
    t = np.arange(len(profile))
    window = np.hanning(len(profile))
    wave = np.exp(-2j * np.pi * freq * (t + start))
    amplitude = 2 * abs(np.sum((profile - profile.mean()) * window * wave)) / window.sum()
    # Anything else: away from the stripes' frequency and those of its odd
    # harmonics the screen can show, above the lowest bins where the window
    # and any shading live.
    freqs, amplitudes = profile_spectrum(profile)
    near = np.zeros_like(freqs, dtype=bool)
    for k in (1, 3, 5):
        if k * freq < 0.5:
            near |= np.abs(freqs - k * freq) < 3 / len(profile)
    elsewhere = ~near & (np.arange(len(freqs)) > 2)
    stray = amplitudes[elsewhere].max() if elsewhere.any() else 0.0
    return Measure(patch, (sx0, sy0, sx1, sy1), amplitude / SQUARE_FUNDAMENTAL, stray / SQUARE_FUNDAMENTAL,
                   float(region.mean()))


def measure_chart(pixels, size):
    """(mapping, measures of every patch wholly on screen), or None when the
    markers are not found."""
    mapping = find_markers(pixels, size)
    if mapping is None:
        return None
    u = size // UNIT
    measures = []
    for column in range(size // (CELL[0] * u)):
        for row in range(size // (CELL[1] * u)):
            for patch in cell_patches(size, column, row):
                found = measure_patch(pixels, patch, mapping)
                if found:
                    measures.append(found)
    return mapping, measures

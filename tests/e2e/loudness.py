"""What the session's PulseAudio null sink plays, recorded from its monitor
with parec, and measures of it: loudness, which of two test tones sounds.
Test tracks are sine tones made with sox at test time."""

import math
import os
import struct
import subprocess
import threading
import time

from harness import ENV

RATE = 8000  # recorded mono samples per second; plenty for tones of 440 and 880 Hz
LOW, HIGH = 440, 880
SILENT = 50  # below this RMS nothing is playing; the quietest fade step is ten times louder


def tone(path, seconds, frequency):
    """A sine tone at half the full scale, as WAV or MP3 by the file's extension."""
    subprocess.run(["sox", "-q", "-n", "-r", "44100", "-c", "2", "-b", "16", str(path), "synth", str(seconds),
                    "sine", str(frequency), "vol", "0.5"], check=True, timeout=60)


class Recording:
    """What the null sink plays, each chunk stamped when it arrives. The
    recorder takes about a second to start, and the sink's clock is its own,
    so times map to samples through the arrival stamps, not from the spawn."""

    def __init__(self):
        self.process = subprocess.Popen(
            ["parec", "--device=nullsink.monitor", f"--rate={RATE}", "--channels=1", "--format=s16le", "--raw",
             "--latency-msec=20"],
            env=ENV, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.chunks = []
        self.stamps = []  # (arrival time, bytes received by then)
        self.samples = ()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        received = 0
        while chunk := os.read(self.process.stdout.fileno(), 3200):
            received += len(chunk)
            self.chunks.append(chunk)
            self.stamps.append((time.monotonic(), received))

    def running(self):
        return bool(self.stamps)

    def wait_running(self, timeout=10):
        """Waits for the first recorded chunk, so the recorder hears the first sound."""
        deadline = time.monotonic() + timeout
        while not self.running() and time.monotonic() < deadline:
            time.sleep(0.05)
        assert self.running(), "parec records nothing from the null sink"

    def tail(self, seconds):
        """The last `seconds` recorded so far, while recording."""
        stamps = self.stamps[:]
        if not stamps:
            return ()
        total = stamps[-1][1]
        raw = b"".join(self.chunks[: len(stamps)])[-int(seconds * RATE) * 2 :]
        first = total - len(raw)
        raw = raw[first % 2 : len(raw) - total % 2]
        return struct.unpack(f"<{len(raw) // 2}h", raw)

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)
        self.reader.join(timeout=10)
        raw = b"".join(self.chunks)
        self.samples = struct.unpack(f"<{len(raw) // 2}h", raw[: len(raw) // 2 * 2])

    @property
    def start(self):
        return self.time_of(0)

    @property
    def end(self):
        return self.time_of(len(self.samples))

    def time_of(self, index):
        """When sample `index` reached us, interpolated between arrivals."""
        points = [(t, n // 2) for t, n in self.stamps]
        before = max((p for p in points if p[1] <= index), default=None, key=lambda p: p[1])
        after = min((p for p in points if p[1] >= index), default=None, key=lambda p: p[1])
        if before is None:
            before = (after[0] - after[1] / RATE, 0)
        if after is None or after[1] == before[1]:
            return before[0] + (index - before[1]) / RATE
        return before[0] + (after[0] - before[0]) * (index - before[1]) / (after[1] - before[1])

    def index_of(self, at):
        points = [(t, n // 2) for t, n in self.stamps]
        before = max((p for p in points if p[0] <= at), default=(points[0][0] - points[0][1] / RATE, 0))
        after = min((p for p in points if p[0] >= at), default=None)
        if after is None or after[0] == before[0]:
            return int(before[1] + (at - before[0]) * RATE)
        return int(before[1] + (after[1] - before[1]) * (at - before[0]) / (after[0] - before[0]))

    def window(self, at, length=0.2):
        """Samples of `length` seconds from `at` (monotonic clock)."""
        first = self.index_of(at)
        return self.samples[max(first, 0) : max(first + int(length * RATE), 0)]

    def first_sound(self, begin, end):
        """The arrival time of the first sample louder than SILENT between `begin` and `end`, or None."""
        return self._sound(begin, end, reverse=False)

    def last_sound(self, begin, end):
        """The arrival time of the last sample louder than SILENT between `begin` and `end`, or None."""
        return self._sound(begin, end, reverse=True)

    def _sound(self, begin, end, reverse):
        indices = range(max(self.index_of(begin), 0), min(self.index_of(end), len(self.samples)))
        for index in reversed(indices) if reverse else indices:
            if abs(self.samples[index]) >= SILENT:
                return self.time_of(index)
        return None

    def write_levels(self, path, origin):
        """The level and tone of each 100 ms, for people to look at when a test fails."""
        path.parent.mkdir(parents=True, exist_ok=True)
        with open(path, "w") as levels:
            t = self.start
            while t < self.end:
                window = self.window(t, 0.1)
                levels.write(f"{t - origin:7.2f} {rms(window):8.1f} {pitch(window)}\n")
                t += 0.1


def rms(samples):
    return math.sqrt(sum(s * s for s in samples) / len(samples)) if samples else 0.0


def power(samples, frequency):
    """Goertzel: the strength of one frequency in the samples."""
    coefficient = 2 * math.cos(2 * math.pi * frequency / RATE)
    s1 = s2 = 0.0
    for x in samples:
        s1, s2 = x + coefficient * s1 - s2, s1
    return s1 * s1 + s2 * s2 - coefficient * s1 * s2


def loudness(samples, piece=RATE // 25):
    """The level of the loudest 40 ms: Wine's output drops out for moments
    when the machine is busy, and a dropout must not read as a quiet step."""
    return max((rms(samples[i : i + piece]) for i in range(0, max(len(samples) - piece + 1, 1), piece)), default=0.0)


def pitch(samples):
    """LOW or HIGH, whichever dominates; None when silent."""
    if rms(samples) < SILENT:
        return None
    return LOW if power(samples, LOW) > power(samples, HIGH) else HIGH


def heard(recording, begin, end):
    """The tone of each 100 ms from `begin` to `end` (monotonic clock)."""
    return [pitch(recording.window(begin + k / 10, 0.1)) for k in range(int((end - begin) * 10))]


def only(tones, expected):
    """Every sounding stretch has the expected tone, and a good share of them
    sound (allowing Wine's dropouts and its slower starts on a busy machine)."""
    sounding = [t for t in tones if t]
    return set(sounding) == {expected} and len(sounding) >= len(tones) / 3


# Sound follows the start of a track by a few hundred milliseconds, and by up
# to 1.5 s measured when other builds load the machine; the previous track's
# last sound may still be on its way when the next one opens.
SETTLE = 0.3

"""The music player's sound, recorded from the session's PulseAudio null sink
while a small Windows program (music_play_probe.exe, built beside the tier-2
tests) plays a music list through the real player code under Wine on a timed
script: the first track fades in over ten seconds, the list plays in order
with a text file named .mp3 skipped, Space-style pause and resume, and stop.

The probe stands in for the running saver's window, which forwards the fade
timer and the MCI notices to the player the same way.
"""

import os
import subprocess
import threading
import time
from pathlib import Path

import pytest

from harness import ENV, OUT, WINE
from loudness import HIGH, LOW, SETTLE, Recording, loudness, only, rms, tone
from loudness import heard as heard_in
from settings_files import windows_path

PROBE = Path(os.environ.get("BRINDORA_OUT", "/nonexistent")).parent / "tests/win32/music/music_play_probe.exe"


class Probe:
    """The probe program with its printed events, each stamped on arrival."""

    def __init__(self, folder, files, **script):
        args = [str(PROBE)]
        for step, ms in script.items():
            args += [f"--{step}", str(ms)]
        args += [windows_path(f) for f in files]
        self.log = open(folder / "probe.log", "wb")
        self.process = subprocess.Popen([WINE, *args], env=ENV, stdout=subprocess.PIPE, stderr=self.log,
                                        stdin=subprocess.DEVNULL)
        self.events = []  # (monotonic time, text)
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.process.stdout:
            _, _, text = line.decode("utf-8", "replace").strip().partition(" ")
            self.events.append((time.monotonic(), text))

    def wait(self, timeout):
        try:
            return self.process.wait(timeout=timeout)
        finally:
            if self.process.poll() is None:
                self.process.kill()
                self.process.wait(timeout=10)
            self.reader.join(timeout=10)
            self.log.close()

    def when(self, text, nth=0):
        matches = [t for t, e in self.events if e == text or e.startswith(text)]
        assert len(matches) > nth, f"probe never printed {text!r}: {[e for _, e in self.events]}"
        return matches[nth]


@pytest.fixture(scope="module")
def played(tmp_path_factory):
    """One run of the whole script, recorded; the tests below each read part of it.

    List (Random off): a 12 s tone of 440 Hz as WAV, a text file named .mp3,
    a 3 s tone of 880 Hz as MP3. Timeline from the start of the music: the
    first track with its fade (0-12 s), the second (12-15 s), the first again
    (the list wrapped), paused at 19 s, resumed at 20.5 s, stopped at 23 s.
    """
    assert PROBE.exists(), f"{PROBE} is not built"
    folder = tmp_path_factory.mktemp("music")
    first, notes, second = folder / "low.wav", folder / "notes.mp3", folder / "high.mp3"
    tone(first, 12, LOW)
    notes.write_text("These are notes, not music.\n")
    tone(second, 3, HIGH)

    recording = Recording()
    recording.wait_running()
    probe = Probe(folder, [first, notes, second], pause=19000, resume=20500, stop=23000)
    code = probe.wait(timeout=60)
    time.sleep(1.5)  # silence after the stop, recorded
    recording.stop()
    assert code == 0, (folder / "probe.log").read_text(errors="replace")
    assert recording.samples, "nothing was recorded from the null sink"

    recording.write_levels(OUT / "music-levels.txt", probe.when("start"))
    return probe, recording


def level_at(played, seconds, length=0.2):
    probe, recording = played
    return loudness(recording.window(probe.when("start") + seconds, length))


def heard(played, begin, end):
    return heard_in(played[1], begin, end)


def test_first_track_fades_in_over_ten_seconds_in_steps(played):
    probe, recording = played
    # Full volume: the first track again after the wrap, at the device's own level.
    wrapped = probe.when('mci 0 open "', 2)
    full = loudness(recording.window(wrapped, probe.when("step pause") - wrapped))
    assert full > 1000, f"the wrapped first track is not playing: level {full:.0f}"

    # Each 500 ms tick adds a twentieth of the full amplitude. Sample most of
    # each step, clear of the tick itself: on a busy host Wine's output drops
    # out for up to a quarter of a second, and the step's loudest moment is
    # its level. A window that caught the neighbouring step would still be
    # within 0.05 of the expected share; 0.08 allows that and no more.
    steps = [level_at(played, 0.5 * k + 0.12, 0.35) / full for k in range(1, 20)]
    for k, share in enumerate(steps, start=1):
        assert abs(share - k / 20) < 0.08, f"step {k}: {share:.2f} of full, expected {k / 20:.2f}: {steps}"
    rises = sum(1 for a, b in zip(steps, steps[1:]) if b - a > 0.02)
    assert rises >= 16, f"the level does not rise step by step: {steps}"
    # Silent until the first tick: a track that started at the device's own
    # volume would be at full loudness here.
    assert level_at(played, 0, 0.55) < 0.06 * full
    # Full after the last tick.
    assert level_at(played, 10.5, 1.0) > 0.93 * full

    volumes = [e for _, e in probe.events if e.startswith("mci 0 setaudio currentMusic volume to ")]
    assert [int(v.rsplit(" ", 1)[1]) for v in volumes] == [0] + list(range(50, 1001, 50))


def test_tracks_play_in_list_order_skipping_the_text_file_and_wrap(played):
    probe, recording = played
    start = probe.when("start")
    # The opens that succeeded: the high tone's after the low one's 12 s, then the low one's again.
    # The 12 s count from the first play, which a loaded host may start a second late.
    second, third = probe.when('mci 0 open "', 1), probe.when('mci 0 open "', 2)
    assert 11.5 < second - probe.when("mci 0 play currentMusic") < 13.5
    assert 2.5 < third - second < 4.5

    assert only(heard(played, start + 2, second), LOW)
    assert only(heard(played, second + SETTLE, third), HIGH)
    assert only(heard(played, third + SETTLE, probe.when("step pause")), LOW)

    # The text file was tried once between them, refused, and dropped: the
    # next round goes from the high tone straight back to the low one.
    opens = [e.split(" ", 2) for _, e in probe.events if e.startswith("mci ") and " open " in e]
    names = [Path(text.split('"')[1].replace("\\", "/")).name for _, _, text in opens]
    assert names[:4] == ["low.wav", "notes.mp3", "high.mp3", "low.wav"], names
    assert [result != "0" for _, result, _ in opens[:4]] == [False, True, False, False]
    assert "notes.mp3" not in names[4:]


def test_pause_silences_and_resume_brings_the_track_back(played):
    probe, recording = played
    pause, resume, stop = probe.when("step pause"), probe.when("step resume"), probe.when("step stop")
    assert rms(recording.window(pause + 0.5, resume - pause - 0.5)) == 0
    assert only(heard(played, resume + SETTLE, stop), LOW)


def test_stop_silences_within_half_a_second(played):
    probe, recording = played
    stop = probe.when("step stop")
    assert LOW in heard(played, stop - 1.0, stop)
    assert rms(recording.window(stop + 0.5, 1.0)) == 0

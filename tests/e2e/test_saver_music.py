"""What the real saver sounds like under Wine: BrindoraPro.scr /s with one
plain photo and a music list, recorded from the session's null sink. One run,
keyed by what is heard as it plays: the first track fades in over ten
seconds, the list plays in order past a text file named .mp3 and wraps,
Space pauses and resumes the music, and a key that ends the saver ends the
sound with it."""

import statistics
import time

import pytest

from harness import OUT, Saver, run_x, wait_until
from loudness import HIGH, LOW, RATE, SETTLE, SILENT, Recording, heard, loudness, only, pitch, tone
from settings_files import solid_png, windows_path, write_settings

STEP = 0.5  # seconds between fade ticks
STEPS = 20  # ticks to full volume


def sounding(recording, frequency, seconds=0.3):
    """Whether the last `seconds` recorded are the given tone."""
    return pitch(recording.tail(seconds)) == frequency


def press(key):
    """Sends a key to the focused saver window; the time it had been sent."""
    run_x("xdotool", "key", key)
    return time.monotonic()


class Show:
    """One recorded run of the saver and the moments of its key presses."""

    def __init__(self, recording, keys, code, log):
        self.recording, self.keys, self.code, self.log = recording, keys, code, log

    def first(self, frequency, after, before=None):
        """The start of the first 100 ms of the tone after `after`."""
        before = before or self.recording.end
        tones = heard(self.recording, after, before)
        assert frequency in tones, f"{frequency} Hz never sounded after {after - self.recording.start:.1f} s"
        return after + tones.index(frequency) / 10

    def level(self, at, length):
        # The loudest 20 ms: a busy machine chops Wine's output into short
        # stretches, and one whole stretch must fit in a piece.
        return loudness(self.recording.window(at, length), piece=RATE // 50)


@pytest.fixture(scope="module")
def show(tmp_path_factory):
    """List (Random off): a 12 s tone of 440 Hz as WAV, a text file named
    .mp3, a 3 s tone of 880 Hz as MP3. Space twice once the list has wrapped
    to the low tone again, then a key that ends the saver."""
    folder = tmp_path_factory.mktemp("saver-music")
    first, notes, second = folder / "low.wav", folder / "notes.mp3", folder / "high.mp3"
    tone(first, 12, LOW)
    notes.write_text("These are notes, not music.\n")
    tone(second, 3, HIGH)
    # A session that starts normally: one photo, no effects, fades or cross-fades.
    photo = solid_png(folder / "grey.png", (90, 90, 90), size=(64, 64))
    saver = Saver(folder / "program")
    write_settings(saver.ini, photos=[windows_path(photo)], music=[windows_path(p) for p in (first, notes, second)],
                   slide_time=5000)

    recording = Recording()
    recording.wait_running()
    run_x("xdotool", "mousemove", "640", "360")
    saver.start("/s")
    keys, code = {}, None
    try:
        # Keyed by what is heard, so a slow start anywhere shifts the presses with it.
        assert wait_until(lambda: sounding(recording, HIGH), timeout=25, step=0.05), "the second track never played"
        assert wait_until(lambda: sounding(recording, LOW), timeout=8, step=0.05), "the list did not wrap"
        time.sleep(2)
        keys["pause"] = press("space")
        time.sleep(1.5)
        keys["resume"] = press("space")
        time.sleep(2.5)
        keys["end"] = press("b")
        code = saver.wait(timeout=10)
        time.sleep(1.2)  # the silence after the end, recorded
    finally:
        saver.stop()
        recording.stop()
        recording.write_levels(OUT / "saver-music-levels.txt", recording.start)
    return Show(recording, keys, code, (saver.folder / "wine.log").read_text(errors="replace"))


def write_figures(show, full, origin, crossings):
    """The measured moments, kept beside the levels for people to read."""
    recording, keys = show.recording, show.keys
    heard_from = recording.first_sound(recording.start, crossings[1] + 1)
    lines = [f"full level {full:.0f}; first sound {heard_from - origin:+.3f} s from the start of the fade"]
    lines += [f"step {k:2} reached {t - origin:5.2f} s" for k, t in crossings.items()]
    for name, after in (("pause", keys["pause"]), ("end", keys["end"])):
        last = recording.last_sound(after - 1, after + 1)
        lines.append(f"last sound after {name}: {last - after:+.3f} s" if last else f"no sound near {name}")
    resumed = recording.first_sound(keys["resume"] - 0.5, keys["end"])
    lines.append(f"sound again after resume: {resumed - keys['resume']:+.3f} s" if resumed else "no sound after resume")
    (OUT / "saver-music-figures.txt").write_text("\n".join(lines) + "\n")


@pytest.fixture(scope="module")
def fade(show):
    """The fade-in of the first track as heard: its full level, the moment
    the fade began (one tick before the first step), and when the level
    reached each step."""
    recording, keys = show.recording, show.keys
    wrapped = show.first(LOW, show.first(HIGH, recording.start))
    full = show.level(wrapped + SETTLE, keys["pause"] - wrapped - SETTLE)
    assert full > 1000, f"the wrapped first track is not playing: level {full:.0f}"

    # Each tick adds a twentieth of full; find when the level first reaches
    # the middle of each step, and put the ticks where most of those agree
    # (the first steps may go unheard while Wine's output starts).
    begin, end = recording.start, show.first(HIGH, recording.start)
    levels = [(begin + i / 100, show.level(begin + i / 100, 0.08) / full) for i in range(int((end - begin) * 100))]
    crossings = {}
    for k in range(1, STEPS + 1):
        crossings[k] = next((t for t, share in levels if share >= (k - 0.5) / STEPS), None)
        assert crossings[k] is not None, f"the level never reached step {k}: {levels[-1][1]:.2f} of full at most"
    origin = statistics.median(crossings[k] - STEP * k for k in crossings)
    write_figures(show, full, origin, crossings)
    return full, origin, crossings


def test_first_track_rises_in_steps_over_ten_seconds(show, fade):
    full, origin, crossings = fade
    heard_from = show.first(LOW, show.recording.start)

    # Late in each step, clear of a tick that comes a little late; half a
    # step either way would be the neighbouring step's level. Steps before the
    # first sound, or lost whole in one of Wine's dropouts, go unmeasured.
    shares = {k: show.level(origin + STEP * (k + 0.5), 0.15) / full for k in range(1, STEPS)
              if origin + STEP * (k + 0.5) >= heard_from}
    shares = {k: share for k, share in shares.items() if share * full >= SILENT}
    assert len(shares) >= STEPS - 5, f"only steps {sorted(shares)} were heard"
    wrong = {k: round(share, 3) for k, share in shares.items() if abs(share - k / STEPS) > 0.5 / STEPS}
    # A tick held up on a busy machine, or a dropout, may spoil a step or two.
    assert len(wrong) <= 2, f"steps off their twentieth of full volume: {wrong}"
    # Steps, not a ramp: flat from early to late in each step, where a ramp
    # would climb half a step.
    climbs = [(show.level(origin + STEP * (k + 0.7), 0.1) - show.level(origin + STEP * (k + 0.15), 0.1)) / full
              for k in shares]
    assert statistics.median(climbs) < 0.2 / STEPS, f"the level climbs within its steps: {climbs}"

    # Silent or nearly so when first heard, and full ten seconds after the fade began.
    assert show.level(heard_from, 0.3) < 0.2 * full
    assert 4.7 < crossings[STEPS] - crossings[STEPS // 2] < 5.3
    assert show.level(origin + STEP * STEPS + 0.1, 1.0) > 0.95 * full


def test_tracks_play_in_list_order_past_the_text_file_and_wrap(show):
    recording, keys = show.recording, show.keys
    low = show.first(LOW, recording.start)
    high = show.first(HIGH, low)
    wrapped = show.first(LOW, high)
    # The whole 12 s low tone (its first half-second silent), then the 3 s
    # high one; Wine's output stalls now and then on a busy machine, and the
    # track plays on afterwards, so a track may take a little longer.
    assert 10.8 < high - low < 14.5, f"the high tone came {high - low:.1f} s after the low one"
    assert 2.5 < wrapped - high < 5.0, f"the low tone came back {wrapped - high:.1f} s after the high one"
    assert only(heard(recording, low, high), LOW)
    assert only(heard(recording, high + SETTLE, wrapped), HIGH)
    assert only(heard(recording, wrapped + SETTLE, keys["pause"]), LOW)
    # The text file between them was refused and passed over at once: the
    # high tone follows the low one within the time Wine takes to start a track.
    low_ended = recording.last_sound(low, high)
    assert high - low_ended < 2.0, f"{high - low_ended:.1f} s of silence where the text file was skipped"


def test_space_silences_the_music_and_space_again_brings_it_back(show, fade):
    recording, keys = show.recording, show.keys
    full = fade[0]
    pause, resume, end = keys["pause"], keys["resume"], keys["end"]
    assert LOW in heard(recording, pause - 1.0, pause)
    assert show.level(pause + 0.5, resume - pause - 0.5) < SILENT
    assert only(heard(recording, resume + SETTLE, end), LOW)
    # The same track carries on at full volume, not faded in again.
    assert show.level(resume + SETTLE, end - resume - SETTLE) > 0.9 * full


def test_ending_the_saver_stops_the_sound_within_half_a_second(show):
    recording, end = show.recording, show.keys["end"]
    assert show.code == 0, show.log
    assert LOW in heard(recording, end - 1.0, end)
    assert show.level(end + 0.5, recording.end - end - 0.5) < SILENT
    assert recording.end - end > 1.0, "too little recorded after the end to tell"

"""Two monitors side by side: Xephyr with a 1024x768 and an 800x600 head
(+xinerama) nested in the session's Xvfb, with a Wine prefix of its own (Wine
takes its monitor layout from the first display a prefix's server sees).
Xephyr's RandR is off: with it, Wine asks RandR, which reports one output,
and never looks at Xinerama's two heads. Each monitor runs its own show:
both show photos of the list within a second of each other, different ones,
each changes photo as its slides end, Space pauses both, and input on either
monitor ends the saver."""

import os
import subprocess
import time
from pathlib import Path

import pytest

from harness import ENV, WINE, colour_at, figure, screenshot, wait_until
from settings_files import solid_png, windows_path, write_settings

ROOT = Path(__file__).resolve().parents[2]
PHOTOS = [(230, 30, 160), (40, 200, 60), (30, 90, 230), (240, 200, 20)]
GREY = (0x80, 0x80, 0x80)
FIRST, SECOND = (512, 384), (1024 + 400, 300)  # the centres of the two heads


@pytest.fixture(scope="module")
def dual_head(tmp_path_factory):
    folder = tmp_path_factory.mktemp("xephyr")
    display_file = folder / "display"
    with open(display_file, "w") as out:
        # Xephyr writes the display number it found free once it is ready.
        xephyr = subprocess.Popen(["Xephyr", "+xinerama", "-extension", "RANDR", "-noreset", "-ac", "-nolisten", "tcp",
                                   "-displayfd", str(out.fileno()),
                                   "-screen", "1024x768+0+0", "-screen", "800x600+1024+0"],
                                  env=ENV, pass_fds=(out.fileno(),), stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
    number = wait_until(lambda: display_file.read_text().strip(), timeout=20)
    assert number.isdigit(), "Xephyr did not start"
    env = dict(ENV, DISPLAY=f":{number}", WINEPREFIX=str(Path(os.environ["BRINDORA_OUT"]).parent / "dual-wineprefix"))
    subprocess.run([str(ROOT / "scripts" / "wine-prefix.sh"), env["WINEPREFIX"]], env=env, check=True, timeout=300)
    subprocess.run([WINE, "--server", "-p"], env=env, check=True, timeout=30)
    subprocess.run(["xsetroot", "-solid", "#808080"], env=env, check=True, timeout=10)
    yield env
    subprocess.run([WINE, "--server", "-k"], env=env, timeout=30)
    subprocess.run([WINE, "--server", "-w"], env=env, timeout=30)
    xephyr.terminate()
    xephyr.wait(timeout=10)


def photo_at(point, env):
    """Which photo of the list a head shows at its centre, or None."""
    pixel = colour_at(point, env)
    return next((i for i, rgb in enumerate(PHOTOS) if all(abs(a - b) <= 8 for a, b in zip(pixel, rgb))), None)


def start_show(saver, env, slide_time):
    photos = [windows_path(solid_png(saver.folder / f"photo{i}.png", rgb)) for i, rgb in enumerate(PHOTOS)]
    write_settings(saver.ini, photos=photos, slide_time=slide_time)
    saver.start("/s", env=env)


def test_each_monitor_runs_its_own_show(saver, dual_head):
    start_show(saver, dual_head, slide_time=3000)
    started = time.monotonic()
    seen = {FIRST: [], SECOND: []}  # (time, photo) whenever a head's photo changes
    different = None
    end = None
    while end is None or time.monotonic() < end:
        # One pixel a head: whole screens ten times a second would take the
        # CPU from the saver being watched.
        shown = {head: photo_at(head, dual_head) for head in seen}
        now = time.monotonic()
        for head, changes in seen.items():
            if shown[head] is not None and (not changes or changes[-1][1] != shown[head]):
                changes.append((now, shown[head]))
        if different is None and None not in shown.values() and shown[FIRST] != shown[SECOND]:
            different = screenshot("figures/two-monitors", env=dual_head)
        if end is None and seen[FIRST] and seen[SECOND]:
            end = now + 8.5  # a staggered first slide and two more on each head
        assert end is not None or now < started + 30, "a head never showed a photo"
        time.sleep(0.1)
    apart = abs(seen[FIRST][0][0] - seen[SECOND][0][0])
    figure("monitors-first-photos-apart", f"{apart:.2f} s between the two heads' first photos")
    assert apart <= 1.0, f"the heads' first photos came {apart:.2f} s apart"
    assert different is not None, "the two heads never showed two different photos"
    assert (different.width, different.height) == (1824, 768)
    for head, changes in seen.items():
        assert len(changes) >= 3, f"the head at {head} showed {[p for _, p in changes]} in 8.5 s of 3 s slides"
    # Space pauses both heads for longer than a slide, and the show goes on.
    subprocess.run(["xdotool", "key", "space"], env=dual_head, check=True, timeout=10)
    time.sleep(0.5)
    paused = [photo_at(head, dual_head) for head in seen]
    time.sleep(4)
    assert [photo_at(head, dual_head) for head in seen] == paused != [None, None]
    subprocess.run(["xdotool", "key", "space"], env=dual_head, check=True, timeout=10)
    subprocess.run(["xdotool", "key", "a"], env=dual_head, check=True, timeout=10)
    assert saver.wait(timeout=10) == 0
    assert colour_at(SECOND, dual_head) == GREY


def test_mouse_on_the_second_monitor_ends_the_saver(saver, dual_head):
    start_show(saver, dual_head, slide_time=5000)
    assert wait_until(lambda: photo_at(SECOND, dual_head) is not None, timeout=15), \
        "no photo on the second monitor"
    subprocess.run(["xdotool", "mousemove", "1400", "300"], env=dual_head, check=True, timeout=10)
    time.sleep(0.5)
    subprocess.run(["xdotool", "mousemove", "1500", "400"], env=dual_head, check=True, timeout=10)
    assert saver.wait(timeout=10) == 0

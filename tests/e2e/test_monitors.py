"""Two monitors side by side: Xephyr with two 800x600 heads (+xinerama) nested
in the session's Xvfb, with a Wine prefix of its own (Wine takes its monitor
layout from the first display a prefix's server sees). Xephyr's RandR is off:
with it, Wine asks RandR, which reports one 800x600 output, and never looks at
Xinerama's two heads. The photos show on the
primary monitor, the other one is black for the whole show, never the
desktop, and input on either monitor ends the saver."""

import os
import subprocess
import time
from pathlib import Path

import pytest

from harness import ENV, OUT, WINE, screenshot, wait_until
from settings_files import solid_png, windows_path, write_settings

ROOT = Path(__file__).resolve().parents[2]
PHOTO = (230, 30, 160)
GREY = (0x80, 0x80, 0x80)


@pytest.fixture(scope="module")
def dual_head(tmp_path_factory):
    folder = tmp_path_factory.mktemp("xephyr")
    display_file = folder / "display"
    with open(display_file, "w") as out:
        # Xephyr writes the display number it found free once it is ready.
        xephyr = subprocess.Popen(["Xephyr", "+xinerama", "-extension", "RANDR", "-noreset", "-ac", "-nolisten", "tcp",
                                   "-displayfd", str(out.fileno()),
                                   "-screen", "800x600+0+0", "-screen", "800x600+800+0"],
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


def start_show(saver, env):
    write_settings(saver.ini, photos=[windows_path(solid_png(saver.folder / "photo.png", PHOTO))])
    saver.start("/s", env=env)
    near = lambda a, b: all(abs(x - y) <= 8 for x, y in zip(a, b))  # noqa: E731
    shot = wait_until(lambda: (s := screenshot(env=env)) and near(s.pixel(400, 300), PHOTO) and s, timeout=15)
    assert shot, "no photo on the primary monitor"
    return shot


def test_second_monitor_is_black_while_the_first_shows_the_photos(saver, dual_head):
    shot = start_show(saver, dual_head)
    assert (shot.width, shot.height) == (1600, 600)
    time.sleep(1)
    shot = screenshot("two-monitors", env=dual_head)
    for x, y in [(800, 0), (1200, 300), (1599, 0), (1599, 599), (800, 599)]:
        assert shot.pixel(x, y) == (0, 0, 0), f"the second monitor shows {shot.pixel(x, y)} at {x},{y}"
    subprocess.run(["xdotool", "key", "a"], env=dual_head, check=True, timeout=10)
    assert saver.wait(timeout=10) == 0
    assert screenshot(env=dual_head).pixel(1200, 300) == GREY


def test_mouse_on_the_second_monitor_ends_the_saver(saver, dual_head):
    start_show(saver, dual_head)
    subprocess.run(["xdotool", "mousemove", "1200", "300"], env=dual_head, check=True, timeout=10)
    time.sleep(0.5)
    subprocess.run(["xdotool", "mousemove", "1300", "400"], env=dual_head, check=True, timeout=10)
    assert saver.wait(timeout=10) == 0

"""The shipped .scr starts under Wine full screen, and its exit codes reach us."""

import subprocess
from pathlib import Path

from harness import SCR, WINE, centre_colour, run_x, screenshot, set_root_colour, wait_until


def test_full_screen_window_covers_the_screen_and_a_key_ends_it(saver):
    grey = (0x80, 0x80, 0x80)
    set_root_colour("#808080")
    assert centre_colour() == grey

    saver.start("/s")
    window = saver.window()
    assert window, "no visible 'Screen Saver' window appeared"
    geometry = run_x("xdotool", "getwindowgeometry", window).stdout
    assert "Geometry: 1280x720" in geometry

    # The black window now hides the grey screen everywhere, corners included.
    assert wait_until(lambda: centre_colour() == (0, 0, 0), timeout=5), "the screen did not turn black"
    shot = screenshot("saver-started")
    for x, y in [(0, 0), (1279, 0), (0, 719), (1279, 719)]:
        assert shot.pixel(x, y) == (0, 0, 0)

    run_x("xdotool", "key", "a")
    assert saver.wait(timeout=10) == 0
    assert centre_colour() == grey


def test_unknown_option_exits_with_minus_one(saver):
    # ExitProcess(-1) reaches a Linux parent as 255.
    assert saver.run("/x") == 255
    assert not saver.ini.exists()


def test_without_32bit_support_the_64bit_saver_runs_and_the_32bit_one_is_skipped(saver):
    """The launcher's no-32-bit path, forced on this host: a 64-bit saver starts
    on the 64-bit loader (the window's process runs Wine's 64-bit preloader),
    a 32-bit one is refused with CTest's skip code, never started."""
    arch = subprocess.run([WINE, "--arch", str(SCR)], capture_output=True, text=True).stdout.strip()
    forced = {"BRINDORA_NO_32BIT": "1"}
    if arch == "x86":
        assert saver.run("/s", env=forced) == 77
        assert "skipped:" in (saver.folder / "wine.log").read_text()
        return
    saver.start("/s", env=forced)
    assert saver.window(), "the 64-bit saver did not start on the 64-bit loader"
    loader = Path(f"/proc/{saver.process.pid}/exe").resolve().name
    assert loader.startswith("wine64"), loader
    run_x("xdotool", "key", "a")
    assert saver.wait(timeout=10) == 0

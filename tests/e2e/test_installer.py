"""The release installer of this configuration's architecture (the 32-bit
stub in the x86 build, the 64-bit one in the x64 build) as a Windows user
meets it, in a fresh Wine prefix: a silent install sets the saver up (file,
screen-saver values, uninstall entry), the saver runs from the path Windows
would take, a second install keeps the user's settings, and the uninstaller
puts back the screen saver that was there before, or none."""

import os
import time
from pathlib import Path

import pytest

from harness import centre_colour, run_x, screenshot, set_root_colour, wait_until
from settings_files import solid_png, windows_path, write_settings
from wine_prefix import Prefix, pe_machine

DESKTOP = r"HKCU\Control Panel\Desktop"
UNINSTALL = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\BrindoraPro"
PREVIOUS = r"C:\windows\system32\previous.scr"
PHOTO = (40, 170, 90)
SETUP = Path(os.environ["BRINDORA_SETUP"])


@pytest.fixture
def installer(tmp_path):
    """(setup program, a fresh prefix)."""
    # Its architecture is the saver's: where that cannot run, the whole
    # file is skipped before this.
    if not SETUP.is_file():
        pytest.skip(f"{SETUP} is not there: ./saver test and ./saver package make it once both savers are built")
    prefix = Prefix(tmp_path / "prefix")
    yield SETUP, prefix
    prefix.stop()


def install(prefix, setup):
    done = prefix.run(setup, "/S")
    assert done.returncode == 0, f"{setup.name} /S failed: {done.stdout}"


def uninstall(prefix, folder):
    assert prefix.run(folder / "uninstall.exe", "/S").returncode == 0
    # The uninstaller runs on from a copy of itself in the temporary folder.
    assert wait_until(lambda: not folder.exists(), timeout=30), f"{folder} is still there"


def run_saver(prefix, scr, *args, tmp_path, name):
    log = open(tmp_path / f"{name}.log", "wb")
    return prefix.start(scr, *args, log=log)


def visible_window(title, timeout):
    """The X id of the visible window whose whole title matches the pattern."""
    def find():
        ids = run_x("xdotool", "search", "--onlyvisible", "--name", f"^{title}$", check=False).stdout.split()
        return ids[0] if ids else None
    return wait_until(find, timeout)


def test_install_run_reinstall_uninstall(installer, tmp_path):
    setup, prefix = installer
    program = prefix.expand(r"%LOCALAPPDATA%\Programs\Brindora Pro")
    folder = prefix.unix_path(program)
    prefix.reg_set(DESKTOP, "SCRNSAVE.EXE", PREVIOUS)
    prefix.reg_set(DESKTOP, "ScreenSaveActive", "0")

    install(prefix, setup)
    scr = folder / "BrindoraPro.scr"
    assert scr.is_file()
    expected = 0x8664 if prefix.is_64bit else 0x14C
    assert pe_machine(scr) == expected, "the saver does not match the Windows it was installed on"

    desktop = prefix.reg_values(DESKTOP)
    assert desktop["ScreenSaveActive"][1] == "1"
    named = desktop["SCRNSAVE.EXE"][1]
    assert named != PREVIOUS
    assert "~" in named or " " not in named, f"not a short path: {named}"
    assert prefix.unix_path(named).resolve() == scr.resolve(), "SCRNSAVE.EXE names another file"

    entry = prefix.reg_values(UNINSTALL)
    assert entry["DisplayName"][1] == "Brindora Pro"
    assert entry["DisplayVersion"][1] == "1.1"
    assert entry["Publisher"][1]
    assert entry["DisplayIcon"][1].lower() == rf"{program}\BrindoraPro.scr,0".lower()
    assert prefix.unix_path(entry["UninstallString"][1].strip('"')) == folder / "uninstall.exe"

    # The saver started the way Windows starts it: the program SCRNSAVE.EXE names.
    saver = prefix.unix_path(named)
    photo = solid_png(tmp_path / "photo.png", PHOTO)
    write_settings(folder / "Brindora-Pro.ini", photos=[windows_path(photo)])
    set_root_colour("#808080")
    run_x("xdotool", "mousemove", "640", "360")
    shown = run_saver(prefix, saver, "/s", tmp_path=tmp_path, name="show")
    try:
        assert wait_until(lambda: centre_colour() == PHOTO, timeout=30), "the photo did not show"
        screenshot(f"installed-saver-{setup.stem}")
        run_x("xdotool", "key", "a")
        assert shown.wait(timeout=15) == 0
    finally:
        shown.kill()

    dialog = run_saver(prefix, saver, "/c", tmp_path=tmp_path, name="dialog")
    try:
        window = visible_window("Brindora Pro", timeout=30)
        assert window, "/c showed no settings dialog"
        run_x("xdotool", "windowfocus", window)
        run_x("xdotool", "key", "Escape")
        assert dialog.wait(timeout=15) == 2, "Escape is Cancel: the dialog's result is 2"
    finally:
        dialog.kill()

    # An upgrade keeps the user's settings byte for byte.
    write_settings(folder / "Brindora-Pro.ini", photos=[windows_path(photo)], slide_time=9000, esc_only=True)
    chosen = (folder / "Brindora-Pro.ini").read_bytes()
    install(prefix, setup)
    assert (folder / "Brindora-Pro.ini").read_bytes() == chosen
    assert prefix.reg_values(DESKTOP)["SCRNSAVE.EXE"][1] == named

    uninstall(prefix, folder)
    desktop = prefix.reg_values(DESKTOP)
    assert desktop["SCRNSAVE.EXE"][1] == PREVIOUS, "the previous screen saver was not put back"
    assert desktop["ScreenSaveActive"][1] == "0"
    assert prefix.reg_values(UNINSTALL) == {}

    # With no screen saver before, none is left after.
    prefix.reg_delete(DESKTOP, "SCRNSAVE.EXE")
    install(prefix, setup)
    assert "SCRNSAVE.EXE" in prefix.reg_values(DESKTOP)
    uninstall(prefix, folder)
    assert "SCRNSAVE.EXE" not in prefix.reg_values(DESKTOP)


def test_interactive_install_ends_offering_the_settings(installer, tmp_path):
    setup, prefix = installer
    folder = prefix.unix_path(prefix.expand(r"%LOCALAPPDATA%\Programs\Brindora Pro"))
    with open(tmp_path / "setup.log", "wb") as log:
        running = prefix.start(setup, log=log)
        try:
            # NSIS ends its caption with a blank.
            window = visible_window("Brindora Pro Setup ?", timeout=30)
            assert window, "the installer showed no window"
            assert wait_until(lambda: (folder / "uninstall.exe").is_file(), timeout=30), "nothing was installed"
            # The last page comes once the files are in; its default button is
            # Finish, with the offer to open the settings ticked.
            time.sleep(2)
            screenshot(f"finish-page-{setup.stem}")
            run_x("xdotool", "windowfocus", window)
            run_x("xdotool", "key", "Return")
            assert running.wait(timeout=15) == 0
            dialog = visible_window("Brindora Pro", timeout=30)
            assert dialog, "Finish did not open the saver's settings"
            run_x("xdotool", "windowfocus", dialog)
            run_x("xdotool", "key", "Escape")
            assert wait_until(lambda: not visible_window("Brindora Pro", timeout=0), timeout=15)
        finally:
            running.kill()

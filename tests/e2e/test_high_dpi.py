"""The saver on a high-DPI screen. Its manifest declares per-monitor DPI
awareness. At 96 DPI and at 192 DPI (a 4K monitor at 200 %) the settings
dialog grows with the DPI, every control lies inside it, none overlaps another
and no label loses the room its text needs; the full-screen show covers the
screen's real pixels. A screenshot of the dialog at each DPI is kept for
people to look at. Wine takes the DPI from HKCU\Control Panel\Desktop
LogPixels when a program starts."""

import os
import shutil
import subprocess
import time
from itertools import combinations

import pytest

from harness import OUT, SCR, private_display, wait_until
from settings_files import solid_png, windows_path, write_settings
from wine_prefix import Prefix

# A screen the dialog fits on at 192 DPI; the session's screen is too small.
SCREEN = (3840, 2160)
DESKTOP = r"HKCU\Control Panel\Desktop"
PROBE = os.environ["BRINDORA_LAYOUT_PROBE"]
MANIFEST_PROBE = os.environ["BRINDORA_MANIFEST_DPI_PROBE"]
TITLE = "Brindora Pro"
# The dialog template's font.
FONT = ("Microsoft Sans Serif", "8")
GROUPBOX, CHECKBOXES, ICON = 7, (2, 3, 5, 6), 3


@pytest.fixture(scope="module")
def display():
    """A private Xvfb the size of a 4K monitor."""
    with private_display(*SCREEN) as name:
        yield name


@pytest.fixture(scope="module")
def prefix(tmp_path_factory, display):
    made = Prefix(tmp_path_factory.mktemp("dpi") / "prefix", display=display)
    yield made
    made.stop()


def x(prefix, *args, check=True):
    return subprocess.run(list(args), env=prefix.env, check=check, timeout=60, capture_output=True, text=True)


def visible_window(prefix, title):
    def find():
        ids = x(prefix, "xdotool", "search", "--onlyvisible", "--name", f"^{title}$", check=False).stdout.split()
        return ids[0] if ids else None
    return wait_until(find, timeout=30)


def read_layout(prefix, title=TITLE):
    """A window's DPI, client box and frame, and its controls as dicts."""
    found = prefix.run(PROBE, title, *FONT)
    assert found.returncode == 0, f"the probe did not find '{title}': {found.stdout}"
    window, controls = None, []
    for line in found.stdout.splitlines():
        head, _, rest = line.partition(" ")
        fields = dict(part.split("=", 1) for part in rest.split(" text=")[0].split())
        if head == "window":
            window = {"dpi": int(fields["dpi"]), "client": box(fields["client"]), "frame": box(fields["frame"])}
        elif head == "control":
            controls.append({"id": int(fields["id"]), "class": fields["class"].lower(),
                             "style": int(fields["style"], 16), "rect": box(fields["rect"]),
                             "text_width": int(fields["text_width"]), "text": rest.split(" text=", 1)[1]})
    return window, controls


def box(text):
    return tuple(int(v) for v in text.split(","))


def inside(inner, outer):
    return outer[0] <= inner[0] and outer[1] <= inner[1] and inner[2] <= outer[2] and inner[3] <= outer[3]


def overlap(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def name(control):
    return f"{control['class']} {control['id']} '{control['text']}'"


def check_layout(window, controls, dpi):
    scale = dpi / 96
    left, top, right, bottom = window["frame"]
    assert 0 <= left and 0 <= top and right <= SCREEN[0] and bottom <= SCREEN[1], "the dialog leaves the screen"
    assert len(controls) > 40, "the dialog's controls were not found"
    groups = [c for c in controls if c["class"] == "button" and c["style"] & 0xF == GROUPBOX]
    others = [c for c in controls if c not in groups]
    for control in controls:
        assert inside(control["rect"], window["client"]), f"{name(control)} is cut off by the dialog's edge"
    for a, b in combinations(others, 2):
        if {a["class"], b["class"]} == {"msctls_updown32", "edit"}:
            # An up-down aligned to its buddy shares the buddy's border.
            shared = min(a["rect"][2], b["rect"][2]) - max(a["rect"][0], b["rect"][0])
            assert shared <= 2 * scale, f"{name(a)} covers {name(b)} by {shared} pixels"
            continue
        assert not overlap(a["rect"], b["rect"]), f"{name(a)} overlaps {name(b)}"
    for control in others:
        for group in groups:
            assert inside(control["rect"], group["rect"]) or not overlap(control["rect"], group["rect"]), \
                f"{name(control)} straddles the frame of {name(group)}"


def label_slack(controls, dpi):
    """{label: room its box leaves beside its text, in 96-DPI pixels}."""
    scale = dpi / 96
    slack = {}
    for control in controls:
        kind, style = control["class"], control["style"]
        if not control["text"] or kind not in ("static", "button") or (kind == "button" and style & 0xF == GROUPBOX):
            continue
        if kind == "static" and style & 0x1F == ICON:
            continue
        room = control["rect"][2] - control["rect"][0]
        if kind == "button" and style & 0xF in CHECKBOXES:
            room -= round(16 * scale)  # the box and the gap before the text
        slack[name(control)] = (room - control["text_width"]) / scale
    return slack


def test_manifest_declares_per_monitor_awareness(prefix):
    # Wine 8 scales no unaware program, so what Windows would do is read from
    # the manifest the way its loader reads it.
    found = prefix.run(MANIFEST_PROBE, windows_path(SCR))
    assert found.returncode == 0, found.stdout
    settings = dict(line.split("=", 1) for line in found.stdout.split())
    assert settings["dpiAware"].lower() == "true/pm"
    assert settings["dpiAwareness"].split(",")[0].strip().lower() == "permonitorv2"


def test_dialog_and_show_at_96_and_192_dpi(prefix, tmp_path):
    program = tmp_path / "program"
    program.mkdir()
    scr = program / "BrindoraPro.scr"
    shutil.copy2(SCR, scr)
    write_settings(program / "Brindora-Pro.ini", photos=[windows_path(solid_png(tmp_path / "photo.png", (200, 120, 40)))])
    OUT.mkdir(parents=True, exist_ok=True)

    layouts = {}
    for dpi in (96, 192):
        # Programs read the DPI when they start; restart the prefix so none
        # keeps the old value.
        prefix.reg_set(DESKTOP, "LogPixels", dpi, "REG_DWORD")
        prefix.stop()

        with open(tmp_path / f"dialog-{dpi}.log", "wb") as log:
            dialog = prefix.start(scr, "/c", log=log)
            try:
                xid = visible_window(prefix, TITLE)
                assert xid, f"no settings dialog at {dpi} DPI"
                # A mapped window is black until it paints.
                time.sleep(2)
                window, controls = read_layout(prefix)
                left, top, right, bottom = window["frame"]
                x(prefix, "import", "-window", "root", "-depth", "8", "-crop",
                  f"{right - left}x{bottom - top}+{left}+{top}", str(OUT / f"dialog-{dpi}dpi.png"))
                assert window["dpi"] == dpi, f"the dialog runs at {window['dpi']} DPI, not {dpi}"
                check_layout(window, controls, dpi)
                layouts[dpi] = window, controls
                x(prefix, "xdotool", "windowfocus", xid)
                x(prefix, "xdotool", "key", "Escape")
                assert dialog.wait(timeout=15) == 2
            finally:
                dialog.kill()

        with open(tmp_path / f"show-{dpi}.log", "wb") as log:
            show = prefix.start(scr, "/s", log=log)
            try:
                xid = visible_window(prefix, "Screen Saver")
                assert xid, f"no full-screen window at {dpi} DPI"
                geometry = x(prefix, "xdotool", "getwindowgeometry", xid).stdout
                assert "Geometry: {}x{}".format(*SCREEN) in geometry, f"at {dpi} DPI the show is not the screen: {geometry}"
                window, _ = read_layout(prefix, "Screen Saver")
                assert window["frame"] == (0, 0, *SCREEN), f"the show sees a screen of another size: {window}"
                x(prefix, "xdotool", "key", "a")
                assert show.wait(timeout=15) == 0
            finally:
                show.kill()

    sizes = {dpi: (w["client"][2] - w["client"][0], w["client"][3] - w["client"][1]) for dpi, (w, _) in layouts.items()}
    for axis in (0, 1):
        ratio = sizes[192][axis] / sizes[96][axis]
        assert 1.8 <= ratio <= 2.2, f"the dialog did not grow with the DPI: {sizes}"
    # Every label has room for its whole text at both sizes, give or take a
    # pixel of rounding: measured in the dialog's own font, which Wine's fonts
    # provide as Windows does.
    for dpi in (96, 192):
        clipped = {label: round(slack, 1) for label, slack in label_slack(layouts[dpi][1], dpi).items() if slack < -1}
        assert not clipped, f"labels cut short at {dpi} DPI (96-DPI pixels missing): {clipped}"

"""The configuration dialog as a user meets it: opened by /c and by an empty
command line, looked at (a screenshot is kept for people), walked through
with Tab, closed by Escape without saving and by Enter with saving, and its
links underlined under the pointer without anything being opened."""

from harness import run_x, screenshot, wait_until

TITLE = "Brindora Pro"
# Every control the user can reach with Tab: 2 lists, 12 list buttons, 12
# check boxes, the seconds field, 2 links, OK and Cancel.
TAB_STOPS = 31
AWAY = (1275, 715)  # a corner the dialog never covers


def open_dialog(saver, *args):
    """Starts the saver and waits until its dialog is drawn; gives the dialog's box."""
    saver.start(*args)
    # The first program of a fresh Wine session can take a while to start.
    window = saver.window(title=TITLE, timeout=30)
    assert window, f"no visible '{TITLE}' window for {args or 'an empty command line'}"
    run_x("xdotool", "mousemove", *map(str, AWAY))
    # Without a window manager nothing gives the new window the keyboard.
    run_x("xdotool", "windowfocus", window)
    box = geometry(window)
    assert box[2] > 300 and box[3] > 300, f"dialog too small: {box}"
    # A mapped window is black until it paints; the links are among the last.
    assert wait_until(lambda: len(link_boxes(screenshot(), box)) == 2, timeout=10), "the dialog was not drawn"
    return box


def geometry(window):
    """(x, y, width, height) of an X window."""
    found = run_x("xdotool", "getwindowgeometry", "--shell", window).stdout
    values = dict(line.split("=", 1) for line in found.split())
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def region(shot, box):
    x, y, width, height = box
    rows = []
    for row in range(max(y, 0), min(y + height, shot.height)):
        start = (row * shot.width + max(x, 0)) * 3
        rows.append(bytes(shot.rgb[start : start + width * 3]))
    return b"".join(rows)


def settled_region(box, name=None, unlike=None):
    """The dialog's pixels once they differ from `unlike` (when given) and two
    screenshots in a row agree."""
    if unlike is not None:
        wait_until(lambda: region(screenshot(), box) != unlike, timeout=5)
    previous = None
    for _ in range(20):
        current = region(screenshot(name), box)
        if current == previous:
            return current
        previous = current
    return previous


def is_link_blue(pixel):
    """Blue text, smoothed or not: full blue with equal red and green, unlike
    the sky blues of the icon."""
    red, green, blue = pixel
    return blue >= 200 and red <= 130 and abs(red - green) <= 8


def link_boxes(shot, box):
    """Bounding boxes of the blue link texts, top to bottom."""
    x0, y0, width, height = box
    rows = {}
    for y in range(y0, min(y0 + height, shot.height)):
        xs = [x for x in range(x0, min(x0 + width, shot.width)) if is_link_blue(shot.pixel(x, y))]
        if xs:
            rows[y] = (min(xs), max(xs))
    boxes, current = [], None
    for y in sorted(rows):
        left, right = rows[y]
        if current and y == current[3] + 1:
            current[:] = [min(current[0], left), current[1], max(current[2], right), y]
        else:
            current = [left, y, right, y]
            boxes.append(current)
    return [tuple(b) for b in boxes]


def blue_count(shot, left, top, right, bottom):
    return sum(is_link_blue(shot.pixel(x, y)) for y in range(top, bottom + 1) for x in range(left, right + 1))


def test_slash_c_shows_the_dialog_and_escape_closes_it_without_saving(saver):
    stored = "\ufeff[Time]\r\nSlideTime=9000\r\n".encode("utf-16-le")
    saver.ini.write_bytes(stored)
    open_dialog(saver, "/c")
    run_x("xdotool", "key", "Escape")
    assert saver.wait(timeout=10) == 2, "Escape is Cancel: the dialog's result is 2"
    assert saver.ini.read_bytes() == stored


def test_empty_command_line_opens_it_and_enter_saves(saver):
    box = open_dialog(saver)
    settled_region(box, "config-dialog")  # the defaults, for people to look at
    assert not saver.ini.exists()
    run_x("xdotool", "key", "Return")
    assert saver.wait(timeout=10) == 1, "Enter is OK: the dialog's result is 1"
    text = saver.ini.read_bytes()
    assert text.startswith(b"\xff\xfe")
    assert "[Time]\r\nSlideTime=5000\r\n" in text.decode("utf-16-le")


def test_c_with_a_handle_that_is_no_window_still_opens_it(saver):
    open_dialog(saver, "/c:99999999")
    run_x("xdotool", "key", "Escape")
    assert saver.wait(timeout=10) == 2


def test_tab_visits_every_control_and_comes_back(saver):
    box = open_dialog(saver, "/c")
    # The first Tab shows the keyboard cues; from there the focus must move
    # visibly on every press and be back where it was after a full round.
    run_x("xdotool", "key", "Tab")
    start = settled_region(box)
    previous = start
    for press in range(1, TAB_STOPS + 1):
        run_x("xdotool", "key", "Tab")
        current = settled_region(box, unlike=previous)
        assert current != previous, f"Tab {press} did not move the focus to another control"
        if press < TAB_STOPS:
            assert current != start, f"the focus came back after only {press} presses"
        previous = current
    assert previous == start, f"{TAB_STOPS} presses of Tab did not go once round"
    run_x("xdotool", "key", "Escape")
    assert saver.wait(timeout=10) == 2


def test_links_underline_under_the_pointer_and_nothing_opens(saver):
    box = open_dialog(saver, "/c")
    settled_region(box)
    links = link_boxes(screenshot(), box)
    assert len(links) == 2, f"expected the two links, found {links}"
    for left, top, right, bottom in links:
        # The underline lies at or just below the lowest row of the text.
        area = (left - 1, top, right + 1, bottom + 3)
        plain = blue_count(screenshot(), *area)
        run_x("xdotool", "mousemove", str((left + right) // 2), str((top + bottom) // 2))
        hovered = wait_until(lambda: (n := blue_count(screenshot(), *area)) > plain and n, timeout=5)
        assert hovered, "the link did not underline under the pointer"
        assert hovered - plain >= (right - left) // 2, "the added blue is not a line under the text"
        # Wine does not grab the X pointer for a mouse capture, so the link
        # only hears of the pointer leaving while it is still over the dialog.
        run_x("xdotool", "mousemove", str(right + 40), str((top + bottom) // 2))
        assert wait_until(lambda: blue_count(screenshot(), *area) == plain, timeout=5), "the underline stayed"
        run_x("xdotool", "mousemove", *map(str, AWAY))
    assert saver.process.poll() is None, "hovering ended the dialog"
    run_x("xdotool", "key", "Escape")
    assert saver.wait(timeout=10) == 2

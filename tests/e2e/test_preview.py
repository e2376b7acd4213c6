"""The preview the display settings show: the saver runs as a child of a
window of another process, which can check its class, title and size but not
its pixels (Wine shows nothing one process draws into another's window)."""

import os
import subprocess

from harness import ENV, WINE


def test_preview_fills_its_parent_ignores_input_and_ends_with_it(saver):
    host = os.environ["BRINDORA_PREVIEW_HOST"]
    result = subprocess.run([WINE, host, "Z:" + str(saver.path).replace("/", "\\")], env=ENV, timeout=60,
                            capture_output=True, text=True)
    report = dict(line.split("=", 1) for line in result.stdout.split() if "=" in line)
    assert "no-preview" not in result.stdout, result.stdout
    assert report["title"] == "Preview"
    assert report["child"] == "1"
    assert report["visible"] == "1"
    assert report["size"] == report["parent-size"]
    assert report["alive-after-input"] == "1"
    assert report["exit"] == "0"

"""A Wine prefix of one test's own, for tests that change what a whole prefix
sees (installers writing the user's registry, the screen's DPI). It shares the
session's display and sound but has its own wineserver, stopped at the end."""

import re
import subprocess
from pathlib import Path

from harness import ENV, WINE

ROOT = Path(__file__).resolve().parents[2]


def launcher(*args):
    """The command line that runs a Windows program (or `--server ...`,
    `--can-run ...`) through the project's Wine launcher."""
    return [WINE, *args]


class Prefix:
    def __init__(self, path, display=None):
        self.path = Path(path)
        self.env = dict(ENV, WINEPREFIX=str(self.path))
        if display:
            self.env["DISPLAY"] = display
        subprocess.run([ROOT / "scripts" / "wine-prefix.sh", self.path], env=self.env, check=True, timeout=300,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Wine's services inherit the output of whoever starts them first:
        # start them here, detached, so no captured output is held open.
        subprocess.run(launcher("cmd", "/c", "exit 0"), env=self.env, timeout=120, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    @property
    def is_64bit(self):
        return (self.path / "drive_c" / "windows" / "syswow64").is_dir()

    def run(self, *args, timeout=120, check=False):
        return subprocess.run(launcher(*map(str, args)), env=self.env, timeout=timeout, check=check,
                              stdin=subprocess.DEVNULL, capture_output=True, text=True, errors="replace")

    def start(self, *args, log):
        return subprocess.Popen(launcher(*map(str, args)), env=self.env, stdin=subprocess.DEVNULL, stdout=log,
                                stderr=subprocess.STDOUT)

    def unix_path(self, windows_path):
        found = self.run("winepath", "-u", windows_path, check=True)
        return Path(found.stdout.strip())

    def expand(self, text):
        """A Windows path with %VARIABLES% as this prefix's user sees it."""
        return self.run("cmd", "/c", f"echo {text}", check=True).stdout.strip()

    def reg_values(self, key):
        """{name: (type, data)} of one registry key; {} when it is missing."""
        found = self.run("reg", "query", key)
        values = {}
        for line in found.stdout.splitlines():
            match = re.match(r"^\s+(.*?)\s{4}(REG_\w+)\s{4}(.*)$", line)
            if match:
                values[match[1]] = (match[2], match[3])
        return values

    def reg_set(self, key, name, data, kind="REG_SZ"):
        self.run("reg", "add", key, "/v", name, "/t", kind, "/d", str(data), "/f", check=True)

    def reg_delete(self, key, name):
        self.run("reg", "delete", key, "/v", name, "/f")

    def stop(self):
        subprocess.run(launcher("--server", "-k"), env=self.env, timeout=60, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        subprocess.run(launcher("--server", "-w"), env=self.env, timeout=60, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)


def pe_machine(path):
    """The machine field of a Windows program's header: 0x14c x86, 0x8664 x64."""
    data = Path(path).read_bytes()[:4096]
    header = int.from_bytes(data[0x3C:0x40], "little")
    assert data[header : header + 4] == b"PE\0\0", f"{path} is not a Windows program"
    return int.from_bytes(data[header + 4 : header + 6], "little")

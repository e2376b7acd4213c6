"""The Wine launcher's choices that need no Wine: the architecture read from a
PE header, and the refusal of 32-bit programs where they cannot run, forced
here with BRINDORA_NO_32BIT so the path is tried on every host."""

import os
import struct
import subprocess
from pathlib import Path

import pytest

WINE = str(Path(__file__).resolve().parent / "wine.sh")


def pe_file(path, machine, pe_offset=0x80):
    """The smallest file that reads as a PE image of the given machine type."""
    header = bytearray(pe_offset + 24)
    header[0:2] = b"MZ"
    header[60:64] = struct.pack("<I", pe_offset)
    header[pe_offset : pe_offset + 4] = b"PE\0\0"
    header[pe_offset + 4 : pe_offset + 6] = struct.pack("<H", machine)
    path.write_bytes(bytes(header))
    return path


def launch(*args, **env):
    return subprocess.run([WINE, *args], capture_output=True, text=True, timeout=30, env={**os.environ, **env})


def test_architecture_comes_from_the_pe_header(tmp_path):
    assert launch("--arch", str(pe_file(tmp_path / "a.exe", 0x14C))).stdout.strip() == "x86"
    assert launch("--arch", str(pe_file(tmp_path / "b.scr", 0x8664, pe_offset=0x100))).stdout.strip() == "x64"
    # Not a PE image: an ARM machine type, a broken signature, a text file, no file.
    assert launch("--arch", str(pe_file(tmp_path / "c.exe", 0xAA64))).stdout.strip() == ""
    broken = bytearray(pe_file(tmp_path / "d.exe", 0x14C).read_bytes())
    broken[0x80:0x84] = b"NE\0\0"
    (tmp_path / "d.exe").write_bytes(bytes(broken))
    assert launch("--arch", str(tmp_path / "d.exe")).stdout.strip() == ""
    (tmp_path / "e.txt").write_text("MZ but nothing more")
    assert launch("--arch", str(tmp_path / "e.txt")).stdout.strip() == ""
    assert launch("--arch", str(tmp_path / "missing.exe")).stdout.strip() == ""


def test_forced_no_32bit_refuses_32bit_programs_as_skipped(tmp_path):
    harness = tmp_path / "harness"
    harness.mkdir()
    program = pe_file(tmp_path / "BrindoraPro.scr", 0x14C)

    can = launch("--can-run", "x86", BRINDORA_NO_32BIT="1")
    assert can.returncode == 1
    assert "BRINDORA_NO_32BIT" in can.stdout

    run = launch(str(program), "/s", BRINDORA_NO_32BIT="1", BRINDORA_HARNESS=str(harness))
    assert run.returncode == 77, run.stderr
    assert run.stderr.startswith("skipped: BrindoraPro.scr is a 32-bit program")
    assert (harness / "arches.log").read_text().startswith("skipped x86: ")


def test_64bit_programs_are_not_affected_by_the_switch():
    if not os.access("/usr/lib/wine/wine64", os.X_OK):
        pytest.skip("64-bit Wine is not installed")
    assert launch("--can-run", "x64", BRINDORA_NO_32BIT="1").returncode == 0
    assert launch("--can-run", "arm64").returncode == 1


def test_the_runner_passes_exit_codes_on_and_ends_a_hung_program_naming_it(tmp_path):
    (tmp_path / "env").write_text("")
    fake = tmp_path / "launcher.sh"
    fake.write_text("#!/bin/sh\nfor n in 1 2 3; do echo \"step $n of $1\"; done\n[ \"$1\" = hang ] && sleep 60\nexit 77\n")
    fake.chmod(0o755)
    run = lambda what: subprocess.run([str(Path(WINE).with_name("wine-run.sh")), what], capture_output=True, text=True,
                                      timeout=30, env={**os.environ, "BRINDORA_HARNESS": str(tmp_path),
                                                       "BRINDORA_WINE_LAUNCHER": str(fake),
                                                       "BRINDORA_PROGRAM_LIMIT": "1"})
    assert run("skipped").returncode == 77
    hung = run("hang")
    assert hung.returncode == 124
    assert "hang did not end within 1 s" in hung.stderr
    assert "| step 3 of hang" in hung.stderr

"""A test session outlives nothing: when the process that started it ends
without stopping it (ctest interrupted, or killed before its clean-up), the
session's guard stops its Xvfb, PulseAudio and wineserver."""

import os
import subprocess
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent


def alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    status = Path(f"/proc/{pid}/status")
    return status.exists() and "State:\tZ" not in status.read_text()


def test_session_stops_when_its_owner_ends_without_stopping_it(tmp_path):
    harness = tmp_path / "harness"
    prefix = Path(os.environ["BRINDORA_GUARD_PREFIX"])
    # The owner starts the session and dies at once, as an interrupted ctest would.
    subprocess.run(["bash", "-c", f'"{HERE}/session.sh" start "{harness}" "{prefix}" >/dev/null; true'], check=True,
                   timeout=300)
    pids = [int(line) for line in (harness / "pids").read_text().split()]
    assert pids
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline and ((harness / "env").exists() or any(alive(pid) for pid in pids)):
        time.sleep(0.2)
    assert not any(alive(pid) for pid in pids), "Xvfb or PulseAudio outlived the run that started them"
    assert not (harness / "env").exists()
    server = subprocess.run(["pgrep", "wineserver"], capture_output=True, text=True).stdout.split()
    for pid in server:
        environ = Path(f"/proc/{pid}/environ")
        try:
            assert f"WINEPREFIX={prefix}".encode() not in environ.read_bytes()
        except OSError:
            pass


def test_session_kept_while_its_owner_lives(tmp_path):
    harness = tmp_path / "harness"
    prefix = Path(os.environ["BRINDORA_GUARD_PREFIX"])
    subprocess.run([HERE / "session.sh", "start", harness, prefix], check=True, timeout=300,
                   capture_output=True)
    try:
        time.sleep(2.5)  # the guard looks every second
        pids = [int(line) for line in (harness / "pids").read_text().split()]
        assert all(alive(pid) for pid in pids)
    finally:
        subprocess.run([HERE / "session.sh", "stop", harness], timeout=60)

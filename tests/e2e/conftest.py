import subprocess

import pytest

from harness import SCR, WINE, Saver

SKIPPED = 77  # CTest reports this exit code as skipped


def pytest_sessionstart(session):
    """The whole file is skipped, with the reason, when this host cannot run
    the architecture of the saver under test."""
    arch = subprocess.run([WINE, "--arch", str(SCR)], capture_output=True, text=True, check=True).stdout.strip()
    check = subprocess.run([WINE, "--can-run", arch or "x64"], capture_output=True, text=True)
    if check.returncode != 0:
        pytest.exit(f"skipped: {SCR.name} is {arch}: {check.stdout.strip()}", returncode=SKIPPED)


@pytest.fixture
def saver(tmp_path):
    """A saver in its own program folder, killed at the end if a test left it running."""
    instance = Saver(tmp_path / "program")
    yield instance
    instance.stop()

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


def pytest_sessionfinish(session, exitstatus):
    """A file whose every test was skipped (its subject not there, such as the
    installer outside ./saver test) reports skipped to CTest, never passed."""
    stats = session.config.pluginmanager.get_plugin("terminalreporter").stats
    if exitstatus == 0 and stats.get("skipped") and not stats.get("passed"):
        session.exitstatus = SKIPPED


@pytest.fixture
def saver(tmp_path):
    """A saver in its own program folder, killed at the end if a test left it running."""
    instance = Saver(tmp_path / "program")
    yield instance
    instance.stop()


def _last_lines(output, count=15):
    if isinstance(output, bytes):
        output = output.decode(errors="replace")
    return "\n".join((output or "").splitlines()[-count:]) or "(no output)"


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    """A program that hung has been ended by its timeout: the failure names it
    and shows its last lines of output, and a failed test shows the end of its
    saver's log, so a failure says what was going on."""
    report = (yield).get_result()
    if call.excinfo and call.excinfo.errisinstance(subprocess.TimeoutExpired):
        hung = call.excinfo.value
        report.sections.append(("hung program", f"{hung.cmd} was ended after {hung.timeout} s; last output:\n"
                                + _last_lines(hung.output)))
    instance = item.funcargs.get("saver") if hasattr(item, "funcargs") else None
    if report.failed and instance is not None and (instance.folder / "wine.log").is_file():
        report.sections.append(("saver log", _last_lines((instance.folder / "wine.log").read_bytes())))

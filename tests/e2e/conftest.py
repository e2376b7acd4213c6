import pytest

from harness import Saver


@pytest.fixture
def saver(tmp_path):
    """A saver in its own program folder, killed at the end if a test left it running."""
    instance = Saver(tmp_path / "program")
    yield instance
    instance.stop()

import pytest

from harness import BackendProcess


@pytest.fixture
def data_dir(tmp_path):
    path = tmp_path / "data"
    path.mkdir()
    return path


@pytest.fixture
def backend(data_dir):
    proc = BackendProcess(data_dir)
    yield proc
    proc.close()


@pytest.fixture
def start_backend(tmp_path):
    """Start a backend with extra environment variables."""
    started = []

    def start(**env):
        data = tmp_path / f"data{len(started)}"
        data.mkdir()
        proc = BackendProcess(data, env)
        started.append(proc)
        return proc

    yield start
    for proc in started:
        proc.close()

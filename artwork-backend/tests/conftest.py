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


@pytest.fixture(scope="module")
def shared_backend(tmp_path_factory):
    """One server for a module's tests that leave no state others depend on
    (error cases, read-only methods)."""
    proc = BackendProcess(tmp_path_factory.mktemp("shared"))
    yield proc
    proc.close()

"""The image engines and which one is current."""
import threading

from ..protocol import invalid_params
from .bfl import BflEngine
from .local_models import DiffusersEngine, MfluxEngine
from .procedural import ProceduralEngine
from .remote import RemoteEngine

ENGINE_NAMES = ("procedural", "remote", "mflux", "diffusers", "bfl_api")


class Engines:
    def __init__(self, config, settings, env):
        self._engines = {
            "procedural": ProceduralEngine(),
            "remote": RemoteEngine(config, poll_interval=settings.remote_poll_interval),
            "mflux": MfluxEngine(),
            "diffusers": DiffusersEngine(),
            "bfl_api": BflEngine(config, env, poll_interval=settings.remote_poll_interval),
        }
        self._current = "procedural"
        self._lock = threading.Lock()

    def select(self, name):
        if name not in self._engines:
            raise invalid_params("backend", f"must be one of {', '.join(ENGINE_NAMES)}")
        with self._lock:
            previous = self._engines[self._current]
            self._current = name
        if previous is not self._engines[name]:
            previous.unload()  # free the memory of a model we no longer use
        return name

    @property
    def current_name(self):
        with self._lock:
            return self._current

    def current(self):
        with self._lock:
            return self._engines[self._current]

    def get(self, name):
        return self._engines[name]

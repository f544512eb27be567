"""Method registry and the per-request call context handed to handlers."""
from dataclasses import dataclass
from typing import Callable

from .params import Params


@dataclass
class Method:
    handler: Callable
    # Background methods run on their own thread so that the request loop
    # keeps answering (ping, check_disk_space, cancel_generation) meanwhile.
    background: bool = False


class Registry:
    def __init__(self):
        self._methods = {}

    def add(self, name, handler, background=False):
        if name in self._methods:
            raise ValueError(f"method registered twice: {name}")
        self._methods[name] = Method(handler, background)

    def get(self, name):
        return self._methods.get(name)

    def names(self):
        return sorted(self._methods)


@dataclass
class Call:
    request_id: object
    params: Params
    progress: Callable  # progress(stage, percent, message)

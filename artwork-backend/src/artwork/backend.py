"""Builds the backend's services from its settings and registers every method."""
import os

from .dispatch import Registry
from .engines.registry import Engines
from .generation import GenerationService
from .handlers import gallery as gallery_methods
from .handlers import images as image_methods
from .handlers import persona as persona_methods
from .handlers import system as system_methods
from .jobs import ImageSlot
from .llm.persona import Persona
from .llm.providers import LlmClient
from .settings import RuntimeConfig
from .storage.gallery import Gallery
from .system import DiskMonitor


class Backend:
    def __init__(self, settings, env=None, progress_sink=None):
        env = os.environ if env is None else env
        self.settings = settings
        self.config = RuntimeConfig(env)
        self.gallery = Gallery(settings.data_dir)
        self.disk = DiskMonitor(settings.data_dir, settings.disk_warning_gb, settings.disk_critical_gb)
        self.slot = ImageSlot()
        self.engines = Engines(self.config, settings, env)
        self.generation = GenerationService(self.gallery, self.engines, self.slot, self.disk)
        self.llm = LlmClient(self.config, settings)
        self.persona = Persona(self.llm, self.generation)
        self._progress_sink = progress_sink
        self.registry = Registry()
        system_methods.register(self.registry, self)
        gallery_methods.register(self.registry, self.gallery)
        image_methods.register(self.registry, self)
        persona_methods.register(self.registry, self)

    def attach_output(self, progress_sink):
        self._progress_sink = progress_sink

    def output_progress(self, request_id, stage, percent, message):
        if self._progress_sink is not None:
            self._progress_sink(request_id, stage, percent, message)

    def shutdown(self):
        """Stop running jobs when the application goes away."""
        self.slot.cancel_all()

    def close(self):
        self.gallery.close()

"""Start-up settings from the environment and the in-memory runtime configuration."""
import os
import threading
from dataclasses import dataclass
from pathlib import Path

DEFAULT_DISK_WARNING_GB = 10.0
DEFAULT_DISK_CRITICAL_GB = 2.0
DEFAULT_MAX_REQUEST_BYTES = 8 * 1024 * 1024

DEFAULT_URLS = {
    "ollama": "http://localhost:11434/v1/chat/completions",
    "lmstudio": "http://localhost:1234/v1/chat/completions",
    "openrouter": "https://openrouter.ai/api/v1/chat/completions",
}
DEFAULT_MODELS = {
    "ollama": "qwen3:8b",
    "lmstudio": "local-model",
    "openrouter": "qwen/qwen3.5-27b",
    "mlx_local": "mlx-community/Qwen3.5-9B-4bit",
}


def _float_env(env, name, default):
    raw = env.get(name, "").strip()
    if not raw:
        return default
    try:
        return float(raw)
    except ValueError:
        raise SystemExit(f"{name} must be a number, got {raw!r}")


def default_data_dir(env):
    explicit = env.get("ARTWORK_DATA_DIR", "").strip()
    if explicit:
        return Path(explicit).expanduser()
    xdg = env.get("XDG_DATA_HOME", "").strip()
    base = Path(xdg) if xdg and Path(xdg).is_absolute() else Path.home() / ".local" / "share"
    return base / "pictavia"


@dataclass(frozen=True)
class Settings:
    data_dir: Path
    disk_warning_gb: float
    disk_critical_gb: float
    max_request_bytes: int
    # Probing a local LLM server must fail fast so the offline persona answers
    # promptly when nothing listens.
    llm_connect_timeout: float
    llm_read_timeout: float
    remote_poll_interval: float

    @classmethod
    def from_env(cls, env=None):
        env = os.environ if env is None else env
        return cls(
            data_dir=default_data_dir(env),
            disk_warning_gb=_float_env(env, "ARTWORK_DISK_WARNING_GB", DEFAULT_DISK_WARNING_GB),
            disk_critical_gb=_float_env(env, "ARTWORK_DISK_CRITICAL_GB", DEFAULT_DISK_CRITICAL_GB),
            max_request_bytes=int(_float_env(env, "ARTWORK_MAX_REQUEST_BYTES", DEFAULT_MAX_REQUEST_BYTES)),
            llm_connect_timeout=_float_env(env, "ARTWORK_LLM_CONNECT_TIMEOUT", 1.5),
            llm_read_timeout=_float_env(env, "ARTWORK_LLM_TIMEOUT", 110.0),
            remote_poll_interval=_float_env(env, "ARTWORK_REMOTE_POLL_INTERVAL", 0.5),
        )


# Configuration entries the settings and onboarding screens send. Every value
# is text; anything else is refused so a typo does not silently do nothing.
CONFIG_KEYS = {
    "provider", "llm_provider", "mlx_model",
    "openrouter_model", "openrouter_api_key", "openrouter_url",
    "ollama_url", "ollama_model",
    "lmstudio_url", "lmstudio_model",
    "remote_server_url", "bfl_api_key",
}
SECRET_KEYS = {"openrouter_api_key", "bfl_api_key"}
LLM_PROVIDERS = ("mlx_local", "openrouter", "ollama", "lmstudio")


class RuntimeConfig:
    """Values set with "set_config"; held in memory only, never written to disk.

    Keys fall back to the environment (the project's .env feeds it), so an API
    key can also be given as OPENROUTER_API_KEY or BFL_API_KEY.
    """

    ENV_FALLBACKS = {
        "openrouter_api_key": "OPENROUTER_API_KEY",
        "bfl_api_key": "BFL_API_KEY",
        "remote_server_url": "ARTWORK_REMOTE_SERVER_URL",
        "provider": "ARTWORK_LLM_PROVIDER",
        "ollama_url": "ARTWORK_OLLAMA_URL",
        "lmstudio_url": "ARTWORK_LMSTUDIO_URL",
        "openrouter_url": "ARTWORK_OPENROUTER_URL",
    }

    def __init__(self, env=None):
        self._env = os.environ if env is None else env
        self._values = {}
        self._lock = threading.Lock()

    def update(self, values):
        with self._lock:
            for key, value in values.items():
                # The onboarding walkthrough names the provider "llm_provider",
                # the settings screen "provider"; both mean the same thing.
                self._values["provider" if key == "llm_provider" else key] = value

    def get(self, key, default=""):
        with self._lock:
            value = self._values.get(key)
        if value is None:
            value = self._env.get(self.ENV_FALLBACKS.get(key, ""), "")
        return value if value else default

    @property
    def llm_provider(self):
        return self.get("provider", "mlx_local")

    def llm_endpoint(self, provider):
        return self.get(f"{provider}_url", DEFAULT_URLS.get(provider, ""))

    def llm_model(self, provider):
        key = "mlx_model" if provider == "mlx_local" else f"{provider}_model"
        return self.get(key, DEFAULT_MODELS.get(provider, ""))

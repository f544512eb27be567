"""Chat completions through the configured LLM provider.

Ollama, LM Studio and OpenRouter all speak the OpenAI-compatible
chat-completions protocol; MLX runs in-process on Apple Silicon only.
"""
import importlib.util
import platform
import re

from .. import http_client
from ..http_client import HttpError

_THINK = re.compile(r"<think>.*?</think>\s*", re.S)


class ProviderUnavailable(Exception):
    """The provider cannot answer; the offline persona takes over."""


def clean_reply(text):
    # Reasoning models wrap their deliberation in <think> tags; the user sees
    # only the answer.
    return _THINK.sub("", text).strip()


def chat_completion(url, model, messages, api_key="", connect_timeout=1.5, read_timeout=110.0):
    headers = {}
    if api_key:
        headers["Authorization"] = f"Bearer {api_key}"
        headers["X-Title"] = "Pictavia"
    body = {"model": model, "messages": messages, "temperature": 0.8, "stream": False}
    try:
        reply = http_client.json_request("POST", url, body, headers, connect_timeout, read_timeout)
    except HttpError as exc:
        raise ProviderUnavailable(f"{exc}{' (' + exc.body[:200] + ')' if exc.body else ''}")
    try:
        content = reply["choices"][0]["message"]["content"]
    except (KeyError, IndexError, TypeError):
        raise ProviderUnavailable(f"{url} answered without choices[0].message.content")
    if not isinstance(content, str) or not clean_reply(content):
        raise ProviderUnavailable(f"{url} answered with an empty message")
    return clean_reply(content)


class LlmClient:
    def __init__(self, config, settings):
        self._config = config
        self._connect_timeout = settings.llm_connect_timeout
        self._read_timeout = settings.llm_read_timeout
        self._mlx = None

    def describe(self):
        provider = self._config.llm_provider
        return provider, self._config.llm_model(provider)

    def complete(self, messages):
        """Returns (text, provider name). Raises ProviderUnavailable."""
        provider, model = self.describe()
        if provider == "mlx_local":
            return self._mlx_complete(model, messages), provider
        if provider == "openrouter":
            key = self._config.get("openrouter_api_key")
            if not key:
                raise ProviderUnavailable("no OpenRouter API key is set")
        else:
            key = ""
        url = self._config.llm_endpoint(provider)
        if not url:
            raise ProviderUnavailable(f"no URL is known for the provider {provider!r}")
        return chat_completion(url, model, messages, key, self._connect_timeout, self._read_timeout), provider

    def _mlx_complete(self, model, messages):
        if platform.system() != "Darwin" or platform.machine() != "arm64":
            raise ProviderUnavailable(f"MLX needs macOS on Apple Silicon; this is {platform.system()} "
                                      f"{platform.machine()}")
        if importlib.util.find_spec("mlx_lm") is None:
            raise ProviderUnavailable("the mlx-lm package is not installed")
        from mlx_lm import generate, load
        if self._mlx is None or self._mlx[0] != model:
            self._mlx = (model, *load(model))
        _, mlx_model, tokenizer = self._mlx
        prompt = tokenizer.apply_chat_template(messages, add_generation_prompt=True, tokenize=False)
        return clean_reply(generate(mlx_model, tokenizer, prompt=prompt, max_tokens=800))

    def unload(self):
        loaded = self._mlx is not None
        self._mlx = None
        return loaded

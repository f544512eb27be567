"""FLUX models through the BFL cloud API (submit, then poll for the result)."""
import io
import time

from PIL import Image

from .. import http_client
from ..http_client import HttpError
from ..protocol import UPSTREAM_ERROR, RpcError
from .base import Engine, Generated, model_entry, unavailable

DEFAULT_API_URL = "https://api.bfl.ai"
MODELS = (("flux-pro-1.1", "FLUX 1.1 [pro]", "FLUX.1 [pro] terms (paid API)"),
          ("flux-dev", "FLUX.1 [dev]", "FLUX.1 [dev] non-commercial licence"))
POLL_LIMIT_SECONDS = 300.0


class BflEngine(Engine):
    name = "bfl_api"

    def __init__(self, config, env, poll_interval=0.5, connect_timeout=5.0):
        self._config = config
        self._api_url = env.get("ARTWORK_BFL_API_URL", "").strip() or DEFAULT_API_URL
        self._poll_interval = poll_interval
        self._connect_timeout = connect_timeout

    def list_models(self):
        return [model_entry(i, n, 28 if i == "flux-dev" else 0, lic) for i, n, lic in MODELS]

    def _key(self):
        key = self._config.get("bfl_api_key")
        if not key:
            raise unavailable("bfl_api", "No BFL API key is configured for the backend.",
                              "Add the line BFL_API_KEY=your-key to artwork-backend/.env and reconnect "
                              "the backend, or use the Procedural engine.")
        return key

    def _call(self, method, url, body=None):
        try:
            return http_client.json_request(method, url, body, headers={"x-key": self._key()},
                                            connect_timeout=self._connect_timeout, read_timeout=60)
        except HttpError as exc:
            fix = ("Check the BFL API key." if exc.status in (401, 403)
                   else "Check the network connection and your BFL account's credits.")
            raise RpcError(UPSTREAM_ERROR, "BFL API request failed",
                           detail=f"{exc}{': ' + exc.body if exc.body else ''}", fix=fix)

    def generate(self, request, progress, token):
        model = self.check_model(request.model)["id"]
        body = {"prompt": request.prompt, "width": request.width, "height": request.height,
                "seed": request.seed, "output_format": "png"}
        if request.steps and model == "flux-dev":
            body["steps"] = request.steps
        progress("submitting", 2, "Sending the request to the BFL API")
        task = self._call("POST", http_client.join(self._api_url, f"/v1/{model}"), body) or {}
        poll_url = task.get("polling_url") or http_client.join(self._api_url, f"/v1/get_result?id={task.get('id')}")
        started = time.monotonic()
        while True:
            if token.wait(self._poll_interval):
                token.check()
            result = self._call("GET", poll_url) or {}
            status = result.get("status")
            if status == "Ready":
                sample = (result.get("result") or {}).get("sample")
                break
            if status not in ("Pending", "Queued", "Processing", "Task not found", None):
                raise RpcError(UPSTREAM_ERROR, f"BFL API could not generate the image ({status})",
                               detail=str(result.get("details") or status),
                               fix="Rephrase the prompt if it was moderated, or try again later.")
            elapsed = time.monotonic() - started
            if elapsed > POLL_LIMIT_SECONDS:
                raise RpcError(UPSTREAM_ERROR, "BFL API timed out", detail="No result after five minutes.")
            progress("generating", min(90.0, 5 + elapsed * 3), "Waiting for the BFL API")
        token.check()
        try:
            status, data = http_client.request("GET", sample, connect_timeout=self._connect_timeout,
                                               read_timeout=60)
            image = Image.open(io.BytesIO(data))
            image.load()
        except Exception as exc:
            raise RpcError(UPSTREAM_ERROR, "Could not download the BFL result", detail=str(exc))
        return Generated(image.convert("RGB"), model, request.steps, "bfl", request.seed)

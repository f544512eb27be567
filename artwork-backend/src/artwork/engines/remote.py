"""A remote image server that speaks the widely used /sdapi/v1 interface."""
import base64
import io
import json
import threading
from pathlib import Path

from PIL import Image

from .. import http_client
from ..http_client import HttpError
from ..protocol import UPSTREAM_ERROR, RpcError
from .base import Engine, Generated, model_entry, unavailable

DEFAULT_STEPS = 20
GENERATION_TIMEOUT = 590.0


class RemoteEngine(Engine):
    name = "remote"

    def __init__(self, config, poll_interval=0.5, connect_timeout=3.0):
        self._config = config
        self._poll_interval = poll_interval
        self._connect_timeout = connect_timeout

    # -- helpers ---------------------------------------------------------
    def base_url(self):
        url = self._config.get("remote_server_url").strip()
        if not url:
            raise unavailable("remote", "No remote server URL is configured.",
                              "Enter the server's URL (for example http://192.168.1.20:7860) in "
                              "Settings › Image Generation and press Apply.")
        try:
            http_client.split_url(url)
        except HttpError:
            raise unavailable("remote", f"The remote server URL {url!r} is not an http(s) URL.",
                              "Enter the full URL including http:// and the port.")
        return url

    def _call(self, method, path, body=None, read_timeout=30.0):
        url = http_client.join(self.base_url(), path)
        try:
            return http_client.json_request(method, url, body, connect_timeout=self._connect_timeout,
                                            read_timeout=read_timeout)
        except HttpError as exc:
            raise RpcError(UPSTREAM_ERROR, "Remote image server failed",
                           detail=f"{exc}{': ' + exc.body if exc.body else ''}",
                           fix="Check that the server runs with its API enabled (for example --api) "
                               "and that the URL in Settings is right.")

    # -- engine ----------------------------------------------------------
    def list_models(self):
        models = self._call("GET", "/sdapi/v1/sd-models") or []
        entries = []
        for m in models:
            if isinstance(m, dict) and m.get("title"):
                entries.append(model_entry(m["title"], m.get("model_name") or m["title"], DEFAULT_STEPS,
                                           "Set by the model's publisher (see the server)"))
        return entries

    def check_model(self, model_id):
        return {"id": model_id} if model_id else {"id": ""}

    def generate(self, request, progress, token):
        token.check()
        prompt = request.prompt + "".join(
            f" <lora:{Path(p).stem}:{s:g}>" for p, s in zip(request.lora_paths, request.lora_scales))
        body = {"prompt": prompt, "negative_prompt": request.negative_prompt, "width": request.width,
                "height": request.height, "steps": request.steps or DEFAULT_STEPS, "seed": request.seed,
                "batch_size": 1, "n_iter": 1, "send_images": True, "save_images": False}
        if request.model:
            body["override_settings"] = {"sd_model_checkpoint": request.model}
            body["override_settings_restore_afterwards"] = True
        path = "/sdapi/v1/txt2img"
        if request.source_image is not None:
            path = "/sdapi/v1/img2img"
            buffer = io.BytesIO()
            request.source_image.convert("RGB").save(buffer, "PNG")
            body["init_images"] = [base64.b64encode(buffer.getvalue()).decode("ascii")]
            # image_strength says how much of the source to keep; the server's
            # denoising strength says how much to change.
            body["denoising_strength"] = round(max(0.0, min(1.0, 1.0 - request.image_strength)), 3)

        outcome = {}

        def post():
            try:
                outcome["reply"] = self._call("POST", path, body, read_timeout=GENERATION_TIMEOUT)
            except RpcError as exc:
                outcome["error"] = exc

        progress("submitting", 1, "Sending the request to the remote server")
        worker = threading.Thread(target=post, name="remote-generate", daemon=True)
        worker.start()
        interrupted = False
        while worker.is_alive():
            if token.wait(self._poll_interval):
                if not interrupted:
                    interrupted = True
                    try:
                        self._call("POST", "/sdapi/v1/interrupt", {}, read_timeout=5)
                    except RpcError:
                        pass
                worker.join(0.2)
                continue
            self._report_progress(progress)
        worker.join()
        token.check()
        if "error" in outcome:
            raise outcome["error"]
        return self._decode(outcome.get("reply"), request)

    def _report_progress(self, progress):
        try:
            state = self._call("GET", "/sdapi/v1/progress?skip_current_image=true", read_timeout=5)
        except RpcError:
            return
        if not isinstance(state, dict):
            return
        fraction = state.get("progress")
        if isinstance(fraction, (int, float)):
            detail = state.get("state") or {}
            step, total = detail.get("sampling_step"), detail.get("sampling_steps")
            message = f"Step {step} of {total}" if step is not None and total else "Generating on the remote server"
            progress("generating", max(1.0, min(99.0, 100.0 * float(fraction))), message)

    def _decode(self, reply, request):
        images = reply.get("images") if isinstance(reply, dict) else None
        if not images or not isinstance(images[0], str):
            raise RpcError(UPSTREAM_ERROR, "Remote image server returned no image",
                           detail="The reply had no 'images' entry.",
                           fix="Check the server's own log for the failure.")
        try:
            data = images[0].split(",", 1)[1] if images[0].startswith("data:") else images[0]
            image = Image.open(io.BytesIO(base64.b64decode(data)))
            image.load()
        except Exception as exc:
            raise RpcError(UPSTREAM_ERROR, "Remote image server returned an unreadable image", detail=str(exc))
        info = reply.get("info")
        seed = request.seed
        model = request.model or "remote"
        if isinstance(info, str):
            try:
                info = json.loads(info)
            except ValueError:
                info = None
        if isinstance(info, dict):
            if isinstance(info.get("seed"), int):
                seed = info["seed"]
            model = info.get("sd_model_name") or model
        return Generated(image.convert("RGB"), model, request.steps or DEFAULT_STEPS, "remote", seed)

    def status(self):
        try:
            return self.base_url()
        except RpcError:
            return "not configured"

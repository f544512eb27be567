"""Small HTTP servers on loopback standing in for image and LLM servers."""
import base64
import io
import json
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

from PIL import Image


class FakeServer:
    def __init__(self):
        self.requests = []  # (method, path, headers, json body)
        owner = self

        class Handler(BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def _body(self):
                length = int(self.headers.get("Content-Length") or 0)
                raw = self.rfile.read(length) if length else b""
                return json.loads(raw) if raw else None

            def do_GET(self):
                owner._handle(self, "GET", None)

            def do_POST(self):
                owner._handle(self, "POST", self._body())

        self.httpd = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.httpd.daemon_threads = True
        self.url = f"http://127.0.0.1:{self.httpd.server_port}"
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def _handle(self, handler, method, body):
        self.requests.append((method, handler.path, dict(handler.headers), body))
        status, payload = self.route(method, handler.path, body)
        data = payload if isinstance(payload, bytes) else json.dumps(payload).encode()
        handler.send_response(status)
        handler.send_header("Content-Type", "application/json")
        handler.send_header("Content-Length", str(len(data)))
        handler.end_headers()
        handler.wfile.write(data)

    def route(self, method, path, body):
        return 404, {"detail": "Not Found"}

    def paths(self):
        return [path for _, path, _, _ in self.requests]

    def bodies(self, path_prefix):
        return [body for _, path, _, body in self.requests if path.startswith(path_prefix)]

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


def png_b64(width, height, colour=(200, 30, 30)):
    buffer = io.BytesIO()
    Image.new("RGB", (width, height), colour).save(buffer, "PNG")
    return base64.b64encode(buffer.getvalue()).decode()


class FakeSdapi(FakeServer):
    """The /sdapi/v1 interface; `hold` keeps txt2img busy until released or interrupted."""

    def __init__(self, hold=False):
        self.release = threading.Event()
        if not hold:
            self.release.set()
        self.interrupted = threading.Event()
        super().__init__()

    def route(self, method, path, body):
        if path == "/sdapi/v1/sd-models":
            return 200, [{"title": "dreamshaper_8.safetensors [879db523c3]", "model_name": "dreamshaper_8",
                          "hash": "879db523c3", "filename": "/models/dreamshaper_8.safetensors"}]
        if path.startswith("/sdapi/v1/progress"):
            return 200, {"progress": 0.5, "eta_relative": 1.0,
                         "state": {"sampling_step": 10, "sampling_steps": 20, "job": "txt2img"}}
        if path == "/sdapi/v1/interrupt":
            self.interrupted.set()
            self.release.set()
            return 200, {}
        if path in ("/sdapi/v1/txt2img", "/sdapi/v1/img2img"):
            self.release.wait(30)
            info = {"seed": body.get("seed", 1), "sd_model_name": "dreamshaper_8"}
            return 200, {"images": [png_b64(body["width"], body["height"])], "parameters": body,
                         "info": json.dumps(info)}
        return 404, {"detail": "Not Found"}


class FakeChat(FakeServer):
    """An OpenAI-compatible chat-completions endpoint answering with `content`."""

    def __init__(self, content="a refined prompt"):
        self.content = content
        super().__init__()

    def route(self, method, path, body):
        if path.endswith("/chat/completions") and method == "POST":
            return 200, {"id": "x", "object": "chat.completion",
                         "choices": [{"index": 0, "message": {"role": "assistant", "content": self.content},
                                      "finish_reason": "stop"}]}
        return 404, {"error": "not found"}


class FakeBfl(FakeServer):
    """The BFL API: submit a task, poll it, download the sample."""

    def __init__(self, polls_before_ready=2):
        self.polls_left = polls_before_ready
        super().__init__()

    def route(self, method, path, body):
        if method == "POST" and path.startswith("/v1/"):
            return 200, {"id": "task-1", "polling_url": f"{self.url}/v1/get_result?id=task-1"}
        if path.startswith("/v1/get_result"):
            if self.polls_left > 0:
                self.polls_left -= 1
                return 200, {"id": "task-1", "status": "Pending"}
            return 200, {"id": "task-1", "status": "Ready", "result": {"sample": f"{self.url}/sample.png"}}
        if path == "/sample.png":
            return 200, base64.b64decode(png_b64(64, 48, (10, 200, 10)))
        return 404, {"detail": "Not Found"}

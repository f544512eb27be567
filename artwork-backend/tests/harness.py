"""Drives the backend as a child process over pipes, the way the application does."""
import json
import os
import queue
import subprocess
import sys
import threading
import uuid
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
WAIT = 60.0  # generous: a hung backend fails the test instead of blocking the suite


class RpcFailure(Exception):
    def __init__(self, error):
        super().__init__(f"{error.get('code')}: {error.get('message')}")
        self.error = error
        self.code = error.get("code")
        self.data = error.get("data") or {}


class BackendProcess:
    def __init__(self, data_dir, env=None):
        self.data_dir = Path(data_dir)
        child_env = dict(os.environ)
        for key in [k for k in child_env if k.startswith("ARTWORK_") or k.endswith("_API_KEY")]:
            del child_env[key]
        child_env.update({
            "PYTHONPATH": str(ROOT / "src"),
            "PYTHONDONTWRITEBYTECODE": "1",
            "ARTWORK_DATA_DIR": str(self.data_dir),
            # No LLM server is expected; keep any provider probe short.
            "ARTWORK_LLM_CONNECT_TIMEOUT": "0.5",
            "ARTWORK_REMOTE_POLL_INTERVAL": "0.05",
            "ARTWORK_LOG_LEVEL": "WARNING",
        })
        child_env.update(env or {})
        self.proc = subprocess.Popen([sys.executable, "-m", "artwork.rpc_server"], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=child_env)
        self.lines = queue.Queue()
        self.replies = {}
        self.notifications = []
        self.unmatched = []
        self._cond = threading.Condition()
        self.stderr_text = []
        threading.Thread(target=self._read_stdout, daemon=True).start()
        threading.Thread(target=self._read_stderr, daemon=True).start()

    def _read_stdout(self):
        for raw in self.proc.stdout:
            message = json.loads(raw)  # every stdout line must be JSON
            with self._cond:
                if message.get("method") == "progress":
                    self.notifications.append(message)
                elif message.get("id") is not None:
                    self.replies[message["id"]] = message
                else:
                    self.unmatched.append(message)
                self._cond.notify_all()
        with self._cond:
            self._cond.notify_all()

    def _read_stderr(self):
        for raw in self.proc.stderr:
            self.stderr_text.append(raw.decode("utf-8", "replace"))

    # -- sending ---------------------------------------------------------
    def send_raw(self, data):
        self.proc.stdin.write(data if isinstance(data, bytes) else data.encode("utf-8"))
        self.proc.stdin.flush()

    def send(self, method, params=None, request_id=None):
        request_id = request_id or str(uuid.uuid4()).upper()
        message = {"jsonrpc": "2.0", "id": request_id, "method": method}
        if params is not None:
            message["params"] = params
        self.send_raw(json.dumps(message) + "\n")
        return request_id

    def reply(self, request_id, timeout=WAIT):
        with self._cond:
            if not self._cond.wait_for(lambda: request_id in self.replies or self.proc.poll() is not None,
                                       timeout):
                raise TimeoutError(f"no reply to {request_id}")
            if request_id not in self.replies:
                raise RuntimeError("backend exited: " + "".join(self.stderr_text))
            return self.replies.pop(request_id)

    def call(self, method, params=None, timeout=WAIT):
        message = self.reply(self.send(method, params), timeout)
        if "error" in message:
            raise RpcFailure(message["error"])
        return message["result"]

    def error(self, method, params=None):
        message = self.reply(self.send(method, params))
        assert "error" in message, f"{method} unexpectedly succeeded: {message}"
        return message["error"]

    def wait_unmatched(self, count=1, timeout=WAIT):
        with self._cond:
            assert self._cond.wait_for(lambda: len(self.unmatched) >= count, timeout)
            return self.unmatched[:count]

    def wait_progress(self, request_id, predicate=lambda n: True, timeout=WAIT):
        with self._cond:
            ok = self._cond.wait_for(lambda: any(n["params"].get("id") == request_id and predicate(n)
                                                 for n in self.notifications), timeout)
            assert ok, f"no matching progress for {request_id}"

    def progress_of(self, request_id):
        with self._cond:
            return [n["params"] for n in self.notifications if n["params"].get("id") == request_id]

    def close(self):
        if self.proc.poll() is None:
            self.proc.stdin.close()
            try:
                self.proc.wait(30)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc.stdout.close()
        self.proc.stderr.close()


def small_generation(prompt="synthwave sunset over the sea", **extra):
    params = {"prompt": prompt, "width": 96, "height": 96, "seed": 1, "steps": 2}
    params.update(extra)
    return params

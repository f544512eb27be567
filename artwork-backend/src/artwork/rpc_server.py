"""JSON-RPC 2.0 server over standard input and output, one message per line.

Run as `python -m artwork.rpc_server` with `src` on PYTHONPATH. Standard output
carries protocol lines only; logs go to standard error.
"""
import json
import logging
import os
import signal
import sys
import threading
import traceback

from . import protocol
from .dispatch import Call
from .params import Params
from .protocol import RpcError

log = logging.getLogger("artwork.server")


class OutputChannel:
    """Writes whole protocol lines; a lock keeps lines from job threads intact."""

    def __init__(self, stream):
        self._stream = stream
        self._lock = threading.Lock()
        self._broken = False

    def send(self, message):
        try:
            data = protocol.encode(message).encode("ascii")
        except (TypeError, ValueError) as exc:
            log.error("unencodable reply: %s", exc)
            if message.get("id") is None:
                return
            data = protocol.encode(protocol.error_message(message["id"], RpcError(
                protocol.INTERNAL_ERROR, "Internal error",
                detail=f"The reply could not be encoded as JSON: {exc}"))).encode("ascii")
        with self._lock:
            if self._broken:
                return
            try:
                self._stream.write(data)
                self._stream.flush()
            except (BrokenPipeError, ValueError, OSError):
                # The application has gone; the read loop ends at end of file.
                self._broken = True

    def progress(self, request_id, stage, percent, message):
        self.send(protocol.progress_message(request_id, stage, percent, message))


class Server:
    def __init__(self, registry, output, max_request_bytes, on_shutdown=None):
        self._registry = registry
        self._out = output
        self._max = max_request_bytes
        self._on_shutdown = on_shutdown
        self._threads = set()
        self._threads_lock = threading.Lock()

    # -- line loop -------------------------------------------------------
    def serve(self, stream):
        """Read requests until end of file; `stream` is a binary reader."""
        while True:
            line = stream.readline(self._max + 1)
            if not line:
                break
            if len(line) > self._max and not line.endswith(b"\n"):
                self._discard_rest_of_line(stream)
                self._reply_error(None, RpcError(
                    protocol.INVALID_REQUEST, "Request too large",
                    detail=f"A request line exceeded {self._max} bytes and was discarded.",
                    fix="Send smaller requests; pass images by file path, not inline."))
                continue
            self.handle_line(line)

    def _discard_rest_of_line(self, stream):
        while True:
            chunk = stream.readline(1 << 16)
            if not chunk or chunk.endswith(b"\n"):
                return

    def handle_line(self, line):
        if not line.strip():
            return
        try:
            request = json.loads(line)
        except (UnicodeDecodeError, ValueError) as exc:
            self._reply_error(None, RpcError(protocol.PARSE_ERROR, "Parse error",
                                             detail=f"The request line is not valid JSON: {exc}",
                                             fix="Send one JSON-RPC 2.0 object per line."))
            return
        self.handle_request(request)

    def handle_request(self, request):
        if isinstance(request, list):
            self._reply_error(None, RpcError(protocol.INVALID_REQUEST, "Invalid Request",
                                             detail="Batch requests are not supported.",
                                             fix="Send each request on its own line."))
            return
        if not isinstance(request, dict):
            self._reply_error(None, RpcError(protocol.INVALID_REQUEST, "Invalid Request",
                                             detail="A request must be a JSON object."))
            return
        request_id = request.get("id")
        is_notification = "id" not in request
        if request_id is not None and (isinstance(request_id, bool)
                                       or not isinstance(request_id, (str, int, float))):
            self._reply_error(None, RpcError(protocol.INVALID_REQUEST, "Invalid Request",
                                             detail="The request id must be a string or a number."))
            return
        method_name = request.get("method")
        if request.get("jsonrpc") != "2.0" or not isinstance(method_name, str):
            self._reply_error(request_id, RpcError(
                protocol.INVALID_REQUEST, "Invalid Request",
                detail='A request needs "jsonrpc": "2.0" and a string "method".'))
            return
        method = self._registry.get(method_name)
        if method is None:
            if not is_notification:
                self._reply_error(request_id, RpcError(
                    protocol.METHOD_NOT_FOUND, "Method not found",
                    detail=f"The backend has no method named '{method_name}'.", method=method_name))
            return
        try:
            params = Params(request.get("params"))
        except RpcError as exc:
            self._reply_error(request_id, exc, is_notification)
            return
        call = Call(request_id, params, lambda stage, percent, message:
                    self._out.progress(request_id, stage, percent, message))
        if method.background:
            self._start_background(method_name, method.handler, call, is_notification)
        else:
            self._run(method_name, method.handler, call, is_notification)

    # -- execution -------------------------------------------------------
    def _run(self, method_name, handler, call, is_notification):
        try:
            result = handler(call)
        except RpcError as exc:
            if exc.code == protocol.INTERNAL_ERROR:
                log.error("%s failed: %s", method_name, exc.detail)
            self._reply_error(call.request_id, exc, is_notification)
            return
        except Exception as exc:  # a bug must not end the server
            log.error("%s raised:\n%s", method_name, traceback.format_exc())
            self._reply_error(call.request_id, RpcError(
                protocol.INTERNAL_ERROR, "Internal error",
                detail=f"{type(exc).__name__}: {exc}",
                fix="See the backend log (standard error) for details."), is_notification)
            return
        if not is_notification:
            self._out.send(protocol.result_message(call.request_id, result))

    def _start_background(self, method_name, handler, call, is_notification):
        def work():
            try:
                self._run(method_name, handler, call, is_notification)
            finally:
                with self._threads_lock:
                    self._threads.discard(threading.current_thread())

        thread = threading.Thread(target=work, name=f"job-{method_name}", daemon=True)
        with self._threads_lock:
            self._threads.add(thread)
        thread.start()

    def _reply_error(self, request_id, error, is_notification=False):
        if not is_notification:
            self._out.send(protocol.error_message(request_id, error))

    def shutdown(self, cancel_jobs, wait_seconds=None):
        """End of input lets running jobs finish, so their images reach the
        gallery; a termination request cancels them first."""
        if cancel_jobs and self._on_shutdown:
            self._on_shutdown()
        with self._threads_lock:
            threads = list(self._threads)
        for thread in threads:
            thread.join(wait_seconds)


def _protocol_stdout():
    """Keep the real stdout for protocol lines and point fd 1 at stderr, so a
    stray print from any library cannot corrupt the protocol stream."""
    out = os.fdopen(os.dup(1), "wb", buffering=0)
    os.dup2(2, 1)
    sys.stdout = sys.stderr
    return out


def main():
    logging.basicConfig(stream=sys.stderr, level=os.environ.get("ARTWORK_LOG_LEVEL", "INFO").upper(),
                        format="[artwork] %(levelname)s %(name)s: %(message)s")
    from .backend import Backend
    from .settings import Settings

    settings = Settings.from_env()
    output = OutputChannel(_protocol_stdout())
    backend = Backend(settings, progress_sink=output.progress)
    server = Server(backend.registry, output, settings.max_request_bytes, on_shutdown=backend.shutdown)

    def terminate(signum, frame):
        raise SystemExit(0)

    signal.signal(signal.SIGTERM, terminate)
    log.info("ready; data in %s", settings.data_dir)
    cancel_jobs = True
    try:
        server.serve(sys.stdin.buffer)
        cancel_jobs = False
    except (KeyboardInterrupt, SystemExit):
        pass
    finally:
        server.shutdown(cancel_jobs, wait_seconds=5.0 if cancel_jobs else None)
        backend.close()
        log.info("stopped")


if __name__ == "__main__":
    main()

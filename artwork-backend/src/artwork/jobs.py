"""Long-running work: cancellation tokens, progress reporting, the image slot."""
import threading

from .protocol import BUSY, CANCELLED, RpcError


class Cancelled(RpcError):
    def __init__(self, what="Generation"):
        super().__init__(CANCELLED, f"{what} cancelled",
                         detail=f"{what} was stopped by a cancel request before it finished.",
                         fix="Start it again when you are ready.")


class CancelToken:
    def __init__(self):
        self._event = threading.Event()

    def cancel(self):
        self._event.set()

    @property
    def cancelled(self):
        return self._event.is_set()

    def wait(self, seconds):
        """Sleep up to `seconds`; True if cancelled meanwhile."""
        return self._event.wait(seconds)

    def check(self, what="Generation"):
        if self._event.is_set():
            raise Cancelled(what)


class Progress:
    """Sends progress notifications for one request.

    Percent is clamped to 0..100 and never goes backwards, so a client's
    progress bar does not jump back when a job moves on to another stage.
    """

    def __init__(self, send, request_id, scale=(0.0, 100.0)):
        self._send = send
        self._request_id = request_id
        self._low, self._high = scale
        self._last = -1.0

    def __call__(self, stage, percent, message):
        percent = max(0.0, min(100.0, float(percent)))
        scaled = round(self._low + (self._high - self._low) * percent / 100.0, 1)
        if scaled < self._last:
            scaled = self._last
        self._last = scaled
        self._send(self._request_id, stage, int(scaled) if scaled.is_integer() else scaled, message)

    def sub(self, low, high):
        """A reporter mapping 0..100 onto [low, high] of this one's range."""
        span = self._high - self._low
        child = Progress(self._send, self._request_id,
                         (self._low + span * low / 100.0, self._low + span * high / 100.0))
        child._last = self._last
        return child


def silent_progress(stage, percent, message):
    pass


class ImageSlot:
    """At most one image job (generation or upscale) runs at a time.

    A model on a GPU or the procedural painter on two cores gains nothing from
    running two jobs at once; a second request is refused at once with a clear
    error instead of waiting unseen behind the first.
    """

    def __init__(self):
        self._lock = threading.Lock()
        self._running = None  # (request_id, token, kind)

    def acquire(self, request_id, kind):
        with self._lock:
            if self._running is not None:
                _, _, running_kind = self._running
                raise RpcError(BUSY, f"Another {running_kind} is already running",
                               detail=f"The backend runs one image job at a time; a {running_kind} is in progress.",
                               fix="Wait for it to finish or cancel it, then try again.")
            token = CancelToken()
            self._running = (request_id, token, kind)
            return _SlotLease(self, token)

    def _release(self, token):
        with self._lock:
            if self._running is not None and self._running[1] is token:
                self._running = None

    def cancel(self, request_id=None):
        """Cancel the running job; with a request id only if it is that job."""
        with self._lock:
            if self._running is None:
                return None
            running_id, token, kind = self._running
            if request_id is not None and request_id != running_id:
                return None
            token.cancel()
            return running_id, kind

    def cancel_all(self):
        self.cancel(None)

    @property
    def busy(self):
        with self._lock:
            return self._running is not None


class _SlotLease:
    def __init__(self, slot, token):
        self._slot = slot
        self.token = token

    def __enter__(self):
        return self.token

    def __exit__(self, *exc):
        self._slot._release(self.token)
        return False

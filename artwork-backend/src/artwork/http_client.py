"""Minimal JSON over HTTP with separate connect and read timeouts.

A short connect timeout lets a probe of a server that is not running fail in
well under two seconds, while a long read timeout leaves room for a slow
generation or a long LLM answer once connected.
"""
import http.client
import json
import socket
import ssl
from urllib.parse import urlsplit


class HttpError(Exception):
    def __init__(self, message, status=None, body=""):
        super().__init__(message)
        self.status = status
        self.body = body


def split_url(url):
    parts = urlsplit(url.strip())
    if parts.scheme not in ("http", "https") or not parts.hostname:
        raise HttpError(f"not an http(s) URL: {url!r}")
    path = parts.path or "/"
    if parts.query:
        path += "?" + parts.query
    return parts.scheme, parts.hostname, parts.port, path


def join(base, path):
    return base.rstrip("/") + "/" + path.lstrip("/")


def request(method, url, body=None, headers=None, connect_timeout=3.0, read_timeout=30.0):
    """Returns (status, body bytes). Raises HttpError for transport failures."""
    scheme, host, port, path = split_url(url)
    conn_cls = http.client.HTTPSConnection if scheme == "https" else http.client.HTTPConnection
    kwargs = {"context": ssl.create_default_context()} if scheme == "https" else {}
    conn = conn_cls(host, port, timeout=connect_timeout, **kwargs)
    payload = None
    all_headers = {"Accept": "application/json", "User-Agent": "pictavia-artwork-backend"}
    if body is not None:
        payload = json.dumps(body).encode("utf-8")
        all_headers["Content-Type"] = "application/json"
    all_headers.update(headers or {})
    try:
        conn.connect()
        conn.sock.settimeout(read_timeout)
        conn.request(method, path, body=payload, headers=all_headers)
        response = conn.getresponse()
        data = response.read()
        return response.status, data
    except (socket.timeout, TimeoutError):
        raise HttpError(f"{host}:{port or ''} did not answer in time")
    except (ConnectionError, OSError, http.client.HTTPException) as exc:
        raise HttpError(f"cannot reach {host}{':' + str(port) if port else ''}: {exc}")
    finally:
        conn.close()


def json_request(method, url, body=None, headers=None, connect_timeout=3.0, read_timeout=30.0):
    status, data = request(method, url, body, headers, connect_timeout, read_timeout)
    text = data.decode("utf-8", "replace")
    if status >= 400:
        raise HttpError(f"HTTP {status} from {url}", status, text[:500])
    if not data.strip():
        return None
    try:
        return json.loads(text)
    except ValueError:
        raise HttpError(f"{url} did not answer with JSON", status, text[:500])

"""Benchmarks of the reference backend, over the same pipes the application uses.

    artwork-backend/.venv/bin/python bench/backend/bench_backend.py [--items 10000] [--pings 3000] [--images 5]

Measures:
  1. a page of 50 from a gallery of --items items (get_gallery with offset/limit), round trip;
  2. a procedural 1024 x 1024 generation, round trip and the backend's own generation_time;
  3. what the server adds to a "ping" round trip, against a bare Python loop that
     echoes a reply line through identical pipes.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BACKEND = ROOT / "artwork-backend"
sys.path.insert(0, str(BACKEND / "src"))

ECHO_LOOP = r"""
import sys
out = sys.stdout.buffer
for line in sys.stdin.buffer:
    out.write(b'{"jsonrpc":"2.0","id":"X","result":{"status":"ok"}}\n')
    out.flush()
"""


class Child:
    def __init__(self, argv, env):
        self.proc = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, env=env)
        self.n = 0

    def call(self, method, params=None):
        self.n += 1
        message = {"jsonrpc": "2.0", "id": f"R{self.n}", "method": method}
        if params is not None:
            message["params"] = params
        self.proc.stdin.write((json.dumps(message) + "\n").encode())
        self.proc.stdin.flush()
        while True:
            reply = json.loads(self.proc.stdout.readline())
            if reply.get("method") != "progress":
                return reply

    def timed(self, method, params=None):
        start = time.perf_counter()
        reply = self.call(method, params)
        elapsed = time.perf_counter() - start
        if "error" in reply:
            raise SystemExit(f"{method} failed: {reply['error']}")
        return elapsed, reply["result"]

    def close(self):
        self.proc.stdin.close()
        self.proc.wait(30)


def backend_child(data_dir):
    env = dict(os.environ, PYTHONPATH=str(BACKEND / "src"), ARTWORK_DATA_DIR=str(data_dir),
               PYTHONDONTWRITEBYTECODE="1", ARTWORK_LOG_LEVEL="WARNING")
    child = Child([sys.executable, "-m", "artwork.rpc_server"], env)
    child.call("ping")  # wait for start-up
    return child


def fill_gallery(data_dir, items):
    from PIL import Image
    from artwork.storage.gallery import Gallery
    gallery = Gallery(data_dir)
    image = gallery.images_dir / "bench.png"
    Image.new("RGB", (64, 64)).save(image)
    with gallery._lock, gallery._transaction():
        for n in range(items):
            # Bypass per-row transactions: this only prepares the data.
            gallery._db.execute(
                "INSERT INTO artworks (id, image_path, prompt, model, width, height, seed, created_at, created_ns)"
                " VALUES (?,?,?,?,?,?,?,?,?)",
                (f"bench-{n:06d}", str(image), f"benchmark prompt number {n}, synthwave sunset", "procedural-painter",
                 1024, 1024, n, "2025-03-14T09:26:53Z", 1_700_000_000_000_000_000 + n))
            gallery._db.execute("INSERT INTO tags (artwork_id, position, tag) VALUES (?,?,?)",
                                (f"bench-{n:06d}", 0, "bench"))
    gallery.close()


def ms(seconds):
    return f"{seconds * 1000:.3f} ms"


def summary(samples):
    samples = sorted(samples)
    p95 = samples[min(len(samples) - 1, int(len(samples) * 0.95))]
    return f"median {ms(statistics.median(samples))}, p95 {ms(p95)}, max {ms(samples[-1])} (n={len(samples)})"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--items", type=int, default=10_000)
    parser.add_argument("--pings", type=int, default=3000)
    parser.add_argument("--images", type=int, default=5)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as tmp:
        data = Path(tmp) / "data"
        data.mkdir()
        fill_gallery(data, args.items)
        backend = backend_child(data)

        print(f"1. get_gallery page of 50 from {args.items} items")
        for offset in (0, args.items // 2, max(0, args.items - 50)):
            samples = []
            for _ in range(50):
                elapsed, result = backend.timed("get_gallery", {"offset": offset, "limit": 50})
                samples.append(elapsed)
            assert len(result["items"]) == 50 and result["total_count"] == args.items
            print(f"   offset {offset:>5}: {summary(samples)}")

        print("2. procedural generate_image 1024 x 1024 (default 12 steps)")
        trips, inner = [], []
        for seed in range(args.images):
            elapsed, result = backend.timed("generate_image", {"prompt": "synthwave sunset over a neon city",
                                                               "width": 1024, "height": 1024, "seed": seed})
            trips.append(elapsed)
            inner.append(result["generation_time"])
        print(f"   round trip: {summary(trips)}")
        print(f"   generation_time reported by the backend: median {statistics.median(inner):.3f} s")

        print(f"3. ping round trip, {args.pings} calls")
        echo = Child([sys.executable, "-c", ECHO_LOOP], dict(os.environ))
        for child in (backend, echo):
            for _ in range(200):  # warm up
                child.call("ping")
        server = [backend.timed("ping")[0] for _ in range(args.pings)]
        bare = [echo.timed("ping")[0] for _ in range(args.pings)]
        print(f"   backend:   {summary(server)}")
        print(f"   echo loop: {summary(bare)}")
        print(f"   added by the server (median difference): "
              f"{(statistics.median(server) - statistics.median(bare)) * 1e6:.0f} us")
        echo.close()
        backend.close()


if __name__ == "__main__":
    main()

import json
import os
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]


def test_ping_round_trip():
    env = dict(os.environ, PYTHONPATH=str(ROOT / "src"))
    proc = subprocess.run([sys.executable, "-m", "artwork.rpc_server"], env=env,
                          input='{"jsonrpc":"2.0","id":"A","method":"ping"}\n',
                          capture_output=True, text=True, timeout=30)
    assert json.loads(proc.stdout)["result"] == {"status": "ok"}

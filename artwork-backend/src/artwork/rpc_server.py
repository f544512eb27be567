"""JSON-RPC 2.0 server over standard input and output, one message per line."""
import json
import sys


def handle(request):
    method = request.get("method")
    if method == "ping":
        return {"status": "ok"}
    if method == "list_models":
        return []
    raise LookupError(method)


def main():
    for line in sys.stdin:
        line = line.strip()
        if not line:
            continue
        request = json.loads(line)
        try:
            reply = {"jsonrpc": "2.0", "id": request.get("id"), "result": handle(request)}
        except LookupError:
            reply = {"jsonrpc": "2.0", "id": request.get("id"),
                     "error": {"code": -32601, "message": "Method not found"}}
        sys.stdout.write(json.dumps(reply) + "\n")
        sys.stdout.flush()


if __name__ == "__main__":
    main()

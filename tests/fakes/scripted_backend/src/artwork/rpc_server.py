"""A scripted stand-in for the backend, driven by the tests.

FAKE_BACKEND_SCRIPT names a JSON file:
  {"on_start": [action...], "rules": [{"method": "ping", "actions": [action...], "repeat": false}]}
Each request takes the first unused rule for its method (or "*"); with no rule it gets
{"result": {"method": ..., "params": ...}} ("list_models" gets an empty list). Actions, written to stdout unless said otherwise:
  {"reply": {"result": ...}} / {"reply": {"error": ...}}  a reply line for the request's id
  {"raw": "text"}           text as given, "{id}" replaced by the request id and "{prev}" by the
                            previous request's id
  {"raw_hex": "ff00"}       bytes as given in hexadecimal
  {"chunks": ["a", "b"], "delay": s}  raw pieces flushed separately with a pause between
  {"stderr": "text"}        raw text on standard error
  {"sleep": s}              pause
  {"close_stdout": true}    end of output while the fake keeps running
  {"exit": code}            exit at once
FAKE_BACKEND_RECORD names a file that receives every request line as it arrives, and
FAKE_BACKEND_ENV a file that receives the environment as JSON at start, and FAKE_BACKEND_STARTS
a file that gets one line per start.
"""
import json
import os
import sys
import time

out = sys.stdout.buffer
err = sys.stderr.buffer


def write(data):
    try:
        out.write(data)
        out.flush()
    except OSError:
        pass  # output already closed by a script


def substitute(text, request_id, previous_id):
    return text.replace("{id}", str(request_id)).replace("{prev}", str(previous_id))


def perform(actions, request_id, previous_id=None):
    for action in actions:
        if "reply" in action:
            reply = {"jsonrpc": "2.0", "id": request_id}
            reply.update(action["reply"])
            write(json.dumps(reply).encode() + b"\n")
        elif "raw" in action:
            write(substitute(action["raw"], request_id, previous_id).encode())
        elif "raw_hex" in action:
            write(bytes.fromhex(action["raw_hex"]))
        elif "chunks" in action:
            for chunk in action["chunks"]:
                write(substitute(chunk, request_id, previous_id).encode())
                time.sleep(action.get("delay", 0.05))
        elif "stderr" in action:
            err.write(action["stderr"].encode())
            err.flush()
        elif "sleep" in action:
            time.sleep(action["sleep"])
        elif "close_stdout" in action:
            out.flush()
            os.close(1)
        elif "exit" in action:
            os._exit(action["exit"])


def main():
    script = {}
    if os.environ.get("FAKE_BACKEND_SCRIPT"):
        with open(os.environ["FAKE_BACKEND_SCRIPT"]) as f:
            script = json.load(f)
    if os.environ.get("FAKE_BACKEND_ENV"):
        with open(os.environ["FAKE_BACKEND_ENV"], "w") as f:
            json.dump(dict(os.environ), f)
    if os.environ.get("FAKE_BACKEND_STARTS"):
        with open(os.environ["FAKE_BACKEND_STARTS"], "a") as f:
            f.write("%d\n" % os.getpid())
    record = open(os.environ["FAKE_BACKEND_RECORD"], "ab") if os.environ.get("FAKE_BACKEND_RECORD") else None
    rules = script.get("rules", [])
    perform(script.get("on_start", []), None)
    previous_id = None

    for line in sys.stdin.buffer:
        if record:
            record.write(line)
            record.flush()
        try:
            request = json.loads(line)
        except ValueError:
            continue
        method, request_id = request.get("method"), request.get("id")
        previous_id, current_previous = request_id, previous_id
        rule = next((r for r in rules if not r.get("used") and r["method"] in (method, "*")), None)
        if rule is None:
            echo = [] if method == "list_models" else {"method": method, "params": request.get("params")}
            perform([{"reply": {"result": echo}}], request_id)
            continue
        if not rule.get("repeat"):
            rule["used"] = True
        perform(rule["actions"], request_id, current_previous)


if __name__ == "__main__":
    main()

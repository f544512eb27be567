"""JSON-RPC 2.0 message shapes and the error type every handler raises."""
import json

PARSE_ERROR = -32700
INVALID_REQUEST = -32600
METHOD_NOT_FOUND = -32601
INVALID_PARAMS = -32602
INTERNAL_ERROR = -32603
# Server-defined range (-32000 to -32099).
BACKEND_ERROR = -32000
CANCELLED = -32001
BUSY = -32002
ENGINE_UNAVAILABLE = -32003
NOT_FOUND = -32004
UPSTREAM_ERROR = -32005


class RpcError(Exception):
    """A failure that becomes the `error` member of a reply.

    `detail` and `fix` are shown to the user by the application, so they are
    written for a person: what happened and what to do about it.
    """

    def __init__(self, code, message, detail=None, fix=None, **extra):
        super().__init__(message)
        self.code = code
        self.message = message
        self.detail = detail
        self.fix = fix
        self.extra = extra

    def payload(self):
        error = {"code": self.code, "message": self.message}
        data = {k: v for k, v in self.extra.items() if v is not None}
        if self.detail:
            data["detail"] = self.detail
        if self.fix:
            data["fix"] = self.fix
        if data:
            error["data"] = data
        return error


def invalid_params(param, problem, fix=None):
    return RpcError(INVALID_PARAMS, f"Invalid params: '{param}' {problem}",
                    detail=f"The parameter '{param}' {problem}.", fix=fix, param=param)


def not_found(what, ident):
    return RpcError(NOT_FOUND, f"{what} not found: {ident}",
                    detail=f"No {what.lower()} with id '{ident}' exists in the gallery.",
                    fix="Refresh the gallery; the item may have been deleted.")


def encode(message):
    # json.dumps escapes line feeds inside strings, so one message is always
    # one line; ASCII escaping keeps any text (even a lone surrogate) encodable.
    return json.dumps(message, separators=(",", ":"), allow_nan=False) + "\n"


def result_message(request_id, result):
    return {"jsonrpc": "2.0", "id": request_id, "result": result}


def error_message(request_id, error):
    return {"jsonrpc": "2.0", "id": request_id, "error": error.payload()}


def progress_message(request_id, stage, percent, message):
    params = {"stage": stage, "percent": percent, "message": message}
    if request_id is not None:
        params["id"] = request_id
    return {"jsonrpc": "2.0", "method": "progress", "params": params}

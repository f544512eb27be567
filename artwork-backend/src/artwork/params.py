"""Typed access to a request's params; every mismatch names the parameter."""
import math

from .protocol import invalid_params

_MISSING = object()


class Params:
    def __init__(self, raw):
        if raw is None:
            raw = {}
        if not isinstance(raw, dict):
            raise invalid_params("params", "must be an object",
                                 fix="Send the parameters as a JSON object of named values.")
        self.raw = raw

    def has(self, name):
        return self.raw.get(name) is not None

    def _get(self, name, required):
        """The value, or _MISSING when absent or null (null reads as absent)."""
        value = self.raw.get(name)
        if value is None:
            if required:
                raise invalid_params(name, "is required")
            return _MISSING
        return value

    def text(self, name, required=True, default=None, non_empty=False, max_len=None):
        value = self._get(name, required)
        if value is _MISSING:
            return default
        if not isinstance(value, str):
            raise invalid_params(name, "must be a string")
        if not _is_unicode(value):
            raise invalid_params(name, "must be valid Unicode text")
        if non_empty and not value.strip():
            raise invalid_params(name, "must not be empty")
        if max_len is not None and len(value) > max_len:
            raise invalid_params(name, f"must be at most {max_len} characters long")
        return value

    def integer(self, name, required=True, default=None, minimum=None, maximum=None):
        value = self._get(name, required)
        if value is _MISSING:
            return default
        # Integers may arrive as integral doubles (512.0) from a client that
        # carries every number as a double.
        if not _is_number(value) or not math.isfinite(value) or value != int(value):
            raise invalid_params(name, "must be an integer")
        value = int(value)
        _check_range(name, value, minimum, maximum)
        return value

    def number(self, name, required=True, default=None, minimum=None, maximum=None):
        value = self._get(name, required)
        if value is _MISSING:
            return default
        if not _is_number(value) or not math.isfinite(value):
            raise invalid_params(name, "must be a number")
        value = float(value)
        _check_range(name, value, minimum, maximum)
        return value

    def boolean(self, name, required=True, default=None):
        value = self._get(name, required)
        if value is _MISSING:
            return default
        if not isinstance(value, bool):
            raise invalid_params(name, "must be true or false")
        return value

    def text_list(self, name, required=True, default=None, non_empty=False):
        value = self._get(name, required)
        if value is _MISSING:
            return default
        if not isinstance(value, list) or not all(isinstance(v, str) for v in value):
            raise invalid_params(name, "must be an array of strings")
        if non_empty and not value:
            raise invalid_params(name, "must not be empty")
        return list(value)

    def number_list(self, name, required=True, default=None):
        value = self._get(name, required)
        if value is _MISSING:
            return default
        if not isinstance(value, list) or not all(_is_number(v) and math.isfinite(v) for v in value):
            raise invalid_params(name, "must be an array of numbers")
        return [float(v) for v in value]

    def text_map(self, name, required=True, default=None):
        value = self._get(name, required)
        if value is _MISSING:
            return default
        if not isinstance(value, dict) or not all(isinstance(v, str) for v in value.values()):
            raise invalid_params(name, "must be an object of strings")
        return dict(value)

    def object_list(self, name, required=True, default=None):
        value = self._get(name, required)
        if value is _MISSING:
            return default
        if not isinstance(value, list) or not all(isinstance(v, dict) for v in value):
            raise invalid_params(name, "must be an array of objects")
        return list(value)


def _is_unicode(text):
    try:
        text.encode("utf-8")
        return True
    except UnicodeEncodeError:  # a lone surrogate from a "\\ud800" escape
        return False


def _is_number(value):
    return isinstance(value, (int, float)) and not isinstance(value, bool)


def _check_range(name, value, minimum, maximum):
    if minimum is not None and value < minimum:
        raise invalid_params(name, f"must be at least {_fmt(minimum)}")
    if maximum is not None and value > maximum:
        raise invalid_params(name, f"must be at most {_fmt(maximum)}")


def _fmt(bound):
    return str(int(bound)) if float(bound).is_integer() else str(bound)

"""PNG files with their generation parameters, written atomically."""
import os
import tempfile
from pathlib import Path

from PIL import PngImagePlugin

PARAMETERS_KEY = "parameters"


def format_parameters(prompt, negative_prompt, steps, seed, width, height, model, sampler=None):
    """The "parameters" text in the form image tools widely read:
    prompt, then "Negative prompt: …", then "Steps: …, Seed: …, Size: WxH, Model: …"."""
    lines = [prompt.replace("\r", " ")]
    if negative_prompt:
        lines.append("Negative prompt: " + negative_prompt.replace("\n", " "))
    fields = []
    if steps is not None:
        fields.append(f"Steps: {steps}")
    if sampler:
        fields.append(f"Sampler: {sampler}")
    if seed is not None:
        fields.append(f"Seed: {seed}")
    fields.append(f"Size: {width}x{height}")
    fields.append(f"Model: {model}")
    lines.append(", ".join(fields))
    return "\n".join(lines)


def parse_parameters(text):
    """Inverse of format_parameters, for reading a file's parameters back."""
    lines = text.split("\n")
    fields = {}
    last = lines[-1] if lines else ""
    if last.startswith("Steps: ") or "Size: " in last:
        for part in last.split(", "):
            key, sep, value = part.partition(": ")
            if sep:
                fields[key] = value
        lines = lines[:-1]
    negative = ""
    prompt_lines = []
    for line in lines:
        if line.startswith("Negative prompt: "):
            negative = line[len("Negative prompt: "):]
        else:
            prompt_lines.append(line)
    return {"prompt": "\n".join(prompt_lines), "negative_prompt": negative, **fields}


def save_png(image, path, parameters=None, compress_level=3):
    """Write `image` to `path` through a temporary file in the same folder and a
    rename, so a reader never sees a half-written image."""
    path = Path(path)
    info = None
    if parameters is not None:
        info = PngImagePlugin.PngInfo()
        info.add_itxt(PARAMETERS_KEY, parameters) if not parameters.isascii() else \
            info.add_text(PARAMETERS_KEY, parameters)
    fd, tmp = tempfile.mkstemp(prefix=".tmp-", suffix=".png", dir=path.parent)
    try:
        with os.fdopen(fd, "wb") as handle:
            image.save(handle, "PNG", pnginfo=info, compress_level=compress_level)
        os.replace(tmp, path)
    except BaseException:
        try:
            os.unlink(tmp)
        except FileNotFoundError:
            pass
        raise

"""What every image engine takes and gives, and the size rules they share."""
import re
from dataclasses import dataclass, field

from ..protocol import ENGINE_UNAVAILABLE, RpcError, invalid_params

MIN_SIDE = 64
MAX_SIDE = 4096
MAX_STEPS = 150
_RATIO = re.compile(r"^\s*(\d+(?:\.\d+)?)\s*:\s*(\d+(?:\.\d+)?)\s*$")


@dataclass
class GenerationRequest:
    prompt: str
    width: int
    height: int
    negative_prompt: str = ""
    model: str = ""
    steps: int = 0          # 0: the model's default
    seed: int = 0
    source_image: object = None   # PIL image for img2img
    source_path: str = ""
    image_strength: float = 0.7
    lora_paths: list = field(default_factory=list)
    lora_scales: list = field(default_factory=list)


@dataclass
class Generated:
    image: object           # PIL RGB image
    model: str
    steps: int
    sampler: str = ""
    seed: object = None     # the seed actually used, when the engine reports one


def resolve_size(width, height, aspect_ratio):
    """Honour `aspect_ratio` ("W:H"): a size that already has the ratio is kept;
    otherwise the pixel area is kept and the sides are fitted to the ratio,
    rounded to multiples of 8 as diffusion models expect."""
    if not aspect_ratio:
        return width, height
    match = _RATIO.match(aspect_ratio)
    if not match or float(match.group(1)) <= 0 or float(match.group(2)) <= 0:
        raise invalid_params("aspect_ratio", 'must look like "16:9"')
    rw, rh = float(match.group(1)), float(match.group(2))
    if abs(width / height - rw / rh) <= 0.01 * rw / rh:
        return width, height
    area = width * height
    new_w = (area * rw / rh) ** 0.5
    new_h = new_w * rh / rw
    fit = lambda v: max(MIN_SIDE, min(MAX_SIDE, int(round(v / 8)) * 8))
    return fit(new_w), fit(new_h)


def unavailable(engine, detail, fix):
    return RpcError(ENGINE_UNAVAILABLE, f"The {engine} image engine is not available",
                    detail=detail, fix=fix, engine=engine)


def model_entry(model_id, name, default_steps, license_text, **extra):
    """A model record: every value is text, as the application reads them."""
    entry = {"id": model_id, "name": name, "default_steps": str(default_steps), "license": license_text}
    entry.update({k: str(v) for k, v in extra.items()})
    return entry


class Engine:
    name = ""

    def list_models(self):
        raise NotImplementedError

    def default_model(self):
        return self.list_models()[0]["id"]

    def check_model(self, model_id):
        models = self.list_models()
        if not model_id:
            return models[0]
        for entry in models:
            if entry["id"] == model_id:
                return entry
        names = ", ".join(m["id"] for m in models) or "none"
        raise invalid_params("model", f"names no model of the {self.name} engine",
                             fix=f"Choose one of: {names}; or switch engines with set_image_backend.")

    def generate(self, request, progress, token):
        raise NotImplementedError

    def unload(self):
        return False

    def status(self):
        return "ready"

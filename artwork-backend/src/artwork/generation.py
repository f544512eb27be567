"""Generating and upscaling images and storing them in the gallery."""
import logging
import os
import random
import time
from pathlib import Path

from PIL import Image, ImageFilter, UnidentifiedImageError

from .engines.base import MAX_SIDE, MAX_STEPS, MIN_SIDE, GenerationRequest, resolve_size
from .protocol import BACKEND_ERROR, RpcError, invalid_params
from .storage.pngfiles import PARAMETERS_KEY, format_parameters, parse_parameters

log = logging.getLogger("artwork.generation")

MAX_SEED = 2 ** 32 - 1
MAX_UPSCALE_SIDE = 8192
UPSCALE_METHODS = ("auto", "lanczos")


def open_image(path, param):
    """Open a user-supplied image file, with an error that names the param."""
    if not os.path.isabs(path):
        raise invalid_params(param, "must be an absolute file path")
    if not os.path.isfile(path):
        raise invalid_params(param, f"names no file ({path})")
    try:
        image = Image.open(path)
        image.load()
        return image
    except (UnidentifiedImageError, OSError, Image.DecompressionBombError) as exc:
        raise invalid_params(param, f"is not a readable image ({exc})")


class GenerationService:
    def __init__(self, gallery, engines, slot, disk):
        self._gallery = gallery
        self._engines = engines
        self._slot = slot
        self._disk = disk

    # -- reading params --------------------------------------------------
    def request_from(self, params):
        prompt = params.text("prompt", non_empty=True, max_len=8000).strip()
        width = params.integer("width", minimum=MIN_SIDE, maximum=MAX_SIDE)
        height = params.integer("height", minimum=MIN_SIDE, maximum=MAX_SIDE)
        width, height = resolve_size(width, height, params.text("aspect_ratio", required=False))
        request = GenerationRequest(
            prompt=prompt, width=width, height=height,
            negative_prompt=params.text("negative_prompt", required=False, default="", max_len=8000).strip(),
            model=params.text("model", required=False, default=""),
            steps=params.integer("steps", required=False, default=0, minimum=1, maximum=MAX_STEPS),
            image_strength=params.number("image_strength", required=False, default=0.7, minimum=0.0, maximum=1.0))
        seed = params.integer("seed", required=False, minimum=0, maximum=MAX_SEED)
        request.seed = random.SystemRandom().randint(0, MAX_SEED) if seed is None else seed
        source = params.text("image_path", required=False, default="")
        if source:
            request.source_path = source
            request.source_image = open_image(source, "image_path").convert("RGB")
        request.lora_paths = params.text_list("lora_paths", required=False, default=[])
        scales = params.number_list("lora_scales", required=False)
        if scales is None:
            scales = [1.0] * len(request.lora_paths)
        if len(scales) != len(request.lora_paths):
            raise invalid_params("lora_scales", "must have one scale per entry of lora_paths")
        for path in request.lora_paths:
            if not os.path.isfile(path):
                raise invalid_params("lora_paths", f"names a file that does not exist ({path})")
        request.lora_scales = scales
        return request

    # -- generation ------------------------------------------------------
    def generate(self, request, progress, request_id, tags=()):
        """Run the current engine and store the result. Raises BUSY when
        another image job runs, Cancelled when cancelled."""
        self._disk.require_space()
        engine = self._engines.current()
        engine.check_model(request.model)
        if request.lora_paths and engine.name not in ("remote",):
            raise RpcError(BACKEND_ERROR, f"The {engine.name} engine cannot apply LoRA styles",
                           detail="LoRA files adapt a diffusion model; this engine has none to adapt.",
                           fix="Remove the LoRA styles, or use a Remote Server that has these LoRAs installed.")
        with self._slot.acquire(request_id, "generation") as token:
            started = time.monotonic()
            result = engine.generate(request, progress.sub(0, 94), token)
            token.check()
            progress("saving", 95, "Saving the image")
            image = result.image
            seed = result.seed if result.seed is not None else request.seed
            parameters = format_parameters(request.prompt, request.negative_prompt, result.steps, seed,
                                           image.width, image.height, result.model, result.sampler)
            tags = list(tags) + (["img2img"] if request.source_image is not None else [])
            item = self._gallery.store(image, parameters, prompt=request.prompt, model=result.model, seed=seed,
                                       steps=result.steps, negative_prompt=request.negative_prompt, tags=tags)
            elapsed = round(time.monotonic() - started, 3)
            progress("done", 100, "Image ready")
        log.info("generated %s (%dx%d, %s) in %.2fs", item["id"], image.width, image.height, result.model, elapsed)
        out = {"image_path": item["image_path"], "prompt": request.prompt, "model": result.model,
               "width": image.width, "height": image.height, "generation_time": elapsed,
               "gallery_id": item["id"], "steps": result.steps, "engine": engine.name}
        if seed is not None:
            out["seed"] = seed
        return out

    # -- upscaling -------------------------------------------------------
    def upscale(self, params, progress, request_id):
        source_path = params.text("image_path", non_empty=True)
        target_w = params.integer("target_width", minimum=1, maximum=MAX_UPSCALE_SIDE)
        target_h = params.integer("target_height", minimum=1, maximum=MAX_UPSCALE_SIDE)
        method = params.text("method", required=False, default="auto")
        if method not in UPSCALE_METHODS:
            raise invalid_params("method", f"must be one of {', '.join(UPSCALE_METHODS)}")
        self._disk.require_space()
        with self._slot.acquire(request_id, "upscale") as token:
            started = time.monotonic()
            progress("loading", 5, "Loading the image")
            source = open_image(source_path, "image_path")
            parameters = source.info.get(PARAMETERS_KEY)
            source = source.convert("RGB")
            # Fit inside the target box, keeping the aspect ratio.
            scale = min(target_w / source.width, target_h / source.height)
            width, height = max(1, round(source.width * scale)), max(1, round(source.height * scale))
            token.check("Upscale")
            progress("upscaling", 20, f"Resizing to {width}x{height} with Lanczos")
            image = source.resize((width, height), Image.LANCZOS)
            token.check("Upscale")
            if scale > 1.5:
                progress("upscaling", 70, "Sharpening")
                image = image.filter(ImageFilter.UnsharpMask(radius=2, percent=60, threshold=3))
            token.check("Upscale")
            progress("saving", 85, "Saving the upscaled image")
            original = self._gallery.find_by_path(source_path)
            info = parse_parameters(parameters) if parameters else {}
            prompt = original["prompt"] if original else info.get("prompt") or f"Upscaled {Path(source_path).name}"
            model = original["model"] if original else info.get("Model", "lanczos")
            seed = original.get("seed") if original else None
            parameters = format_parameters(prompt, info.get("negative_prompt", ""), None, seed, width, height,
                                           model, f"Lanczos upscale from {source.width}x{source.height}")
            item = self._gallery.store(image, parameters, prompt=prompt, model=model, seed=seed,
                                       tags=["upscaled"], kind="upscaled",
                                       source_id=original["id"] if original else None)
            progress("done", 100, "Upscale complete")
        return {"image_path": item["image_path"], "width": width, "height": height,
                "generation_time": round(time.monotonic() - started, 3), "method": "lanczos",
                "gallery_id": item["id"]}

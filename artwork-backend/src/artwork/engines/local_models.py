"""Engines that run diffusion models on this machine: mflux (Apple MLX) and
Hugging Face diffusers (PyTorch). Each needs its packages and downloaded
weights; without them generating fails with a message saying what to install."""
import importlib.util
import platform

from .base import Engine, Generated, model_entry, unavailable

PROCEDURAL_HINT = ("Or choose the Procedural engine (works offline here), or a Remote Server "
                   "running an /sdapi/v1 image API.")


def _has(module):
    try:
        return importlib.util.find_spec(module) is not None
    except (ImportError, ValueError):
        return False


class MfluxEngine(Engine):
    name = "mflux"

    def __init__(self):
        self._flux = None
        self._loaded = None

    def list_models(self):
        return [model_entry("schnell", "FLUX.1 [schnell]", 4, "Apache-2.0"),
                model_entry("dev", "FLUX.1 [dev]", 20, "FLUX.1 [dev] non-commercial licence")]

    def _check(self):
        system, machine = platform.system(), platform.machine()
        if system != "Darwin" or machine != "arm64":
            raise unavailable("mflux", f"mflux runs FLUX with Apple MLX, which needs macOS on Apple Silicon; "
                                       f"this machine is {system} {machine}.", PROCEDURAL_HINT)
        if not _has("mflux"):
            raise unavailable("mflux", "The mflux package is not installed in the backend's environment.",
                              "Run artwork-backend/.venv/bin/pip install mflux (about 4 GB of weights "
                              "download on first use). " + PROCEDURAL_HINT)

    def generate(self, request, progress, token):
        self._check()
        model = self.check_model(request.model)["id"]
        from mflux import Config, Flux1  # only importable on Apple Silicon
        if self._loaded != model:
            progress("loading", 2, f"Loading FLUX.1 {model}")
            self._flux = Flux1.from_name(model_name=model, quantize=8)
            self._loaded = model
        token.check()
        steps = request.steps or int(self.check_model(model)["default_steps"])
        progress("generating", 10, "Generating with mflux")
        result = self._flux.generate_image(seed=request.seed, prompt=request.prompt,
                                           config=Config(num_inference_steps=steps, height=request.height,
                                                         width=request.width))
        token.check()
        return Generated(result.image.convert("RGB"), f"flux-{model}", steps, "mflux", request.seed)

    def unload(self):
        loaded = self._flux is not None
        self._flux, self._loaded = None, None
        return loaded


class DiffusersEngine(Engine):
    name = "diffusers"

    def __init__(self):
        self._pipe = None
        self._loaded = None

    def list_models(self):
        return [model_entry("stabilityai/sdxl-turbo", "SDXL Turbo", 4, "Stability AI Community licence"),
                model_entry("black-forest-labs/FLUX.1-schnell", "FLUX.1 [schnell]", 4, "Apache-2.0")]

    def _check(self):
        missing = [m for m in ("torch", "diffusers") if not _has(m)]
        if missing:
            raise unavailable("diffusers", f"The Python package(s) {', '.join(missing)} are not installed "
                                           "in the backend's environment.",
                              "Run artwork-backend/.venv/bin/pip install torch diffusers transformers "
                              "accelerate; model weights download on first use. " + PROCEDURAL_HINT)

    def generate(self, request, progress, token):
        self._check()
        model = self.check_model(request.model)["id"]
        import torch
        from diffusers import AutoPipelineForText2Image
        if self._loaded != model:
            progress("loading", 2, f"Loading {model}")
            self._pipe = AutoPipelineForText2Image.from_pretrained(model)
            device = "cuda" if torch.cuda.is_available() else (
                "mps" if getattr(torch.backends, "mps", None) and torch.backends.mps.is_available() else "cpu")
            self._pipe.to(device)
            self._loaded = model
        steps = request.steps or int(self.check_model(model)["default_steps"])

        def on_step(pipe, step, timestep, kwargs):
            if token.cancelled:
                pipe._interrupt = True
            progress("generating", 10 + 85 * (step + 1) / steps, f"Step {step + 1} of {steps}")
            return kwargs

        generator = torch.Generator("cpu").manual_seed(request.seed)
        image = self._pipe(prompt=request.prompt, negative_prompt=request.negative_prompt or None,
                           width=request.width, height=request.height, num_inference_steps=steps,
                           generator=generator, callback_on_step_end=on_step).images[0]
        token.check()
        return Generated(image.convert("RGB"), model, steps, "diffusers", request.seed)

    def unload(self):
        loaded = self._pipe is not None
        self._pipe, self._loaded = None, None
        return loaded

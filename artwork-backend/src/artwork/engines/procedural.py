"""The built-in engine: an offline procedural painter steered by the prompt's words."""
from .base import Engine, Generated, model_entry
from .painter import paint

MODEL_ID = "procedural-painter"
DEFAULT_STEPS = 12


class ProceduralEngine(Engine):
    name = "procedural"

    def list_models(self):
        return [model_entry(
            MODEL_ID, "Procedural Painter (offline, no AI model)", DEFAULT_STEPS,
            "Built in; no model weights",
            description="Paints gradients, shapes and light from the colour, mood, genre and subject "
                        "words of the prompt. Deterministic: same prompt, seed and size, same image.")]

    def generate(self, request, progress, token):
        model = self.check_model(request.model)
        steps = request.steps or DEFAULT_STEPS
        image, _scene = paint(request.prompt, request.negative_prompt, request.width, request.height,
                              request.seed, steps, progress, token,
                              source=request.source_image, source_strength=request.image_strength)
        return Generated(image, model["id"], steps, "procedural", request.seed)

"""Image methods: engines, models, generation, upscaling, cancel, overlay."""
import time

from ..composite import compose
from ..generation import open_image
from ..jobs import Progress
from ..protocol import invalid_params
from ..storage.pngfiles import PARAMETERS_KEY


def register(registry, backend):
    engines, generation, slot, gallery = backend.engines, backend.generation, backend.slot, backend.gallery

    def set_image_backend(call):
        name = engines.select(call.params.text("backend"))
        return {"backend": name}

    def list_models(call):
        return engines.current().list_models()

    def generate_image(call):
        request = generation.request_from(call.params)
        return generation.generate(request, Progress(backend.output_progress, call.request_id),
                                   call.request_id)

    def upscale_image(call):
        return generation.upscale(call.params, Progress(backend.output_progress, call.request_id),
                                  call.request_id)

    def cancel_generation(call):
        request_id = call.params.text("request_id", required=False)
        cancelled = slot.cancel(request_id)
        if cancelled is None:
            return {"cancelled": False, "reason": "No matching generation is running"}
        return {"cancelled": True, "request_id": cancelled[0], "job": cancelled[1]}

    def unload_model(call):
        engine_freed = engines.current().unload()
        llm_freed = backend.llm.unload()
        return {"unloaded": bool(engine_freed or llm_freed), "engine": engines.current_name}

    def composite_image(call):
        p = call.params
        source_path = p.text("image_path", non_empty=True)
        layout = p.text("layout")
        title = p.text("title", max_len=300)
        artist = p.text("artist", required=False, default="", max_len=300)
        album = p.text("album", required=False, default="", max_len=300)
        genre = p.text("genre", required=False, default="", max_len=100)
        if not title.strip() and not artist.strip():
            raise invalid_params("title", "must not be empty when no artist is given")
        started = time.monotonic()
        source = open_image(source_path, "image_path")
        parameters = source.info.get(PARAMETERS_KEY)
        image = compose(source, layout, title.strip(), artist.strip(), album.strip(), genre.strip())
        original = gallery.find_by_path(source_path)
        prompt = original["prompt"] if original else title
        model = original["model"] if original else "text-overlay"
        item = gallery.store(image, parameters, prompt=prompt, model=model,
                             seed=original.get("seed") if original else None,
                             tags=["overlay", f"layout:{layout}"], kind="overlay",
                             source_id=original["id"] if original else None)
        return {"image_path": item["image_path"], "gallery_id": item["id"], "width": image.width,
                "height": image.height, "layout": layout,
                "generation_time": round(time.monotonic() - started, 3)}

    registry.add("set_image_backend", set_image_backend)
    registry.add("list_models", list_models, background=True)  # remote: an HTTP round trip
    registry.add("generate_image", generate_image, background=True)
    registry.add("upscale_image", upscale_image, background=True)
    registry.add("cancel_generation", cancel_generation)
    registry.add("unload_model", unload_model)
    registry.add("composite_image", composite_image, background=True)

"""Choosing engines; engines that cannot run here say what to do."""
import pytest

from harness import small_generation


def test_procedural_is_the_default_and_named_for_what_it_is(backend):
    (model,) = backend.call("list_models")
    assert model["id"] == "procedural-painter" and "procedural" in model["name"].lower()
    assert all(isinstance(v, str) for v in model.values())
    assert set(model) >= {"id", "name", "default_steps", "license"}


@pytest.mark.parametrize("engine, words", [
    ("mflux", "Apple"),
    ("diffusers", "torch"),
    ("bfl_api", "BFL_API_KEY"),
    ("remote", "URL"),
])
def test_unavailable_engines_fail_with_detail_and_fix(shared_backend, engine, words):
    backend = shared_backend
    backend.call("set_image_backend", {"backend": engine})
    models = backend.call("list_models") if engine != "remote" else []
    assert all(set(m) >= {"id", "name", "default_steps", "license"} for m in models)
    params = small_generation()
    if models:
        params["model"] = models[0]["id"]
    error = backend.error("generate_image", params)
    assert error["code"] == -32003
    assert error["data"]["detail"] and words in error["data"]["detail"] + error["data"]["fix"]
    backend.call("set_image_backend", {"backend": "procedural"})
    assert backend.call("generate_image", small_generation())["model"] == "procedural-painter"


def test_unknown_model_is_refused(shared_backend):
    error = shared_backend.error("generate_image", small_generation(model="flux-schnell"))
    assert error["data"]["param"] == "model" and "procedural-painter" in error["data"]["fix"]


def test_lora_with_procedural_is_refused(backend, tmp_path):
    lora = tmp_path / "style.safetensors"
    lora.write_bytes(b"\0")
    error = backend.error("generate_image", small_generation(lora_paths=[str(lora)], lora_scales=[0.8]))
    assert "LoRA" in error["message"]

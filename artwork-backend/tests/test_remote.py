"""The remote engine against a fake /sdapi/v1 server on loopback."""
import pytest
from PIL import Image

from fakes import FakeSdapi
from harness import small_generation


@pytest.fixture
def sdapi():
    server = FakeSdapi()
    yield server
    server.close()


def use_remote(backend, url):
    backend.call("set_config", {"remote_server_url": url + "/"})
    backend.call("set_image_backend", {"backend": "remote"})


def test_models_come_from_the_server(backend, sdapi):
    use_remote(backend, sdapi.url)
    (model,) = backend.call("list_models")
    assert model["id"] == "dreamshaper_8.safetensors [879db523c3]" and model["name"] == "dreamshaper_8"
    assert all(isinstance(v, str) for v in model.values())


def test_txt2img_request_and_result(backend, sdapi, tmp_path):
    use_remote(backend, sdapi.url)
    lora = tmp_path / "ink.safetensors"
    lora.write_bytes(b"\0")
    result = backend.call("generate_image", small_generation(negative_prompt="blurry", steps=7, seed=123,
                                                             model="dreamshaper_8.safetensors [879db523c3]",
                                                             lora_paths=[str(lora)], lora_scales=[0.6]))
    (body,) = sdapi.bodies("/sdapi/v1/txt2img")
    assert body["prompt"] == "synthwave sunset over the sea <lora:ink:0.6>"
    assert (body["negative_prompt"], body["steps"], body["seed"], body["width"]) == ("blurry", 7, 123, 96)
    assert body["override_settings"]["sd_model_checkpoint"] == "dreamshaper_8.safetensors [879db523c3]"
    assert result["model"] == "dreamshaper_8" and result["seed"] == 123
    assert Image.open(result["image_path"]).getpixel((5, 5)) == (200, 30, 30)
    assert backend.call("get_gallery")[0]["id"] == result["gallery_id"]


def test_img2img_sends_the_source_and_strength(backend, sdapi, tmp_path):
    use_remote(backend, sdapi.url)
    source = tmp_path / "src.png"
    Image.new("RGB", (40, 40), (1, 2, 3)).save(source)
    backend.call("generate_image", small_generation(image_path=str(source), image_strength=0.8))
    (body,) = sdapi.bodies("/sdapi/v1/img2img")
    assert len(body["init_images"]) == 1 and body["denoising_strength"] == pytest.approx(0.2)


def test_progress_is_relayed_and_cancel_interrupts(backend):
    server = FakeSdapi(hold=True)
    try:
        use_remote(backend, server.url)
        job = backend.send("generate_image", small_generation())
        backend.wait_progress(job, lambda n: n["params"]["message"] == "Step 10 of 20")
        assert backend.call("cancel_generation")["cancelled"] is True
        reply = backend.reply(job)
        assert reply["error"]["code"] == -32001
        assert server.interrupted.is_set()
    finally:
        server.release.set()
        server.close()


def test_unreachable_server_is_a_clear_error(backend):
    use_remote(backend, "http://127.0.0.1:9")  # discard port: nothing listens
    error = backend.error("generate_image", small_generation())
    assert error["code"] == -32005 and "127.0.0.1" in error["data"]["detail"] and error["data"]["fix"]
    assert backend.call("ping")["status"] == "ok"


def test_bfl_api_submits_polls_and_downloads(start_backend):
    from fakes import FakeBfl
    server = FakeBfl()
    try:
        backend = start_backend(ARTWORK_BFL_API_URL=server.url, BFL_API_KEY="bfl-test-key")
        backend.call("set_image_backend", {"backend": "bfl_api"})
        result = backend.call("generate_image", small_generation(model="flux-dev", steps=9, seed=5))
        (method, path, headers, body) = server.requests[0]
        assert (method, path, headers["x-key"]) == ("POST", "/v1/flux-dev", "bfl-test-key")
        assert (body["prompt"], body["seed"], body["steps"]) == ("synthwave sunset over the sea", 5, 9)
        assert sum(p.startswith("/v1/get_result") for p in server.paths()) == 3
        assert (result["width"], result["height"], result["model"]) == (64, 48, "flux-dev")
        assert Image.open(result["image_path"]).getpixel((1, 1)) == (10, 200, 10)
    finally:
        server.close()

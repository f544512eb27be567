"""Image generation, long-job behaviour and upscaling, through the server process."""
from pathlib import Path

import pytest
from PIL import Image, ImageChops, ImageStat

from harness import small_generation

# Long enough (150 refinement steps) to still be running while the test talks to the server.
BIG_JOB = {"prompt": "endless galaxy of stars", "width": 2048, "height": 2048, "steps": 150, "seed": 3}


def pixels(path):
    with Image.open(path) as img:
        return img.convert("RGB").tobytes()


def test_same_prompt_seed_and_size_give_the_same_pixels(backend):
    a = backend.call("generate_image", small_generation(seed=11))
    b = backend.call("generate_image", small_generation(seed=11))
    c = backend.call("generate_image", small_generation(seed=12))
    assert a["image_path"] != b["image_path"]
    assert pixels(a["image_path"]) == pixels(b["image_path"])
    assert pixels(a["image_path"]) != pixels(c["image_path"])


def test_result_shape_and_png_parameters(backend):
    result = backend.call("generate_image", small_generation("jazz club at night", negative_prompt="people",
                                                             seed=99, steps=3))
    assert result["model"] == "procedural-painter" and result["seed"] == 99
    assert result["width"] == 96 and result["height"] == 96 and result["gallery_id"]
    assert isinstance(result["generation_time"], float)
    with Image.open(result["image_path"]) as img:
        text = img.text["parameters"]
    assert text.splitlines() == ["jazz club at night", "Negative prompt: people",
                                 "Steps: 3, Sampler: procedural, Seed: 99, Size: 96x96, Model: procedural-painter"]


def test_seed_is_chosen_and_reported_when_not_given(backend):
    params = small_generation()
    del params["seed"]
    result = backend.call("generate_image", params)
    assert isinstance(result["seed"], int) and 0 <= result["seed"] < 2 ** 32
    again = backend.call("generate_image", small_generation(seed=result["seed"]))
    assert pixels(again["image_path"]) == pixels(result["image_path"])


@pytest.mark.parametrize("ratio, size, expected", [
    ("16:9", (1280, 720), (1280, 720)),     # already the ratio: kept
    ("3:2", (300, 300), (368, 248)),        # area kept, sides fitted to the ratio
    ("1:1", (200, 100), (144, 144)),
])
def test_aspect_ratio_is_honoured(backend, ratio, size, expected):
    result = backend.call("generate_image", small_generation(width=size[0], height=size[1], aspect_ratio=ratio,
                                                             steps=1))
    assert (result["width"], result["height"]) == expected
    assert Image.open(result["image_path"]).size == expected


@pytest.mark.parametrize("warm, cool", [
    ("crimson red fire", "deep blue ocean"),
    ("golden orange sunset", "icy cyan night"),
])
def test_colour_words_steer_the_palette(backend, warm, cool):
    def mean(prompt):
        path = backend.call("generate_image", small_generation(prompt, width=128, height=128))["image_path"]
        return ImageStat.Stat(Image.open(path).convert("RGB")).mean
    w, c = mean(warm), mean(cool)
    assert w[0] > w[2] and c[2] > c[0]


def test_more_steps_change_and_refine_the_same_picture(backend):
    few = backend.call("generate_image", small_generation(steps=1, width=128, height=128))
    many = backend.call("generate_image", small_generation(steps=24, width=128, height=128))
    other_seed = backend.call("generate_image", small_generation(steps=24, width=128, height=128, seed=2))
    a, b, c = (Image.open(r["image_path"]).convert("RGB") for r in (few, many, other_seed))
    difference = lambda x, y: sum(ImageStat.Stat(ImageChops.difference(x, y)).mean)
    assert a.tobytes() != b.tobytes()
    # Steps refine the same composition: far closer than another seed's picture.
    assert difference(a, b) < difference(b, c)


def test_img2img_follows_the_source(backend, tmp_path):
    source = tmp_path / "half.png"
    img = Image.new("RGB", (96, 96), (0, 0, 0))
    img.paste((255, 255, 255), (0, 0, 48, 96))
    img.save(source)
    result = backend.call("generate_image", small_generation(image_path=str(source), image_strength=0.9))
    out = Image.open(result["image_path"]).convert("L")
    left, right = out.crop((0, 0, 48, 96)), out.crop((48, 0, 96, 96))
    assert ImageStat.Stat(left).mean[0] > ImageStat.Stat(right).mean[0] + 40
    assert "img2img" in backend.call("get_gallery")[0]["tags"]


def test_progress_is_reported_in_order(backend):
    request_id = backend.send("generate_image", small_generation(steps=4))
    assert "result" in backend.reply(request_id)
    progress = backend.progress_of(request_id)
    percents = [p["percent"] for p in progress]
    assert percents == sorted(percents) and percents[-1] == 100
    assert all(isinstance(p["stage"], str) and isinstance(p["message"], str) for p in progress)
    assert any(p["message"] == "Step 4 of 4" for p in progress)


def test_loop_answers_while_a_job_runs_and_cancel_stops_it(backend):
    job = backend.send("generate_image", BIG_JOB)
    backend.wait_progress(job, lambda n: n["params"]["stage"] == "refining")
    assert backend.call("ping")["status"] == "ok"
    assert set(backend.call("check_disk_space")) >= {"free_gb", "total_gb", "warning", "critical"}
    busy = backend.error("generate_image", small_generation())
    assert busy["code"] == -32002 and busy["data"]["fix"]
    assert backend.call("cancel_generation", {"request_id": "someone-else"})["cancelled"] is False
    assert backend.call("cancel_generation")["cancelled"] is True
    reply = backend.reply(job)
    assert reply["error"]["code"] == -32001 and "cancelled" in reply["error"]["message"]
    assert backend.call("get_gallery") == []          # nothing half-made is stored
    assert backend.call("generate_image", small_generation())["image_path"]  # the slot is free again


def test_cancel_with_nothing_running(backend):
    assert backend.call("cancel_generation") == {"cancelled": False, "reason": "No matching generation is running"}


def test_upscale_fits_the_target_and_is_stored(backend):
    made = backend.call("generate_image", small_generation(width=160, height=96))
    up = backend.call("upscale_image", {"image_path": made["image_path"], "target_width": 500,
                                        "target_height": 500, "method": "auto"})
    assert (up["width"], up["height"]) == (500, 300) and up["method"] == "lanczos"
    assert Image.open(up["image_path"]).size == (500, 300)
    newest = backend.call("get_gallery")[0]
    assert newest["id"] == up["gallery_id"] and "upscaled" in newest["tags"]
    assert newest["prompt"] == made["prompt"]
    assert Path(made["image_path"]).exists()          # the original is kept
    with Image.open(up["image_path"]) as img:
        assert "Size: 500x300" in img.text["parameters"]


def test_upscale_rejects_unknown_method(backend):
    made = backend.call("generate_image", small_generation())
    error = backend.error("upscale_image", {"image_path": made["image_path"], "target_width": 200,
                                            "target_height": 200, "method": "esrgan"})
    assert error["data"]["param"] == "method"


def test_critical_disk_refuses_to_generate(start_backend):
    backend = start_backend(ARTWORK_DISK_WARNING_GB="1e12", ARTWORK_DISK_CRITICAL_GB="1e11")
    status = backend.call("check_disk_space")
    assert status["warning"] is True and status["critical"] is True
    error = backend.error("generate_image", small_generation())
    assert error["message"] == "Not enough disk space" and error["data"]["fix"]


def test_default_thresholds_leave_a_normal_disk_alone(backend):
    status = backend.call("check_disk_space")
    assert isinstance(status["free_gb"], float) and status["total_gb"] >= status["free_gb"]
    assert status["critical"] is (status["free_gb"] < 2)

"""Text overlay layouts and prompt templates."""
import pytest
from PIL import Image, ImageChops

from harness import small_generation


@pytest.fixture
def artwork(backend):
    return backend.call("generate_image", small_generation(width=320, height=320, steps=1))


@pytest.mark.parametrize("layout, extra", [
    ("track", {"artist": "Nova", "album": "Night Drive"}),
    ("album", {"artist": "Nova", "genre": "Synthwave"}),
    ("artist", {"artist": "Nova"}),
    ("track", {}),                                   # title only
])
def test_overlay_writes_a_new_file(backend, artwork, layout, extra):
    result = backend.call("composite_image", {"image_path": artwork["image_path"], "layout": layout,
                                              "title": "Midnight", **extra})
    assert result["image_path"] != artwork["image_path"]
    before, after = Image.open(artwork["image_path"]).convert("RGB"), Image.open(result["image_path"]).convert("RGB")
    assert after.size == before.size
    assert ImageChops.difference(before, after).getbbox() is not None
    newest = backend.call("get_gallery")[0]
    assert newest["id"] == result["gallery_id"] and "overlay" in newest["tags"]


def test_overlay_rejects_an_unknown_layout(backend, artwork):
    error = backend.error("composite_image", {"image_path": artwork["image_path"], "layout": "poster", "title": "T"})
    assert error["data"]["param"] == "layout"


def test_templates_cover_every_category(shared_backend):
    backend = shared_backend
    templates = backend.call("list_templates")
    assert len(templates) >= 8
    assert {t["category"] for t in templates} == {"album", "track", "artist", "general"}
    for t in templates:
        assert set(t) >= {"id", "name", "category", "description", "placeholders", "defaults"}
        assert all(isinstance(p, str) and isinstance(t["defaults"][p], str) for p in t["placeholders"])
    albums = backend.call("list_templates", {"category": "album"})
    assert albums and all(t["category"] == "album" for t in albums)


def test_apply_fills_values_then_defaults(shared_backend):
    backend = shared_backend
    template = next(t for t in backend.call("list_templates") if t["id"] == "track-single")
    values = {"title": "Glass Heart", "genre": "  "}          # a blank value falls back to the default
    prompt = backend.call("apply_template", {"template_id": "track-single", "values": values})["prompt"]
    assert '"Glass Heart"' in prompt and template["defaults"]["genre"] in prompt
    assert "{" not in prompt
    error = backend.error("apply_template", {"template_id": "nope", "values": {}})
    assert error["code"] == -32004

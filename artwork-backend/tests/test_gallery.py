"""Gallery storage and its methods, through the server process."""
import os
from datetime import datetime
from pathlib import Path

import pytest
from PIL import Image

from harness import RpcFailure, small_generation


@pytest.fixture
def three(backend):
    return [backend.call("generate_image", small_generation(f"item {n}", seed=n)) for n in range(3)]


def test_items_are_listed_newest_first_in_both_forms(backend, three):
    plain = backend.call("get_gallery")
    assert [i["id"] for i in plain] == [r["gallery_id"] for r in reversed(three)]
    page = backend.call("get_gallery", {"offset": 1, "limit": 1})
    assert page["total_count"] == 3 and page["offset"] == 1 and page["limit"] == 1
    assert [i["id"] for i in page["items"]] == [three[1]["gallery_id"]]
    item = plain[0]
    assert set(item) >= {"id", "image_path", "prompt", "model", "width", "height", "created_at"}
    assert os.path.isabs(item["image_path"]) and Path(item["image_path"]).is_file()
    # The application parses whole-second ISO 8601 with a zone designator.
    datetime.strptime(item["created_at"], "%Y-%m-%dT%H:%M:%SZ")


def test_page_beyond_the_end_is_empty(backend, three):
    page = backend.call("get_gallery", {"offset": 10, "limit": 50})
    assert page["items"] == [] and page["total_count"] == 3


def test_update_favorite_rating_and_tags(backend, three):
    target = three[0]["gallery_id"]
    backend.call("update_artwork", {"id": target, "favorite": True, "rating": 4})
    backend.call("update_artwork", {"id": target, "tags": ["cover", "dark", "cover"]})
    item = next(i for i in backend.call("get_gallery") if i["id"] == target)
    assert item["favorite"] is True and item["rating"] == 4 and item["tags"] == ["cover", "dark"]
    backend.call("update_artwork", {"id": target, "rating": 0})
    item = next(i for i in backend.call("get_gallery") if i["id"] == target)
    assert item["rating"] == 0


def test_update_of_unknown_item_fails(backend):
    error = backend.error("update_artwork", {"id": "nope", "favorite": True})
    assert error["code"] == -32004 and error["data"]["fix"]


def test_delete_removes_row_and_file(backend, three):
    victim = three[1]
    backend.call("delete_artwork", {"id": victim["gallery_id"]})
    assert not Path(victim["image_path"]).exists()
    assert victim["gallery_id"] not in [i["id"] for i in backend.call("get_gallery")]
    assert backend.error("delete_artwork", {"id": victim["gallery_id"]})["code"] == -32004


def test_collections_are_counted_and_mirrored_as_tags(backend, three):
    a, b, c = (r["gallery_id"] for r in three)
    for item in (a, b):
        backend.call("add_to_collection", {"item_id": item, "collection": "Album Covers"})
    backend.call("add_to_collection", {"item_id": a, "collection": "Album Covers"})  # twice: no duplicate
    backend.call("add_to_collection", {"item_id": c, "collection": "B-Sides"})
    assert backend.call("list_collections") == [{"name": "Album Covers", "count": 2}, {"name": "B-Sides", "count": 1}]
    tags = {i["id"]: i["tags"] for i in backend.call("get_gallery")}
    assert tags[a] == ["collection:Album Covers"]
    backend.call("remove_from_collection", {"item_id": a, "collection": "Album Covers"})
    assert backend.call("list_collections")[0] == {"name": "Album Covers", "count": 1}
    with pytest.raises(RpcFailure) as failure:
        backend.call("add_to_collection", {"item_id": "missing", "collection": "X"})
    assert failure.value.code == -32004


def test_batch_tag_rate_delete(backend, three):
    ids = [r["gallery_id"] for r in three]
    assert backend.call("gallery.batch_tag", {"item_ids": ids[:2], "tags": ["vinyl"], "action": "add"})["updated"] == 2
    assert backend.call("gallery.batch_rate", {"item_ids": ids, "rating": 5})["updated"] == 3
    items = {i["id"]: i for i in backend.call("get_gallery")}
    assert items[ids[0]]["tags"] == ["vinyl"] and items[ids[2]]["tags"] == []
    assert {i["rating"] for i in items.values()} == {5}
    result = backend.call("gallery.batch_delete", {"item_ids": ids[:2] + ["ghost"]})
    assert result == {"deleted": 2, "missing": ["ghost"]}
    assert [i["id"] for i in backend.call("get_gallery")] == [ids[2]]
    assert not Path(three[0]["image_path"]).exists()


def test_batch_export_never_overwrites(backend, three, tmp_path):
    out = tmp_path / "out"
    out.mkdir()
    first = Path(three[0]["image_path"])
    (out / first.name).write_bytes(b"precious")
    result = backend.call("gallery.batch_export", {"item_ids": [three[0]["gallery_id"], three[1]["gallery_id"]],
                                                   "target_dir": str(out), "format": "png"})
    assert result["exported"] == 2
    assert (out / first.name).read_bytes() == b"precious"
    copies = sorted(out.iterdir())
    assert len(copies) == 3
    for path in result["paths"]:
        assert Image.open(path).size == (96, 96)
    error = backend.error("gallery.batch_export", {"item_ids": [three[0]["gallery_id"]],
                                                   "target_dir": str(tmp_path / "missing"), "format": "png"})
    assert error["data"]["param"] == "target_dir"


def test_gallery_survives_a_restart(start_backend, tmp_path):
    first = start_backend()
    made = first.call("generate_image", small_generation())
    first.close()
    from harness import BackendProcess
    again = BackendProcess(first.data_dir)
    try:
        assert [i["id"] for i in again.call("get_gallery")] == [made["gallery_id"]]
    finally:
        again.close()

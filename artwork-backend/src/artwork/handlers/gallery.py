"""Gallery methods: pages, edits, deletion, collections and batch operations."""
from pathlib import Path

from ..protocol import invalid_params, not_found
from ..storage.gallery import EXPORT_FORMATS, check_collection_name, check_tag

MAX_PAGE = 500


def register(registry, gallery):
    def get_gallery(call):
        p = call.params
        if not (p.has("offset") or p.has("limit")):
            return gallery.all()
        offset = p.integer("offset", required=False, default=0, minimum=0)
        limit = p.integer("limit", required=False, default=50, minimum=1, maximum=MAX_PAGE)
        items, total = gallery.page(offset, limit)
        return {"items": items, "total_count": total, "offset": offset, "limit": limit}

    def update_artwork(call):
        p = call.params
        artwork_id = p.text("id", non_empty=True)
        favorite = p.boolean("favorite", required=False)
        rating = p.integer("rating", required=False, minimum=0, maximum=5)
        tags = p.text_list("tags", required=False)
        if tags is not None:
            tags = [check_tag(t) for t in tags]
        if favorite is None and rating is None and tags is None:
            raise invalid_params("params", "must hold at least one of favorite, rating or tags")
        return gallery.update(artwork_id, favorite=favorite, rating=rating, tags=tags)

    def delete_artwork(call):
        artwork_id = call.params.text("id", non_empty=True)
        gallery.delete(artwork_id)
        return {"deleted": artwork_id}

    def list_collections(call):
        return gallery.collections()

    def add_to_collection(call):
        item_id = call.params.text("item_id", non_empty=True)
        name = check_collection_name(call.params.text("collection"))
        return gallery.add_to_collection(item_id, name)

    def remove_from_collection(call):
        item_id = call.params.text("item_id", non_empty=True)
        name = check_collection_name(call.params.text("collection"))
        return gallery.remove_from_collection(item_id, name)

    def ids_of(call):
        return call.params.text_list("item_ids", non_empty=True)

    def batch_delete(call):
        deleted, missing = gallery.delete_many(ids_of(call))
        return {"deleted": len(deleted), "missing": missing}

    def batch_tag(call):
        ids = ids_of(call)
        tags = [check_tag(t) for t in call.params.text_list("tags", non_empty=True)]
        action = call.params.text("action", required=False, default="add")
        if action == "add":
            done, missing = gallery.tag_many(ids, tags)
        elif action == "remove":
            done, missing = gallery.untag_many(ids, tags)
        else:
            raise invalid_params("action", 'must be "add" or "remove"')
        return {"updated": len(done), "missing": missing}

    def batch_rate(call):
        ids = ids_of(call)
        rating = call.params.integer("rating", minimum=0, maximum=5)
        done, missing = gallery.rate_many(ids, rating)
        return {"updated": len(done), "missing": missing}

    def batch_export(call):
        ids = ids_of(call)
        target = call.params.text("target_dir", non_empty=True)
        fmt = call.params.text("format", required=False, default="png").lower()
        if fmt not in EXPORT_FORMATS:
            raise invalid_params("format", f"must be one of {', '.join(sorted(EXPORT_FORMATS))}")
        if not Path(target).is_absolute():
            raise invalid_params("target_dir", "must be an absolute folder path")
        if not Path(target).is_dir():
            raise invalid_params("target_dir", f"names no existing folder ({target})")
        written, missing, missing_files = gallery.export(ids, target, fmt)
        if not written and (missing or missing_files):
            raise not_found("Artwork", ", ".join(missing + missing_files))
        return {"exported": len(written), "paths": written, "missing": missing, "missing_files": missing_files}

    registry.add("get_gallery", get_gallery)
    registry.add("update_artwork", update_artwork)
    registry.add("delete_artwork", delete_artwork)
    registry.add("list_collections", list_collections)
    registry.add("add_to_collection", add_to_collection)
    registry.add("remove_from_collection", remove_from_collection)
    registry.add("gallery.batch_delete", batch_delete)
    registry.add("gallery.batch_tag", batch_tag)
    registry.add("gallery.batch_rate", batch_rate)
    # Copying many large files can take a while; keep the loop answering.
    registry.add("gallery.batch_export", batch_export, background=True)

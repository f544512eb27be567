"""The gallery: artwork records in SQLite, images as PNG files beside it.

Collection membership is stored as the item's tag "collection:{name}", so the
tags the application shows and the collections it lists can never disagree.
"""
import os
import shutil
import sqlite3
import threading
import time
import uuid
from datetime import datetime, timezone
from pathlib import Path

from PIL import Image

from ..protocol import INVALID_PARAMS, RpcError, invalid_params, not_found
from .pngfiles import save_png

COLLECTION_PREFIX = "collection:"
EXPORT_FORMATS = {"png": ("PNG", ".png"), "jpeg": ("JPEG", ".jpg"), "jpg": ("JPEG", ".jpg")}

_SCHEMA = """
CREATE TABLE IF NOT EXISTS artworks (
    id TEXT PRIMARY KEY,
    image_path TEXT NOT NULL,
    prompt TEXT NOT NULL,
    negative_prompt TEXT NOT NULL DEFAULT '',
    model TEXT NOT NULL,
    width INTEGER NOT NULL,
    height INTEGER NOT NULL,
    seed INTEGER,
    steps INTEGER,
    created_at TEXT NOT NULL,
    created_ns INTEGER NOT NULL,
    rating INTEGER NOT NULL DEFAULT 0,
    favorite INTEGER NOT NULL DEFAULT 0,
    kind TEXT NOT NULL DEFAULT 'generated',
    source_id TEXT
);
CREATE INDEX IF NOT EXISTS artworks_by_time ON artworks(created_ns);
CREATE TABLE IF NOT EXISTS tags (
    artwork_id TEXT NOT NULL REFERENCES artworks(id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    tag TEXT NOT NULL,
    PRIMARY KEY (artwork_id, tag)
);
CREATE INDEX IF NOT EXISTS tags_by_tag ON tags(tag);
"""

_COLUMNS = "id, image_path, prompt, model, width, height, seed, created_at, rating, favorite"


def iso_utc(ns):
    """Whole-second UTC timestamp with a Z, the form the application parses
    (it reads fractional seconds as "now")."""
    return datetime.fromtimestamp(ns // 1_000_000_000, timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")


def check_tag(tag, param="tags"):
    cleaned = tag.strip()
    if not cleaned:
        raise invalid_params(param, "must not contain empty tags")
    if "\n" in cleaned or len(cleaned) > 200:
        raise invalid_params(param, "must hold single-line tags of at most 200 characters")
    return cleaned


def check_collection_name(name):
    cleaned = name.strip()
    if not cleaned:
        raise invalid_params("collection", "must not be empty")
    if "\n" in cleaned or len(cleaned) > 200:
        raise invalid_params("collection", "must be a single line of at most 200 characters")
    return cleaned


class Gallery:
    def __init__(self, data_dir, clock_ns=time.time_ns):
        self.data_dir = Path(data_dir)
        self.images_dir = self.data_dir / "images"
        self.images_dir.mkdir(parents=True, exist_ok=True)
        self._clock_ns = clock_ns
        self._last_ns = 0
        self._lock = threading.RLock()
        self._db = sqlite3.connect(self.data_dir / "gallery.sqlite3", check_same_thread=False,
                                   isolation_level=None)
        self._db.execute("PRAGMA journal_mode=WAL")
        self._db.execute("PRAGMA synchronous=NORMAL")
        self._db.execute("PRAGMA foreign_keys=ON")
        self._db.executescript(_SCHEMA)

    def close(self):
        with self._lock:
            self._db.close()

    # -- files -----------------------------------------------------------
    def new_image_path(self, artwork_id, suffix=""):
        return self.images_dir / f"{artwork_id}{suffix}.png"

    def owns_file(self, path):
        try:
            return Path(path).resolve().parent == self.images_dir.resolve()
        except OSError:
            return False

    # -- writes ----------------------------------------------------------
    def new_id(self):
        return str(uuid.uuid4())

    def store(self, image, parameters, **record):
        """Write the image file and its record together: if the record cannot
        be stored, the file is removed again, so no image is left orphaned."""
        artwork_id = self.new_id()
        path = self.new_image_path(artwork_id)
        save_png(image, path, parameters)
        try:
            return self.add(artwork_id, path, width=image.width, height=image.height, **record)
        except BaseException:
            path.unlink(missing_ok=True)
            raise

    def add(self, artwork_id, image_path, prompt, model, width, height, seed=None, steps=None,
            negative_prompt="", tags=(), kind="generated", source_id=None):
        with self._lock:
            ns = max(self._clock_ns(), self._last_ns + 1)  # strictly increasing: stable newest-first
            self._last_ns = ns
            with self._transaction():
                self._db.execute(
                    "INSERT INTO artworks (id, image_path, prompt, negative_prompt, model, width, height,"
                    " seed, steps, created_at, created_ns, kind, source_id)"
                    " VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)",
                    (artwork_id, str(image_path), prompt, negative_prompt or "", model, int(width),
                     int(height), seed, steps, iso_utc(ns), ns, kind, source_id))
                self._append_tags(artwork_id, tags)
            return self.get(artwork_id)

    def update(self, artwork_id, favorite=None, rating=None, tags=None):
        with self._lock:
            self._require(artwork_id)
            with self._transaction():
                if favorite is not None:
                    self._db.execute("UPDATE artworks SET favorite=? WHERE id=?", (int(favorite), artwork_id))
                if rating is not None:
                    self._db.execute("UPDATE artworks SET rating=? WHERE id=?", (rating, artwork_id))
                if tags is not None:
                    self._db.execute("DELETE FROM tags WHERE artwork_id=?", (artwork_id,))
                    self._append_tags(artwork_id, tags)
            return self.get(artwork_id)

    def delete(self, artwork_id):
        with self._lock:
            path = self._require(artwork_id)["image_path"]
            self._db.execute("DELETE FROM artworks WHERE id=?", (artwork_id,))
        self._remove_file(path)

    def delete_many(self, ids):
        with self._lock:
            found = self._existing(ids)
            with self._transaction():
                self._db.executemany("DELETE FROM artworks WHERE id=?", [(i,) for i in found])
        for path in found.values():
            self._remove_file(path)
        return [i for i in ids if i in found], [i for i in ids if i not in found]

    def tag_many(self, ids, tags):
        with self._lock:
            found = self._existing(ids)
            with self._transaction():
                for artwork_id in found:
                    self._append_tags(artwork_id, tags)
        return [i for i in ids if i in found], [i for i in ids if i not in found]

    def untag_many(self, ids, tags):
        with self._lock:
            found = self._existing(ids)
            with self._transaction():
                self._db.executemany("DELETE FROM tags WHERE artwork_id=? AND tag=?",
                                     [(i, t) for i in found for t in tags])
        return [i for i in ids if i in found], [i for i in ids if i not in found]

    def rate_many(self, ids, rating):
        with self._lock:
            found = self._existing(ids)
            with self._transaction():
                self._db.executemany("UPDATE artworks SET rating=? WHERE id=?", [(rating, i) for i in found])
        return [i for i in ids if i in found], [i for i in ids if i not in found]

    def add_to_collection(self, artwork_id, name):
        with self._lock:
            self._require(artwork_id)
            self._append_tags(artwork_id, [COLLECTION_PREFIX + name])
            return self.get(artwork_id)

    def remove_from_collection(self, artwork_id, name):
        with self._lock:
            self._require(artwork_id)
            self._db.execute("DELETE FROM tags WHERE artwork_id=? AND tag=?",
                             (artwork_id, COLLECTION_PREFIX + name))
            return self.get(artwork_id)

    # -- reads -----------------------------------------------------------
    def get(self, artwork_id):
        with self._lock:
            row = self._db.execute(f"SELECT {_COLUMNS} FROM artworks WHERE id=?", (artwork_id,)).fetchone()
            return self._items([row])[0] if row else None

    def find_by_path(self, image_path):
        with self._lock:
            row = self._db.execute(f"SELECT {_COLUMNS} FROM artworks WHERE image_path=?"
                                   " ORDER BY created_ns DESC LIMIT 1", (str(image_path),)).fetchone()
            return self._items([row])[0] if row else None

    def page(self, offset, limit):
        with self._lock:
            rows = self._db.execute(f"SELECT {_COLUMNS} FROM artworks ORDER BY created_ns DESC, rowid DESC"
                                    " LIMIT ? OFFSET ?", (limit, offset)).fetchall()
            total = self._db.execute("SELECT COUNT(*) FROM artworks").fetchone()[0]
            return self._items(rows), total

    def all(self):
        with self._lock:
            rows = self._db.execute(f"SELECT {_COLUMNS} FROM artworks ORDER BY created_ns DESC, rowid DESC").fetchall()
            return self._items(rows)

    def count(self):
        with self._lock:
            return self._db.execute("SELECT COUNT(*) FROM artworks").fetchone()[0]

    def collections(self):
        with self._lock:
            rows = self._db.execute(
                "SELECT substr(tag, ?), COUNT(*) FROM tags WHERE tag >= ? AND tag < ?"
                " GROUP BY tag ORDER BY lower(substr(tag, ?)), tag",
                (len(COLLECTION_PREFIX) + 1, COLLECTION_PREFIX, COLLECTION_PREFIX[:-1] + ";",
                 len(COLLECTION_PREFIX) + 1)).fetchall()
        return [{"name": name, "count": count} for name, count in rows]

    def export(self, ids, target_dir, fmt):
        """Copy each item's image into `target_dir`; an existing file is never
        replaced: the copy gets a free name instead."""
        pil_format, suffix = EXPORT_FORMATS[fmt]
        target = Path(target_dir)
        with self._lock:
            found = self._existing(ids)
        written, missing_files = [], []
        for artwork_id in ids:
            source = found.get(artwork_id)
            if source is None:
                continue
            if not Path(source).is_file():
                missing_files.append(artwork_id)
                continue
            stem = Path(source).stem
            handle, dest = _create_exclusive(target, stem, suffix)
            try:
                with handle:
                    if pil_format == "PNG" and source.lower().endswith(".png"):
                        with open(source, "rb") as src:
                            shutil.copyfileobj(src, handle)
                    else:
                        with Image.open(source) as img:
                            img.convert("RGB").save(handle, pil_format, quality=95)
            except BaseException:
                dest.unlink(missing_ok=True)
                raise
            written.append(str(dest))
        missing = [i for i in ids if i not in found]
        return written, missing, missing_files

    # -- helpers ---------------------------------------------------------
    def _transaction(self):
        return _Transaction(self._db)

    def _require(self, artwork_id):
        row = self._db.execute("SELECT image_path FROM artworks WHERE id=?", (artwork_id,)).fetchone()
        if row is None:
            raise not_found("Artwork", artwork_id)
        return {"image_path": row[0]}

    def _existing(self, ids):
        found = {}
        unique = list(dict.fromkeys(ids))
        for start in range(0, len(unique), 500):
            chunk = unique[start:start + 500]
            marks = ",".join("?" * len(chunk))
            for artwork_id, path in self._db.execute(
                    f"SELECT id, image_path FROM artworks WHERE id IN ({marks})", chunk):
                found[artwork_id] = path
        return found

    def _append_tags(self, artwork_id, tags):
        start = self._db.execute("SELECT COALESCE(MAX(position), -1) + 1 FROM tags WHERE artwork_id=?",
                                 (artwork_id,)).fetchone()[0]
        for offset, tag in enumerate(dict.fromkeys(tags)):
            self._db.execute("INSERT OR IGNORE INTO tags (artwork_id, position, tag) VALUES (?,?,?)",
                             (artwork_id, start + offset, tag))

    def _items(self, rows):
        if not rows:
            return []
        ids = [row[0] for row in rows]
        tags = {i: [] for i in ids}
        marks = ",".join("?" * len(ids))
        for artwork_id, tag in self._db.execute(
                f"SELECT artwork_id, tag FROM tags WHERE artwork_id IN ({marks}) ORDER BY artwork_id, position",
                ids):
            tags[artwork_id].append(tag)
        items = []
        for (artwork_id, path, prompt, model, width, height, seed, created_at, rating, favorite) in rows:
            item = {"id": artwork_id, "image_path": path, "prompt": prompt, "model": model,
                    "width": width, "height": height, "created_at": created_at,
                    "rating": rating, "tags": tags[artwork_id], "favorite": bool(favorite)}
            if seed is not None:
                item["seed"] = seed
            items.append(item)
        return items

    def _remove_file(self, path):
        # Only files this gallery wrote are removed; a record pointing elsewhere
        # must not make the backend delete a user's file.
        if self.owns_file(path):
            try:
                os.unlink(path)
            except FileNotFoundError:
                pass


class _Transaction:
    def __init__(self, db):
        self._db = db

    def __enter__(self):
        self._db.execute("BEGIN IMMEDIATE")

    def __exit__(self, exc_type, exc, tb):
        self._db.execute("COMMIT" if exc_type is None else "ROLLBACK")
        return False


def _create_exclusive(folder, stem, suffix):
    for n in range(1, 10_000):
        name = f"{stem}{suffix}" if n == 1 else f"{stem} ({n}){suffix}"
        dest = folder / name
        try:
            return open(dest, "xb"), dest
        except FileExistsError:
            continue
    raise RpcError(INVALID_PARAMS, "No free file name in the export folder",
                   detail=f"Too many files named like {stem}{suffix} in {folder}.")

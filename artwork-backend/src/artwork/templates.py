"""Built-in prompt templates for album, track and artist artwork."""
import re

from .protocol import NOT_FOUND, RpcError, invalid_params

CATEGORIES = ("album", "track", "artist", "general")
_SLOT = re.compile(r"\{([a-z_]+)\}")


def _template(tid, name, category, description, text, defaults):
    placeholders = list(dict.fromkeys(_SLOT.findall(text)))
    assert set(placeholders) == set(defaults), tid
    return {"id": tid, "name": name, "category": category, "description": description,
            "template": text, "placeholders": placeholders, "defaults": defaults}


TEMPLATES = [
    _template("album-cinematic", "Cinematic Album Cover", "album",
              "A wide, dramatic scene with room for the title.",
              "{genre} album cover, {subject}, {mood} atmosphere, cinematic lighting, "
              "centred composition with space for the title, {palette} colour palette",
              {"genre": "synthwave", "subject": "a lone figure on a neon-lit highway", "mood": "nostalgic",
               "palette": "magenta and teal"}),
    _template("album-minimal", "Minimal Album Cover", "album",
              "One strong shape on a clean background.",
              "minimalist {genre} album cover, a single {shape} on a {background} background, "
              "generous negative space, {mood} mood",
              {"genre": "ambient", "shape": "glowing circle", "background": "deep navy", "mood": "calm"}),
    _template("album-vintage", "Vintage Record Sleeve", "album",
              "A worn, retro sleeve look.",
              "vintage {decade} {genre} record sleeve, {subject}, faded print texture, {palette} tones",
              {"decade": "1970s", "genre": "soul", "subject": "a sunset over the city", "palette": "warm orange"}),
    _template("track-single", "Single Cover", "track",
              "A bold square cover for a single.",
              "cover art for the {genre} single \"{title}\", {subject}, {mood}, bold graphic style, square format",
              {"genre": "electronic", "title": "Midnight Drive", "subject": "city lights streaking past",
               "mood": "energetic"}),
    _template("track-remix", "Remix Cover", "track",
              "A remix of an existing look with a twist.",
              "{genre} remix cover, {subject} reimagined with {style}, vibrant {palette} accents",
              {"genre": "house", "subject": "a spinning vinyl record", "style": "glitch effects",
               "palette": "gold"}),
    _template("artist-portrait", "Artist Portrait Backdrop", "artist",
              "A backdrop for an artist's profile image.",
              "profile backdrop for a {genre} artist, {setting}, {lighting} lighting, {mood} mood, portrait framing",
              {"genre": "jazz", "setting": "a smoky club stage", "lighting": "warm spotlight", "mood": "intimate"}),
    _template("artist-banner", "Artist Banner", "artist",
              "A wide banner for streaming and social profiles.",
              "wide banner artwork for a {genre} artist, {subject}, {palette} colour scheme, clean horizon line",
              {"genre": "folk", "subject": "misty mountains at dawn", "palette": "earthy green"}),
    _template("general-landscape", "Mood Landscape", "general",
              "A landscape that carries a feeling.",
              "{mood} landscape of {place} at {time}, {palette} colours, atmospheric depth",
              {"mood": "dreamy", "place": "a quiet lake", "time": "sunset", "palette": "pink and violet"}),
    _template("general-abstract", "Abstract Texture", "general",
              "Abstract shapes and colour for backgrounds.",
              "abstract {style} artwork, flowing {shape} forms, {palette} palette, {mood} energy",
              {"style": "psychedelic", "shape": "wave", "palette": "rainbow", "mood": "vibrant"}),
]
_BY_ID = {t["id"]: t for t in TEMPLATES}


def list_templates(category=None):
    if category is not None and category not in CATEGORIES:
        raise invalid_params("category", f"must be one of {', '.join(CATEGORIES)}")
    return [dict(t) for t in TEMPLATES if category is None or t["category"] == category]


def apply_template(template_id, values):
    template = _BY_ID.get(template_id)
    if template is None:
        raise RpcError(NOT_FOUND, f"Template not found: {template_id}",
                       detail=f"There is no template with id '{template_id}'.",
                       fix="Reload the template list.")

    def fill(match):
        key = match.group(1)
        given = values.get(key, "").strip()
        return given or template["defaults"][key]

    prompt = _SLOT.sub(fill, template["template"])
    return {"prompt": prompt, "template_id": template_id}

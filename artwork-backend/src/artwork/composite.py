"""Title, artist, album and genre text set onto artwork in three layouts."""
from pathlib import Path

from PIL import Image, ImageDraw, ImageFilter, ImageFont

from .protocol import invalid_params

LAYOUTS = ("track", "album", "artist")
FONT_DIR = Path("/usr/share/fonts/truetype/dejavu")
BOLD = "DejaVuSans-Bold.ttf"
REGULAR = "DejaVuSans.ttf"
CONDENSED = "DejaVuSansCondensed-Bold.ttf"


def _font(name, size):
    try:
        return ImageFont.truetype(str(FONT_DIR / name), size)
    except OSError:
        return ImageFont.load_default()


def _fitted(draw, text, name, size, max_width):
    """The largest font up to `size` at which `text` fits in `max_width`."""
    size = max(8, int(size))
    while size > 8:
        font = _font(name, size)
        if draw.textlength(text, font=font) <= max_width:
            return font
        size = int(size * 0.9)
    return _font(name, 8)


def _shade(image, box, top_alpha, bottom_alpha):
    """Darken a band so light text stays legible on any picture."""
    x0, y0, x1, y1 = (int(v) for v in box)
    if y1 <= y0:
        return image
    band = Image.linear_gradient("L").resize((x1 - x0, y1 - y0))
    band = band.point(lambda v: int(top_alpha + (bottom_alpha - top_alpha) * v / 255))
    black = Image.new("RGB", band.size, (0, 0, 0))
    region = image.crop((x0, y0, x1, y1))
    image.paste(Image.composite(black, region, band), (x0, y0))
    return image


def _text(image, xy, text, font, anchor, fill=(255, 255, 255)):
    """Text with a soft shadow beneath it."""
    shadow = Image.new("L", image.size, 0)
    ImageDraw.Draw(shadow).text((xy[0] + 2, xy[1] + 3), text, font=font, anchor=anchor, fill=180)
    shadow = shadow.filter(ImageFilter.GaussianBlur(max(2, font.size // 14)))
    image.paste((0, 0, 0), (0, 0) + image.size, shadow)
    ImageDraw.Draw(image).text(xy, text, font=font, anchor=anchor, fill=fill)


def compose(image, layout, title, artist="", album="", genre=""):
    if layout not in LAYOUTS:
        raise invalid_params("layout", f"must be one of {', '.join(LAYOUTS)}")
    image = image.convert("RGB")
    w, h = image.size
    draw = ImageDraw.Draw(image)
    margin = int(w * 0.06)
    usable = w - 2 * margin
    unit = min(w, h)
    if layout == "track":
        # Title large at the bottom left, artist under it, album above it.
        image = _shade(image, (0, h * 0.55, w, h), 0, 190)
        y = h - margin
        if artist:
            font = _fitted(draw, artist, REGULAR, unit * 0.05, usable)
            _text(image, (margin, y), artist, font, "ls", (235, 235, 235))
            y -= int(font.size * 1.5)
        font = _fitted(draw, title, BOLD, unit * 0.09, usable)
        _text(image, (margin, y), title, font, "ls")
        y -= int(font.size * 1.25)
        if album:
            small = _fitted(draw, album.upper(), CONDENSED, unit * 0.03, usable)
            _text(image, (margin, y), album.upper(), small, "ls", (220, 220, 220))
    elif layout == "album":
        # Artist across the top, title across the bottom, genre in a corner.
        image = _shade(image, (0, 0, w, h * 0.25), 150, 0)
        image = _shade(image, (0, h * 0.7, w, h), 0, 170)
        if artist:
            font = _fitted(draw, artist.upper(), BOLD, unit * 0.08, usable)
            _text(image, (w / 2, margin), artist.upper(), font, "mt")
        font = _fitted(draw, title, BOLD, unit * 0.075, usable)
        _text(image, (w / 2, h - margin), title, font, "ms")
        if album and album != title:
            small = _fitted(draw, album, REGULAR, unit * 0.035, usable)
            _text(image, (w / 2, h - margin - font.size * 1.3), album, small, "ms", (225, 225, 225))
        if genre:
            small = _fitted(draw, genre.upper(), CONDENSED, unit * 0.028, usable / 2)
            _text(image, (w - margin, h - margin * 0.35), genre.upper(), small, "rs", (210, 210, 210))
    else:
        # Artist profile: the name large in the lower third, the title beneath.
        image = _shade(image, (0, h * 0.45, w, h), 0, 200)
        name = artist or title
        font = _fitted(draw, name, BOLD, unit * 0.11, usable)
        _text(image, (w / 2, h * 0.8), name, font, "ms")
        sub = title if artist else ""
        if sub:
            small = _fitted(draw, sub, REGULAR, unit * 0.045, usable)
            _text(image, (w / 2, h * 0.8 + small.size * 1.5), sub, small, "ms", (230, 230, 230))
        if genre:
            small = _fitted(draw, genre.upper(), CONDENSED, unit * 0.03, usable)
            _text(image, (w / 2, h - margin * 0.5), genre.upper(), small, "ms", (210, 210, 210))
    return image

"""Whole-image building blocks on Pillow's C operations (no per-pixel Python)."""
from PIL import Image, ImageChops, ImageDraw, ImageFilter


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def luminance(rgb):
    r, g, b = rgb
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def vertical_gradient(size, stops):
    """`stops` is a list of (position 0..1, rgb) sorted by position."""
    w, h = size
    strip = Image.new("RGB", (1, 256))
    pixels = []
    for i in range(256):
        t = i / 255
        for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
            if t <= p1 or (p1, c1) == stops[-1]:
                span = (p1 - p0) or 1.0
                pixels.append(lerp(c0, c1, max(0.0, min(1.0, (t - p0) / span))))
                break
    strip.putdata(pixels)
    return strip.resize((w, h), Image.BILINEAR)


def diagonal_gradient(size, c0, c1, angle):
    w, h = size
    side = int((w * w + h * h) ** 0.5) + 2
    mask = Image.linear_gradient("L").resize((side, side), Image.BILINEAR).rotate(angle, Image.BILINEAR)
    left, top = (side - w) // 2, (side - h) // 2
    mask = mask.crop((left, top, left + w, top + h))
    return Image.composite(Image.new("RGB", size, c1), Image.new("RGB", size, c0), mask)


_DISC = None


def unit_disc():
    # Pillow's radial gradient reaches white only in the corners (distance
    # 181 of 256); rescale so the falloff ends at the edge midpoints instead,
    # leaving no square outline.
    global _DISC
    if _DISC is None:
        _DISC = Image.radial_gradient("L").point([max(0, 255 - v * 181 // 128) for v in range(256)])
    return _DISC


def radial_falloff(size, centre, radius):
    """L mask: 255 at `centre`, falling to 0 at `radius` and beyond."""
    r = max(1, int(radius))
    disc = unit_disc().resize((2 * r, 2 * r), Image.BILINEAR)
    mask = Image.new("L", size, 0)
    mask.paste(disc, (int(centre[0]) - r, int(centre[1]) - r))
    return mask


def scale_mask(mask, factor):
    return mask.point(lambda v: int(v * factor))


def glow(canvas, centre, radius, colour, strength=1.0):
    """Screen-blend a soft light of `colour` around `centre`."""
    mask = radial_falloff(canvas.size, centre, radius)
    if strength != 1.0:
        mask = scale_mask(mask, strength)
    layer = Image.new("RGB", canvas.size, (0, 0, 0))
    layer.paste(colour, (0, 0) + canvas.size, mask)
    return ImageChops.screen(canvas, layer)


def soft_layer(size, scale):
    """An RGBA drawing surface at 1/`scale` resolution, for blurred shapes."""
    w, h = size
    return Image.new("RGBA", (max(1, w // scale), max(1, h // scale)), (0, 0, 0, 0))


def merge_soft(canvas, layer, blur, mode="over"):
    """Blur a reduced-resolution layer, enlarge it and put it over `canvas`."""
    if blur > 0:
        layer = layer.filter(ImageFilter.GaussianBlur(blur))
    layer = layer.resize(canvas.size, Image.BICUBIC)
    if mode == "screen":
        rgb = Image.new("RGB", canvas.size, (0, 0, 0))
        rgb.paste(layer.convert("RGB"), (0, 0), layer.getchannel("A"))
        return ImageChops.screen(canvas, rgb)
    base = canvas.convert("RGBA")
    base.alpha_composite(layer)
    return base.convert("RGB")


def noise(size, rng, cell=1):
    """Deterministic grey noise from `rng`, in cells of `cell` pixels."""
    w, h = size
    nw, nh = max(1, -(-w // cell)), max(1, -(-h // cell))
    small = Image.frombytes("L", (nw, nh), rng.randbytes(nw * nh))
    if (nw, nh) == (w, h):
        return small
    return small.resize((w, h), Image.BICUBIC)


def draw_rgba(size):
    layer = Image.new("RGBA", size, (0, 0, 0, 0))
    return layer, ImageDraw.Draw(layer)


def ridge(rng, width, base_y, amplitude, roughness, points=129):
    """A mountain ridge line by midpoint displacement: [(x, y), ...]."""
    n = points - 1
    heights = [0.0] * points
    heights[0], heights[n] = rng.uniform(-1, 1), rng.uniform(-1, 1)
    step, scale = n, 1.0
    while step > 1:
        half = step // 2
        for i in range(half, n, step):
            heights[i] = (heights[i - half] + heights[i + half]) / 2 + rng.uniform(-scale, scale)
        step, scale = half, scale * roughness
    peak = max(abs(v) for v in heights) or 1.0
    return [(width * i / n, base_y - amplitude * heights[i] / peak) for i in range(points)]

"""The procedural painter: a scene plan rendered in layers, then refined in steps.

Everything is drawn with Pillow's C-level operations; randomness comes from
seeded generators only, so a prompt, seed, size and step count always give the
same pixels.
"""
import math
import random

from PIL import Image, ImageChops, ImageDraw, ImageEnhance, ImageFilter, ImageOps

from . import raster
from .raster import glow, lerp
from .scene import plan
from .vocabulary import stable_hash

MAX_DETAIL_OCTAVES = 7


def paint(prompt, negative_prompt, width, height, seed, steps, progress, token,
          source=None, source_strength=0.0):
    """Render and return an RGB image. `progress(stage, percent, message)`;
    `token.check()` raises when the job is cancelled."""
    layout_rng = random.Random(stable_hash("layout", seed, prompt, negative_prompt))
    scene = plan(prompt, negative_prompt, layout_rng)
    size = (width, height)
    progress("composing", 2, f"Composing a {scene.composition} scene")

    canvas = COMPOSERS[scene.composition](size, scene, layout_rng)
    token.check()
    progress("composing", 25, "Adding atmosphere")
    canvas = _atmosphere(canvas, scene, layout_rng)
    token.check()

    if source is not None:
        canvas = _blend_source(canvas, source, source_strength, scene)
        progress("composing", 35, "Blending the source image")

    detail_rng = random.Random(stable_hash("detail", seed, prompt, width, height))
    detail = Image.new("L", size, 128)
    for step in range(steps):
        token.check()
        detail = _refine(detail, step, detail_rng)
        progress("refining", 35 + 55 * (step + 1) / steps, f"Step {step + 1} of {steps}")

    token.check()
    canvas = _apply_detail(canvas, detail, steps)
    canvas = _finish(canvas, scene, steps, random.Random(stable_hash("grain", seed, width, height, steps)))
    progress("finishing", 98, "Finishing")
    return canvas, scene


# -- compositions ----------------------------------------------------------

def _horizon(size, scene, rng):
    w, h = size
    horizon = int(h * rng.uniform(0.56, 0.72))
    t = horizon / h
    canvas = raster.vertical_gradient(size, [(0.0, scene.deep), (t * 0.55, scene.dark),
                                             (t * 0.92, lerp(scene.mid, scene.accent, 0.5)),
                                             (t, scene.light), (1.0, scene.deep)])
    if "stars" in scene.elements:
        canvas = _stars(canvas, rng, (0, 0, w, int(horizon * 0.8)), density=0.5)
    if "clouds" in scene.elements or rng.random() < 0.35:
        canvas = _clouds(canvas, scene, rng, (0, int(horizon * 0.1), w, int(horizon * 0.8)))
    if "moon" in scene.elements:
        canvas = _moon(canvas, scene, rng, (rng.uniform(0.15, 0.85) * w, rng.uniform(0.12, 0.4) * h),
                       min(w, h) * rng.uniform(0.05, 0.09))
    if "sun" in scene.elements or ("moon" not in scene.elements and rng.random() < 0.6):
        _sun(canvas, scene, rng, horizon)
        canvas = glow(canvas, (w * 0.5, horizon), min(w, h) * 0.7, scene.accent, 0.45)
    ground_top = horizon
    draw = ImageDraw.Draw(canvas)
    if "mountains" in scene.elements or (not scene.elements & {"city", "water", "desert"} and rng.random() < 0.7):
        layers = rng.randint(2, 3)
        for i in range(layers):
            depth = i / max(1, layers - 1)
            colour = lerp(lerp(scene.mid, scene.light, 0.35), scene.deep, 0.35 + 0.6 * depth)
            line = raster.ridge(rng, w, horizon + h * 0.02 * i, h * rng.uniform(0.12, 0.26) * (1 - 0.3 * depth),
                                rng.uniform(0.5, 0.62))
            draw.polygon(line + [(w, h), (0, h)], fill=colour)
    if "desert" in scene.elements:
        for i in range(3):
            phase, amp = rng.uniform(0, 6.3), h * 0.03 * (i + 1)
            base = horizon + h * 0.06 * i
            pts = [(x, base + amp * math.sin(x / w * 3.1 + phase)) for x in range(0, w + 16, 16)]
            draw.polygon(pts + [(w, h), (0, h)], fill=lerp(scene.accent, scene.dark, 0.25 + 0.25 * i))
    if "city" in scene.elements:
        _city(draw, scene, rng, size, horizon)
    if "forest" in scene.elements:
        _forest(draw, scene, rng, size, horizon)
    if "water" in scene.elements:
        canvas = _water(canvas, scene, rng, horizon)
    elif "grid" in scene.elements:
        draw.rectangle((0, ground_top, w, h), fill=scene.deep)
        _perspective_grid(draw, scene, size, ground_top)
    elif not scene.elements & {"desert"} and "mountains" not in scene.elements:
        ground = raster.vertical_gradient((w, h - horizon), [(0, scene.dark), (1, scene.deep)])
        canvas.paste(ground, (0, horizon))
    if "rain" in scene.elements:
        canvas = _rain(canvas, scene, rng)
    if "fire" in scene.elements:
        canvas = _fire(canvas, scene, rng)
    return canvas


def _cosmic(size, scene, rng):
    w, h = size
    centre = (w * rng.uniform(0.3, 0.7), h * rng.uniform(0.3, 0.7))
    canvas = Image.new("RGB", size, scene.deep)
    canvas = glow(canvas, centre, max(w, h) * 0.9, scene.dark, 1.0)
    layer = raster.soft_layer(size, 4)
    draw = ImageDraw.Draw(layer)
    lw, lh = layer.size
    for _ in range(rng.randint(6, 12)):
        colour = rng.choice((scene.mid, scene.accent, scene.light, scene.dark))
        cx, cy = rng.gauss(centre[0] / 4, lw * 0.25), rng.gauss(centre[1] / 4, lh * 0.25)
        rx, ry = lw * rng.uniform(0.1, 0.35), lh * rng.uniform(0.05, 0.25)
        draw.ellipse((cx - rx, cy - ry, cx + rx, cy + ry), fill=colour + (rng.randint(40, 110),))
    canvas = raster.merge_soft(canvas, layer, max(4, lw // 14), "screen")
    canvas = _stars(canvas, rng, (0, 0, w, h), density=1.0)
    if "moon" in scene.elements or rng.random() < 0.5:
        canvas = _planet(canvas, scene, rng)
    if "mountains" in scene.elements:
        draw = ImageDraw.Draw(canvas)
        line = raster.ridge(rng, w, h * 0.85, h * 0.12, 0.55)
        draw.polygon(line + [(w, h), (0, h)], fill=scene.deep)
    return canvas


def _geometric(size, scene, rng):
    w, h = size
    canvas = raster.diagonal_gradient(size, scene.deep, scene.dark, rng.uniform(0, 360))
    if "grid" in scene.elements and rng.random() < 0.6:
        horizon = int(h * rng.uniform(0.45, 0.6))
        canvas.paste(raster.vertical_gradient((w, horizon), [(0, scene.deep), (1, scene.mid)]), (0, 0))
        _sun(canvas, scene, rng, horizon)
        draw = ImageDraw.Draw(canvas)
        draw.rectangle((0, horizon, w, h), fill=scene.deep)
        _perspective_grid(draw, scene, size, horizon)
        return glow(canvas, (w / 2, horizon), w * 0.5, scene.accent, 0.5)
    layer, draw = raster.draw_rgba(size)
    unit = min(w, h)
    for _ in range(rng.randint(7, 14)):
        colour = rng.choice(scene.palette[1:]) + (rng.randint(120, 230),)
        cx, cy, r = rng.uniform(0, w), rng.uniform(0, h), unit * rng.uniform(0.06, 0.32)
        kind = rng.random()
        if kind < 0.35:
            draw.ellipse((cx - r, cy - r, cx + r, cy + r), fill=colour)
        elif kind < 0.6:
            angle = rng.choice((0, 90, 180, 270))
            draw.pieslice((cx - r, cy - r, cx + r, cy + r), angle, angle + 180, fill=colour)
        elif kind < 0.8:
            draw.regular_polygon((cx, cy, r), rng.choice((3, 4, 6)), rotation=rng.uniform(0, 360), fill=colour)
        else:
            bar = unit * rng.uniform(0.015, 0.05)
            draw.rectangle((0, cy - bar, w, cy + bar) if rng.random() < 0.5 else (cx - bar, 0, cx + bar, h),
                           fill=colour)
    for _ in range(rng.randint(2, 5)):
        r = unit * rng.uniform(0.1, 0.45)
        cx, cy = rng.uniform(0.2, 0.8) * w, rng.uniform(0.2, 0.8) * h
        draw.ellipse((cx - r, cy - r, cx + r, cy + r), outline=scene.light + (200,), width=max(2, unit // 200))
    canvas = canvas.convert("RGBA")
    canvas.alpha_composite(layer)
    return canvas.convert("RGB")


def _flow(size, scene, rng):
    w, h = size
    canvas = raster.diagonal_gradient(size, scene.dark, scene.mid, rng.uniform(0, 360))
    layer = raster.soft_layer(size, 2)
    draw = ImageDraw.Draw(layer)
    lw, lh = layer.size
    bands = rng.randint(4, 7)
    for i in range(bands):
        colour = scene.palette[(i + 1) % 5] + (rng.randint(90, 170),)
        base, amp = lh * (i + 0.5) / bands, lh * rng.uniform(0.05, 0.18)
        freq, phase, thick = rng.uniform(1.0, 3.0), rng.uniform(0, 6.3), lh * rng.uniform(0.04, 0.12)
        top = [(x, base + amp * math.sin(x / lw * freq * 6.28 + phase)) for x in range(0, lw + 8, 8)]
        bottom = [(x, y + thick * (1.2 + 0.4 * math.sin(x / lw * 9 + phase))) for x, y in reversed(top)]
        draw.polygon(top + bottom, fill=colour)
    canvas = raster.merge_soft(canvas, layer, max(2, lw // 60))
    bokeh = raster.soft_layer(size, 2)
    draw = ImageDraw.Draw(bokeh)
    for _ in range(rng.randint(18, 40)):
        r = min(lw, lh) * rng.uniform(0.01, 0.08)
        cx, cy = rng.uniform(0, lw), rng.uniform(0, lh)
        draw.ellipse((cx - r, cy - r, cx + r, cy + r), fill=rng.choice((scene.light, scene.accent)) + (rng.randint(40, 120),))
    canvas = raster.merge_soft(canvas, bokeh, 2, "screen")
    if "smoke" in scene.elements:
        canvas = _clouds(canvas, scene, rng, (0, 0, w, h))
    if "stars" in scene.elements:
        canvas = _stars(canvas, rng, (0, 0, w, h), density=0.4)
    if "rain" in scene.elements:
        canvas = _rain(canvas, scene, rng)
    return canvas


def _shards(size, scene, rng):
    w, h = size
    canvas = Image.new("RGB", size, scene.deep)
    focus = (w * rng.uniform(0.3, 0.7), h * rng.uniform(0.3, 0.7))
    canvas = glow(canvas, focus, max(w, h) * 0.6, scene.accent, 0.8)
    layer, draw = raster.draw_rgba(size)
    spokes = rng.randint(14, 26)
    angles = sorted(rng.uniform(0, 6.283) for _ in range(spokes))
    reach = max(w, h) * 1.5
    for a0, a1 in zip(angles, angles[1:] + [angles[0] + 6.283]):
        inner = rng.uniform(0.05, 0.3) * min(w, h)
        pts = [(focus[0] + inner * math.cos(a0), focus[1] + inner * math.sin(a0)),
               (focus[0] + reach * math.cos(a0), focus[1] + reach * math.sin(a0)),
               (focus[0] + reach * math.cos(a1), focus[1] + reach * math.sin(a1))]
        colour = rng.choice(scene.palette[:4]) + (rng.randint(90, 220),)
        draw.polygon(pts, fill=colour)
        draw.line(pts[:2], fill=scene.light + (220,), width=max(1, min(w, h) // 300))
    for _ in range(rng.randint(20, 40)):
        cx, cy, r = rng.uniform(0, w), rng.uniform(0, h), min(w, h) * rng.uniform(0.01, 0.06)
        pts = [(cx + r * math.cos(k * 2.1 + rng.random()), cy + r * math.sin(k * 2.1 + rng.random())) for k in range(3)]
        draw.polygon(pts, fill=rng.choice((scene.light, scene.accent)) + (rng.randint(120, 255),))
    canvas = canvas.convert("RGBA")
    canvas.alpha_composite(layer)
    canvas = canvas.convert("RGB")
    if "fire" in scene.elements:
        canvas = _fire(canvas, scene, rng)
    return canvas


COMPOSERS = {"horizon": _horizon, "cosmic": _cosmic, "geometric": _geometric, "flow": _flow, "shards": _shards}


# -- elements --------------------------------------------------------------

def _sun(canvas, scene, rng, horizon):
    w, h = canvas.size
    r = min(w, h) * rng.uniform(0.12, 0.22)
    cx, cy = w * rng.uniform(0.3, 0.7), horizon - r * rng.uniform(0.2, 0.9)
    disc = raster.vertical_gradient((int(2 * r), int(2 * r)), [(0, scene.light), (1, scene.accent)])
    mask = Image.new("L", disc.size, 0)
    md = ImageDraw.Draw(mask)
    md.ellipse((0, 0, disc.size[0] - 1, disc.size[1] - 1), fill=255)
    if "grid" in scene.elements:  # the striped retro sun
        for k in range(6):
            y = r * (1.0 + 0.15 * k)
            md.rectangle((0, y, disc.size[0], y + r * 0.03 * (k + 1)), fill=0)
    mask.paste(0, (0, int(horizon - (cy - r)), disc.size[0], disc.size[1]))  # sets below the horizon
    canvas.paste(disc, (int(cx - r), int(cy - r)), mask)


def _moon(canvas, scene, rng, centre, r):
    canvas = glow(canvas, centre, r * 4, scene.light, 0.35)
    draw = ImageDraw.Draw(canvas)
    cx, cy = centre
    draw.ellipse((cx - r, cy - r, cx + r, cy + r), fill=lerp(scene.light, (255, 255, 255), 0.4))
    if rng.random() < 0.6:
        off = r * rng.uniform(0.35, 0.7)
        draw.ellipse((cx - r + off, cy - r - off * 0.3, cx + r + off, cy + r - off * 0.3), fill=scene.dark)
    return canvas


def _planet(canvas, scene, rng):
    w, h = canvas.size
    r = min(w, h) * rng.uniform(0.1, 0.22)
    cx, cy = w * rng.uniform(0.2, 0.8), h * rng.uniform(0.2, 0.8)
    body = raster.diagonal_gradient((int(2 * r), int(2 * r)), scene.light, scene.deep, rng.uniform(20, 70))
    mask = Image.new("L", body.size, 0)
    ImageDraw.Draw(mask).ellipse((0, 0, body.size[0] - 1, body.size[1] - 1), fill=255)
    canvas = glow(canvas, (cx, cy), r * 1.6, scene.accent, 0.5)
    canvas.paste(body, (int(cx - r), int(cy - r)), mask)
    if rng.random() < 0.5:
        draw = ImageDraw.Draw(canvas)
        draw.ellipse((cx - r * 1.9, cy - r * 0.35, cx + r * 1.9, cy + r * 0.35), outline=scene.light,
                     width=max(2, int(r * 0.05)))
    return canvas


def _stars(canvas, rng, box, density):
    x0, y0, x1, y1 = box
    area = max(1, (x1 - x0) * (y1 - y0))
    draw = ImageDraw.Draw(canvas)
    count = int(area / 1800 * density)
    for _ in range(count):
        x, y = rng.uniform(x0, x1), rng.uniform(y0, y1)
        v = int(120 + 135 * rng.random() ** 3)
        draw.point((x, y), fill=(v, v, min(255, v + 20)))
    # Bright stars: their halos go into one layer, blended once.
    halo = Image.new("RGB", canvas.size, (0, 0, 0))
    for _ in range(max(1, count // 80)):
        x, y = rng.uniform(x0, x1), rng.uniform(y0, y1)
        s = rng.uniform(1.5, 3.5)
        r = max(2, int(s * 6))
        halo.paste((200, 210, 255), (int(x) - r, int(y) - r), raster.scale_mask(
            raster.unit_disc().resize((2 * r, 2 * r), Image.BILINEAR), 0.5))
        draw.ellipse((x - s, y - s, x + s, y + s), fill=(255, 255, 250))
    return ImageChops.screen(canvas, halo)


def _clouds(canvas, scene, rng, box):
    x0, y0, x1, y1 = box
    layer = raster.soft_layer(canvas.size, 4)
    draw = ImageDraw.Draw(layer)
    for _ in range(rng.randint(5, 10)):
        cx, cy = rng.uniform(x0, x1) / 4, rng.uniform(y0, y1) / 4
        rx, ry = (x1 - x0) / 4 * rng.uniform(0.08, 0.25), (y1 - y0) / 4 * rng.uniform(0.04, 0.12)
        draw.ellipse((cx - rx, cy - ry, cx + rx, cy + ry), fill=scene.light + (rng.randint(40, 100),))
    return raster.merge_soft(canvas, layer, max(3, layer.size[0] // 40))


def _perspective_grid(draw, scene, size, horizon):
    w, h = size
    depth = h - horizon
    colour = lerp(scene.accent, scene.light, 0.3)
    width = max(1, w // 400)
    for k in range(1, 14):
        y = horizon + depth * (k / 13) ** 2.2
        draw.line((0, y, w, y), fill=colour, width=width)
    for k in range(-12, 13):
        draw.line((w / 2 + k * w * 0.02, horizon, w / 2 + k * w * 0.25, h), fill=colour, width=width)


def _city(draw, scene, rng, size, horizon):
    w, h = size
    x = 0.0
    windows = 0
    while x < w:
        bw = w * rng.uniform(0.03, 0.09)
        bh = h * rng.uniform(0.08, 0.38)
        top = horizon - bh
        draw.rectangle((x, top, x + bw, h), fill=lerp(scene.deep, scene.dark, rng.uniform(0, 0.6)))
        step = max(4, int(w / 110))
        lit = lerp(scene.light, scene.accent, rng.random())
        for wy in range(int(top + step), int(horizon), step * 2):
            for wx in range(int(x + step / 2), int(x + bw - step / 2), step * 2):
                if windows < 4000 and rng.random() < 0.3:
                    draw.rectangle((wx, wy, wx + step * 0.6, wy + step * 0.8), fill=lit)
                    windows += 1
        x += bw + w * rng.uniform(0.0, 0.01)


def _forest(draw, scene, rng, size, horizon):
    w, h = size
    for row in range(3):
        base = horizon + h * 0.04 * row
        colour = lerp(scene.dark, scene.deep, 0.3 + 0.35 * row)
        x = -w * 0.02
        while x < w:
            th = h * rng.uniform(0.06, 0.16) * (1 + 0.3 * row)
            tw = th * rng.uniform(0.25, 0.4)
            draw.polygon([(x, base), (x + tw / 2, base - th), (x + tw, base)], fill=colour)
            x += tw * rng.uniform(0.4, 0.8)
        draw.rectangle((0, base, w, h), fill=colour)


def _water(canvas, scene, rng, horizon):
    w, h = canvas.size
    depth = h - horizon
    if depth <= 0:
        return canvas
    sky = canvas.crop((0, max(0, horizon - depth), w, horizon)).transpose(Image.FLIP_TOP_BOTTOM)
    sky = sky.resize((w, depth))
    reflection = Image.blend(sky, Image.new("RGB", (w, depth), scene.deep), 0.45)
    draw = ImageDraw.Draw(reflection)
    for _ in range(int(depth / 3)):
        y = rng.uniform(0, depth)
        x = rng.uniform(-w * 0.1, w)
        length = w * rng.uniform(0.05, 0.3) * (0.3 + y / depth)
        draw.line((x, y, x + length, y), fill=lerp(scene.light, scene.mid, rng.random()),
                  width=max(1, int(1 + 3 * y / depth)))
    reflection = reflection.filter(ImageFilter.GaussianBlur(1))
    canvas.paste(reflection, (0, horizon))
    return canvas


def _rain(canvas, scene, rng):
    w, h = canvas.size
    layer, draw = raster.draw_rgba(canvas.size)
    slant = rng.uniform(-0.25, 0.25)
    for _ in range(int(w * h / 2500)):
        x, y = rng.uniform(-w * 0.2, w * 1.2), rng.uniform(0, h)
        length = h * rng.uniform(0.02, 0.06)
        draw.line((x, y, x + slant * length, y + length), fill=scene.light + (rng.randint(40, 110),), width=1)
    canvas = canvas.convert("RGBA")
    canvas.alpha_composite(layer)
    return canvas.convert("RGB")


def _fire(canvas, scene, rng):
    w, h = canvas.size
    layer = raster.soft_layer(canvas.size, 4)
    draw = ImageDraw.Draw(layer)
    lw, lh = layer.size
    flame = ((255, 90, 20), (255, 170, 40), (255, 230, 120))
    for _ in range(rng.randint(14, 26)):
        cx = rng.uniform(0, lw)
        fh, fw = lh * rng.uniform(0.15, 0.5), lw * rng.uniform(0.03, 0.09)
        draw.ellipse((cx - fw, lh - fh, cx + fw, lh + fh * 0.2), fill=rng.choice(flame) + (rng.randint(70, 150),))
    return raster.merge_soft(canvas, layer, max(3, lw // 50), "screen")


# -- atmosphere, source, refinement, finish --------------------------------

def _atmosphere(canvas, scene, rng):
    w, h = canvas.size
    for _ in range(1 + int(scene.mood.energy * 3)):
        canvas = glow(canvas, (rng.uniform(0, w), rng.uniform(0, h)), max(w, h) * rng.uniform(0.15, 0.4),
                      rng.choice((scene.accent, scene.light, scene.mid)), 0.25 + 0.2 * scene.mood.energy)
    return canvas


def _blend_source(canvas, source, strength, scene):
    """img2img: the source's tones re-coloured in the scene's palette, kept in
    proportion to `strength` (1.0 keeps the source, 0.1 leaves mostly the new picture)."""
    fitted = ImageOps.fit(source.convert("RGB"), canvas.size, Image.LANCZOS)
    tones = ImageOps.autocontrast(fitted.convert("L"), cutoff=1)
    styled = ImageOps.colorize(tones, scene.deep, scene.light, mid=scene.accent)
    styled = Image.blend(styled, fitted, 0.5)
    return Image.blend(canvas, styled, max(0.0, min(1.0, strength)))


def _refine(detail, step, rng):
    """One refinement pass: texture at a finer scale than the last, weighted
    less as the passes get finer, added into a single-channel detail field."""
    w, h = detail.size
    octave = step % MAX_DETAIL_OCTAVES
    cell = max(2, int(min(w, h) / (6 * 2 ** octave)))
    texture = raster.noise(detail.size, rng, cell)
    amount = 0.5 / (1 + octave) / (1 + step // MAX_DETAIL_OCTAVES)
    return Image.blend(detail, texture, amount)


def _apply_detail(canvas, detail, steps):
    textured = ImageChops.soft_light(canvas, Image.merge("RGB", (detail, detail, detail)))
    canvas = Image.blend(canvas, textured, 0.5)
    if steps >= 3:
        canvas = canvas.filter(ImageFilter.UnsharpMask(radius=2, percent=35, threshold=2))
    return canvas


def _finish(canvas, scene, steps, rng):
    w, h = canvas.size
    mood = scene.mood
    if mood.softness > 0.2:
        hazy = canvas.filter(ImageFilter.GaussianBlur(max(1, min(w, h) * 0.006 * mood.softness)))
        canvas = Image.blend(canvas, hazy, 0.35 * mood.softness)
    canvas = ImageEnhance.Contrast(canvas).enhance(1.0 + 0.25 * mood.contrast)
    canvas = ImageEnhance.Color(canvas).enhance(1.0 + 0.2 * mood.saturation)
    vignette = ImageChops.invert(raster.radial_falloff(canvas.size, (w / 2, h / 2), math.hypot(w, h) * 0.62))
    darkness = raster.scale_mask(vignette, 0.45 + 0.2 * max(0.0, mood.contrast))
    canvas = Image.composite(Image.new("RGB", canvas.size, scene.deep), canvas, darkness)
    # Residual grain shrinks as the step count grows.
    grain = raster.noise(canvas.size, rng)
    canvas = Image.blend(canvas, ImageChops.soft_light(canvas, Image.merge("RGB", (grain, grain, grain))),
                         min(0.5, 0.5 / math.sqrt(max(1, steps))))
    return canvas

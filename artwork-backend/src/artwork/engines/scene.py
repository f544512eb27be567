"""Planning a picture from a prompt: palette, composition, elements and mood."""
import colorsys
from dataclasses import dataclass

from .raster import lerp, luminance
from .vocabulary import COMPOSITIONS, Mood, read_prompt, stable_hash

HORIZON_SUBJECTS = {"mountains", "water", "city", "forest", "desert", "sun"}
SKY_SUBJECTS = {"stars", "moon"}


@dataclass
class Scene:
    palette: list        # five colours, darkest first
    composition: str
    elements: set
    mood: Mood
    reading: object

    @property
    def deep(self):
        return self.palette[0]

    @property
    def dark(self):
        return self.palette[1]

    @property
    def mid(self):
        return self.palette[2]

    @property
    def accent(self):
        return self.palette[3]

    @property
    def light(self):
        return self.palette[4]


def _hls(rgb):
    return colorsys.rgb_to_hls(*(c / 255 for c in rgb))


def _rgb(h, l, s):
    return tuple(int(round(max(0.0, min(1.0, c)) * 255)) for c in colorsys.hls_to_rgb(h % 1.0, l, s))


def _scheme_from_hue(hue, rng):
    """Five colours around one hue, for prompts that name no colours or genre."""
    spread = rng.choice((0.06, 0.12, 0.5, 0.33))
    return [_rgb(hue, 0.08, 0.5), _rgb(hue + spread * 0.3, 0.22, 0.55), _rgb(hue + spread * 0.6, 0.45, 0.6),
            _rgb(hue + spread, 0.58, 0.8), _rgb(hue + spread * 0.2, 0.86, 0.5)]


def _apply_colour_words(palette, colours):
    """Each named colour takes the palette slot nearest to it in lightness;
    the other slots lean toward the named colours, so the named colours lead."""
    palette = list(palette)
    taken = set()
    for _, rgb in colours[:4]:
        free = [i for i in range(5) if i not in taken] or list(range(5))
        slot = min(free, key=lambda i: abs(luminance(palette[i]) - luminance(rgb)))
        palette[slot] = rgb
        taken.add(slot)
    if colours:
        for i in range(5):
            if i not in taken:
                nearest = min((rgb for _, rgb in colours), key=lambda c: abs(luminance(c) - luminance(palette[i])))
                h, l, s = _hls(palette[i])
                nh, _, ns = _hls(nearest)
                tinted = _rgb(nh, l, (s + ns) / 2)
                palette[i] = lerp(palette[i], tinted, 0.55)
    return palette


def _apply_mood(palette, mood):
    out = []
    for rgb in palette:
        h, l, s = _hls(rgb)
        if mood.brightness >= 0:
            l = l + (1 - l) * mood.brightness * 0.45
        else:
            l = l * (1 + mood.brightness * 0.55)
        s = s * (1 + mood.saturation * 0.6) if mood.saturation < 0 else s + (1 - s) * mood.saturation * 0.5
        out.append(_rgb(h, l, s))
    return out


def _composition(reading, elements, rng):
    subjects = set(reading.subjects)
    if subjects & SKY_SUBJECTS and not subjects & HORIZON_SUBJECTS:
        return "cosmic"
    if subjects & HORIZON_SUBJECTS:
        return "horizon"
    if reading.genres:
        return reading.genres[0][1].composition
    if "grid" in subjects:
        return "geometric"
    if subjects & {"abstract", "smoke", "clouds"}:
        return "flow"
    if "fire" in subjects:
        return "shards"
    return rng.choice(COMPOSITIONS)


def plan(prompt, negative_prompt, rng):
    reading = read_prompt(prompt, negative_prompt)
    if reading.genres:
        palette = sorted(reading.genres[0][1].palette, key=luminance)
    else:
        hue = (stable_hash(prompt.strip().lower()) % 3600) / 3600
        palette = _scheme_from_hue(hue, rng)
    palette = _apply_colour_words(palette, reading.colours)
    mood = reading.mood()
    palette = sorted(_apply_mood(palette, mood), key=luminance)
    elements = set(reading.subjects)
    for _, genre in reading.genres[:2]:
        elements.update(genre.elements)
    composition = _composition(reading, elements, rng)
    return Scene(palette, composition, elements, mood, reading)

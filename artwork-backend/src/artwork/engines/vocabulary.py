"""Reading a prompt: the colour, mood, genre and subject words that steer a picture."""
import hashlib
import re
from dataclasses import dataclass, field

COLOURS = {
    "red": (214, 40, 40), "crimson": (180, 20, 50), "scarlet": (235, 45, 30), "ruby": (155, 17, 40),
    "orange": (245, 130, 30), "amber": (255, 175, 40), "copper": (184, 115, 51), "rust": (170, 70, 30),
    "gold": (232, 185, 60), "golden": (232, 185, 60), "yellow": (250, 220, 60), "lemon": (245, 240, 90),
    "green": (50, 170, 80), "emerald": (20, 150, 100), "lime": (160, 230, 60), "olive": (120, 130, 50),
    "forest": (34, 90, 50), "teal": (20, 140, 140), "turquoise": (60, 210, 200), "cyan": (40, 220, 240),
    "aqua": (80, 230, 220), "blue": (40, 90, 210), "azure": (60, 150, 240), "cobalt": (0, 70, 170),
    "navy": (15, 30, 90), "sapphire": (20, 50, 150), "indigo": (70, 40, 140), "purple": (130, 50, 170),
    "violet": (150, 80, 220), "lavender": (190, 160, 230), "magenta": (220, 40, 160), "pink": (245, 130, 180),
    "rose": (230, 100, 130), "fuchsia": (230, 50, 180), "brown": (120, 75, 40), "sepia": (150, 110, 70),
    "tan": (210, 180, 140), "beige": (225, 210, 180), "black": (12, 12, 16), "white": (245, 245, 240),
    "ivory": (250, 245, 225), "silver": (190, 195, 205), "grey": (128, 128, 132), "gray": (128, 128, 132),
    "charcoal": (50, 52, 58), "chrome": (205, 210, 220), "neon": (255, 40, 200), "pastel": (240, 200, 220),
}


@dataclass(frozen=True)
class Mood:
    brightness: float = 0.0   # -1 darker .. +1 brighter
    saturation: float = 0.0   # -1 muted .. +1 vivid
    contrast: float = 0.0     # -1 flat .. +1 punchy
    softness: float = 0.0     # 0 crisp .. 1 hazy
    energy: float = 0.0       # 0 still .. 1 busy


MOODS = {
    "dark": Mood(-0.6, -0.1, 0.3), "moody": Mood(-0.4, -0.2, 0.2, 0.3), "gloomy": Mood(-0.6, -0.4, 0.0, 0.4),
    "melancholic": Mood(-0.4, -0.4, -0.1, 0.5), "melancholy": Mood(-0.4, -0.4, -0.1, 0.5),
    "sad": Mood(-0.3, -0.5, -0.2, 0.4), "haunting": Mood(-0.5, -0.3, 0.2, 0.5),
    "mysterious": Mood(-0.4, 0.0, 0.2, 0.5), "ominous": Mood(-0.7, -0.2, 0.5, 0.2, 0.3),
    "bright": Mood(0.5, 0.3, 0.1), "happy": Mood(0.5, 0.5, 0.1, 0.0, 0.4), "joyful": Mood(0.5, 0.6, 0.1, 0.0, 0.5),
    "sunny": Mood(0.6, 0.4), "vibrant": Mood(0.2, 0.8, 0.3, 0.0, 0.5), "colorful": Mood(0.2, 0.8, 0.2, 0.0, 0.5),
    "colourful": Mood(0.2, 0.8, 0.2, 0.0, 0.5),
    "calm": Mood(0.1, -0.2, -0.3, 0.6), "serene": Mood(0.2, -0.2, -0.3, 0.7), "peaceful": Mood(0.2, -0.2, -0.3, 0.6),
    "dreamy": Mood(0.2, 0.0, -0.3, 0.9), "ethereal": Mood(0.4, -0.1, -0.3, 0.9), "soft": Mood(0.2, -0.2, -0.4, 0.8),
    "energetic": Mood(0.1, 0.5, 0.4, 0.0, 0.9), "aggressive": Mood(-0.3, 0.3, 0.8, 0.0, 1.0),
    "intense": Mood(-0.1, 0.5, 0.7, 0.0, 0.8), "chaotic": Mood(0.0, 0.4, 0.6, 0.0, 1.0),
    "epic": Mood(0.0, 0.3, 0.6, 0.2, 0.6), "romantic": Mood(0.2, 0.1, -0.2, 0.6),
    "nostalgic": Mood(0.0, -0.4, -0.2, 0.4), "vintage": Mood(0.0, -0.5, -0.1, 0.3), "retro": Mood(0.1, 0.1, 0.1, 0.2),
    "minimal": Mood(0.2, -0.3, 0.0, 0.0, 0.0), "minimalist": Mood(0.2, -0.3, 0.0, 0.0, 0.0),
    "warm": Mood(0.1, 0.2), "cold": Mood(-0.1, -0.2, 0.1), "gritty": Mood(-0.2, -0.3, 0.5, 0.0, 0.6),
}


@dataclass(frozen=True)
class Genre:
    palette: tuple            # colours the genre is usually drawn in
    composition: str          # horizon, cosmic, geometric, flow, shards
    elements: tuple = ()
    mood: Mood = Mood()
    style: str = ""           # words the offline persona uses to describe it


def _hex(*codes):
    return tuple(tuple(int(c[i:i + 2], 16) for i in (0, 2, 4)) for c in codes)


GENRES = {
    "synthwave": Genre(_hex("1a0533", "ff2a6d", "05d9e8", "d300c5", "ff9e00"), "horizon", ("sun", "grid", "mountains"),
                       Mood(0.0, 0.7, 0.4), "retro-futuristic 1980s neon"),
    "retrowave": Genre(_hex("120136", "ff2a6d", "05d9e8", "d300c5", "ffd319"), "horizon", ("sun", "grid"),
                       Mood(0.0, 0.7, 0.4), "retro-futuristic 1980s neon"),
    "vaporwave": Genre(_hex("2b1055", "ff71ce", "01cdfe", "b967ff", "fffb96"), "geometric", ("grid",),
                       Mood(0.2, 0.4, 0.0, 0.3), "pastel 1990s digital nostalgia"),
    "techno": Genre(_hex("0a0a0f", "1f1f2e", "00f0ff", "8a2be2", "e0e0e0"), "geometric", ("grid",),
                    Mood(-0.3, 0.2, 0.6, 0.0, 0.7), "stark industrial minimalism"),
    "electronic": Genre(_hex("0b0c2a", "3a0ca3", "4cc9f0", "f72585", "ffffff"), "geometric", (),
                        Mood(0.0, 0.5, 0.4, 0.0, 0.6), "clean electric geometry"),
    "edm": Genre(_hex("10002b", "7b2cbf", "00f5d4", "f15bb5", "fee440"), "geometric", (),
                 Mood(0.2, 0.8, 0.5, 0.0, 0.9), "festival lasers and bold colour"),
    "house": Genre(_hex("1b1b3a", "693668", "a74482", "f84aa7", "ffd166"), "flow", (),
                   Mood(0.1, 0.5, 0.2, 0.3, 0.6), "warm club lights"),
    "trance": Genre(_hex("03045e", "0077b6", "00b4d8", "90e0ef", "ffffff"), "cosmic", ("stars",),
                    Mood(0.1, 0.4, 0.2, 0.5, 0.5), "euphoric light beams"),
    "ambient": Genre(_hex("16213e", "0f3460", "5c7aea", "a3c4f3", "f1f1f1"), "flow", ("clouds",),
                     Mood(0.1, -0.2, -0.4, 0.9, 0.0), "vast, hazy and weightless"),
    "jazz": Genre(_hex("1b1b1e", "3d2c2e", "c08b5c", "e9c46a", "2a9d8f"), "flow", ("smoke",),
                  Mood(-0.3, -0.1, 0.1, 0.5, 0.3), "smoky late-night club"),
    "blues": Genre(_hex("0d1b2a", "1b263b", "415a77", "778da9", "e0e1dd"), "horizon", ("rain",),
                   Mood(-0.3, -0.2, 0.0, 0.4), "weathered and soulful"),
    "soul": Genre(_hex("3d0c02", "8c2f39", "e07a5f", "f2cc8f", "81b29a"), "flow", (),
                  Mood(0.0, 0.3, 0.0, 0.4, 0.3), "warm vintage soul"),
    "funk": Genre(_hex("2d0b59", "ff6b35", "f7c59f", "efefd0", "004e89"), "geometric", (),
                  Mood(0.2, 0.7, 0.3, 0.0, 0.8), "groovy 1970s colour blocks"),
    "disco": Genre(_hex("240046", "ff006e", "fb5607", "ffbe0b", "8338ec"), "flow", ("stars",),
                   Mood(0.2, 0.8, 0.3, 0.2, 0.8), "glittering dance-floor glow"),
    "metal": Genre(_hex("050505", "1a1a1a", "8b0000", "b22222", "c0c0c0"), "shards", ("fire",),
                   Mood(-0.6, -0.2, 0.9, 0.0, 0.9), "brutal, jagged and dark"),
    "rock": Genre(_hex("121212", "2b2b2b", "d62828", "f77f00", "eae2b7"), "shards", (),
                  Mood(-0.2, 0.2, 0.6, 0.0, 0.7), "raw and loud"),
    "punk": Genre(_hex("000000", "ff0054", "ffbd00", "ffffff", "390099"), "shards", (),
                  Mood(0.0, 0.6, 0.9, 0.0, 1.0), "torn, xeroxed, defiant"),
    "grunge": Genre(_hex("1f1d1b", "4a4238", "7f6a53", "a89f91", "5e503f"), "shards", (),
                    Mood(-0.3, -0.5, 0.4, 0.2, 0.6), "faded and distorted"),
    "hiphop": Genre(_hex("0d0d0d", "262626", "d4af37", "f5f5f5", "b91c1c"), "geometric", ("city",),
                    Mood(-0.1, 0.2, 0.6, 0.0, 0.6), "bold street luxury"),
    "rap": Genre(_hex("0d0d0d", "1f2937", "d4af37", "f5f5f5", "7c3aed"), "horizon", ("city",),
                 Mood(-0.2, 0.2, 0.6, 0.0, 0.6), "bold urban night"),
    "trap": Genre(_hex("0b0014", "2d0040", "9d00ff", "ff007f", "c0c0c0"), "horizon", ("city",),
                  Mood(-0.4, 0.4, 0.6, 0.1, 0.7), "purple haze and chrome"),
    "lofi": Genre(_hex("2e294e", "541388", "f1e9da", "ffd400", "d90368"), "flow", ("rain",),
                  Mood(0.0, -0.3, -0.3, 0.7, 0.1), "cosy, grainy and mellow"),
    "pop": Genre(_hex("ffafcc", "ffc8dd", "cdb4db", "a2d2ff", "bde0fe"), "flow", (),
                 Mood(0.5, 0.5, 0.1, 0.2, 0.6), "glossy pastel pop"),
    "indie": Genre(_hex("264653", "2a9d8f", "e9c46a", "f4a261", "e76f51"), "horizon", ("sun",),
                   Mood(0.1, 0.0, 0.0, 0.3, 0.3), "sunlit film-photo warmth"),
    "folk": Genre(_hex("283618", "606c38", "dda15e", "bc6c25", "fefae0"), "horizon", ("forest", "mountains"),
                  Mood(0.0, -0.2, -0.1, 0.3, 0.1), "earthy and hand-made"),
    "country": Genre(_hex("432818", "99582a", "bb9457", "ffe6a7", "6f1d1b"), "horizon", ("sun",),
                     Mood(0.1, -0.1, 0.0, 0.2, 0.2), "golden open plains"),
    "classical": Genre(_hex("1c1c1c", "5e3023", "c9a227", "f2e8cf", "386641"), "flow", (),
                       Mood(0.0, -0.2, 0.1, 0.3, 0.1), "elegant and timeless"),
    "orchestral": Genre(_hex("14213d", "3c096c", "c9a227", "e5e5e5", "9d0208"), "horizon", ("mountains",),
                        Mood(0.0, 0.1, 0.4, 0.2, 0.5), "grand cinematic scale"),
    "reggae": Genre(_hex("0b3d0b", "2e7d32", "fdd835", "e53935", "1b1b1b"), "horizon", ("sun",),
                    Mood(0.2, 0.6, 0.2, 0.0, 0.4), "sun-drenched roots"),
    "dubstep": Genre(_hex("000000", "1a0033", "39ff14", "7d00ff", "00ffff"), "shards", (),
                     Mood(-0.4, 0.7, 0.8, 0.0, 1.0), "wobbling neon distortion"),
    "drumandbass": Genre(_hex("020024", "090979", "00d4ff", "ff00c8", "ffffff"), "geometric", ("grid",),
                         Mood(-0.2, 0.6, 0.6, 0.0, 1.0), "high-speed neon motion"),
    "psychedelic": Genre(_hex("ff0000", "ff7f00", "ffff00", "00ff7f", "8b00ff"), "flow", (),
                         Mood(0.2, 1.0, 0.4, 0.2, 0.9), "swirling kaleidoscopic colour"),
    "gothic": Genre(_hex("0a0a0a", "2b0a3d", "5c0a2e", "8a8a8a", "d0d0d0"), "cosmic", ("moon",),
                    Mood(-0.6, -0.2, 0.5, 0.3, 0.2), "candle-lit gothic darkness"),
    "cinematic": Genre(_hex("0b132b", "1c2541", "3a506b", "5bc0be", "f4a261"), "horizon", ("mountains",),
                       Mood(-0.1, 0.1, 0.5, 0.2, 0.4), "wide-screen teal and orange"),
}

# Multi-word genres, joined before the words are matched.
PHRASES = {"hip hop": "hiphop", "hip-hop": "hiphop", "lo-fi": "lofi", "lo fi": "lofi",
           "drum and bass": "drumandbass", "drum & bass": "drumandbass", "dnb": "drumandbass",
           "r&b": "soul", "rnb": "soul", "film score": "orchestral", "heavy metal": "metal",
           "black metal": "metal", "death metal": "metal", "post-rock": "rock", "k-pop": "pop"}

SUBJECTS = {
    "sun": "sun", "sunset": "sun", "sunrise": "sun", "dawn": "sun", "dusk": "sun", "summer": "sun",
    "moon": "moon", "lunar": "moon", "night": "stars", "stars": "stars", "starry": "stars",
    "galaxy": "stars", "space": "stars", "cosmic": "stars", "cosmos": "stars", "nebula": "stars",
    "universe": "stars", "astral": "stars", "planet": "moon",
    "mountain": "mountains", "mountains": "mountains", "hills": "mountains", "peaks": "mountains",
    "valley": "mountains", "landscape": "mountains",
    "ocean": "water", "sea": "water", "waves": "water", "wave": "water", "beach": "water", "lake": "water",
    "river": "water", "water": "water", "underwater": "water", "coast": "water",
    "city": "city", "skyline": "city", "urban": "city", "street": "city", "downtown": "city",
    "metropolis": "city", "cyberpunk": "city", "neon-lit": "city",
    "forest": "forest", "woods": "forest", "trees": "forest", "jungle": "forest", "pines": "forest",
    "rain": "rain", "rainy": "rain", "storm": "rain", "stormy": "rain",
    "fire": "fire", "flames": "fire", "flame": "fire", "burning": "fire", "inferno": "fire", "lava": "fire",
    "grid": "grid", "geometric": "grid", "abstract": "abstract",
    "clouds": "clouds", "cloudy": "clouds", "sky": "clouds", "fog": "clouds", "mist": "clouds", "misty": "clouds",
    "smoke": "smoke", "smoky": "smoke", "desert": "desert", "dunes": "desert",
}

COMPOSITIONS = ("horizon", "cosmic", "geometric", "flow", "shards")

_WORD = re.compile(r"[a-z][a-z'&-]*")


@dataclass
class PromptReading:
    colours: list = field(default_factory=list)     # (word, rgb) in prompt order
    moods: list = field(default_factory=list)       # (word, Mood)
    genres: list = field(default_factory=list)      # (word, Genre)
    subjects: list = field(default_factory=list)    # element names in prompt order
    words: list = field(default_factory=list)

    def mood(self):
        moods = [m for _, m in self.moods] + [g.mood for _, g in self.genres[:1]]
        if not moods:
            return Mood()
        n = len(moods)
        return Mood(*(max(-1.0, min(1.0, sum(getattr(m, f) for m in moods) / n * (1.2 if n > 1 else 1.0)))
                      for f in ("brightness", "saturation", "contrast", "softness", "energy")))


def normalise(text):
    text = text.lower()
    for phrase, token in PHRASES.items():
        text = text.replace(phrase, token)
    return text


def words_of(text):
    return [w.strip("'-") for w in _WORD.findall(normalise(text))]


def read_prompt(prompt, negative_prompt=""):
    """The steering words of a prompt; words in the negative prompt are dropped."""
    banned = set(words_of(negative_prompt))
    reading = PromptReading()
    for word in words_of(prompt):
        if word in banned:
            continue
        reading.words.append(word)
        if word in COLOURS and all(word != w for w, _ in reading.colours):
            reading.colours.append((word, COLOURS[word]))
        if word in MOODS:
            reading.moods.append((word, MOODS[word]))
        if word in GENRES and all(word != w for w, _ in reading.genres):
            reading.genres.append((word, GENRES[word]))
        if word in SUBJECTS and SUBJECTS[word] not in reading.subjects:
            reading.subjects.append(SUBJECTS[word])
    return reading


def stable_hash(*parts):
    """A process-independent 64-bit hash (str hashes are salted per process)."""
    digest = hashlib.sha256("\x1f".join(str(p) for p in parts).encode("utf-8")).digest()
    return int.from_bytes(digest[:8], "big")

"""The Palettor without a language model: concepts and prompts built by rule
from the genre, mood, colour and subject words of what the user wrote."""
import random
import re

from ..engines.raster import luminance
from ..engines.scene import plan
from ..engines.vocabulary import COLOURS, read_prompt, stable_hash

_INTENT = re.compile(r"\b(generate|create|make|draw|paint|design|render|imagine|visuali[sz]e|sketch|show me|"
                     r"give me|cover|artwork|image|picture|poster|banner|illustration)\b", re.I)
_LEADIN = re.compile(r"^\s*(please\s+)?(can|could|would)?\s*(you\s+)?(please\s+)?"
                     r"(generate|create|make|draw|paint|design|render|imagine|sketch|show|give)\s+(me\s+)?"
                     r"(an?\s+|the\s+|some\s+)?", re.I)
_GREETING = re.compile(r"^\s*(hi|hello|hey|yo|good (morning|evening|afternoon)|thanks|thank you)\b", re.I)

LIGHTING = [
    ("fire", "flickering firelight with glowing embers"),
    ("sun", "golden-hour backlight with long warm shadows"),
    ("city", "neon glow reflected on wet streets"),
    ("moon", "cool moonlight with silver highlights"),
    ("stars", "faint starlight and a glowing haze"),
    ("water", "shimmering light reflected off the water"),
    ("rain", "diffused light through falling rain"),
    ("forest", "dappled light through the trees"),
]
COMPOSITION = {
    "horizon": "low horizon line with layered depth",
    "cosmic": "vast negative space around a glowing focal point",
    "geometric": "bold geometric shapes balanced around the centre",
    "flow": "flowing forms that lead the eye across the frame",
    "shards": "explosive radiating composition from a single focal point",
}


def _colour_name(rgb):
    return min(COLOURS, key=lambda n: sum((a - b) ** 2 for a, b in zip(COLOURS[n], rgb)))


def _lighting(reading, mood):
    for element, phrase in LIGHTING:
        if element in reading.subjects:
            return phrase
    if mood.brightness < -0.2:
        return "dramatic low-key lighting with deep shadows"
    if mood.softness > 0.5:
        return "soft diffused light and gentle haze"
    if mood.brightness > 0.2:
        return "bright, even daylight"
    return "soft cinematic lighting"


def _style(reading, mood):
    if reading.genres:
        return reading.genres[0][1].style
    if reading.moods:
        return f"{reading.moods[0][0]} digital painting"
    return "painterly digital illustration"


def _framing(words):
    text = " ".join(words)
    if "album" in words or "cover" in words or "ep" in words:
        return "square album-cover framing with space for the title"
    if "banner" in words or "header" in words:
        return "wide panoramic framing"
    if "artist" in words or "portrait" in words or "profile" in words:
        return "portrait framing for an artist profile"
    if "single" in words or "track" in words or "song" in text:
        return "square single-cover framing"
    return ""


def subject_of(text):
    subject = _LEADIN.sub("", text.strip()).strip().rstrip(".!?")
    return subject or text.strip()


def concept(idea):
    """The parts of a refined prompt: subject, style, lighting, composition, palette."""
    reading = read_prompt(idea)
    scene = plan(idea, "", random.Random(stable_hash("concept", idea.strip().lower())))
    if reading.colours:
        palette = " and ".join(w for w, _ in reading.colours[:3]) + " palette"
    else:
        names = list(dict.fromkeys(_colour_name(c) for c in sorted(scene.palette[1:], key=luminance)))
        palette = ", ".join(names[-3:]) + " palette"
    framing = _framing(reading.words)
    composition = COMPOSITION[scene.composition] + (f", {framing}" if framing else "")
    return {"subject": subject_of(idea), "style": _style(reading, scene.mood),
            "lighting": _lighting(reading, scene.mood), "composition": composition, "palette": palette}


def refine(idea):
    parts = concept(idea)
    return ", ".join([parts["subject"], parts["style"], parts["lighting"], parts["composition"],
                      parts["palette"], "rich detail, high quality"])


def _previous_user_idea(history, message):
    for entry in reversed(history):
        if entry.get("role") == "user" and entry.get("content", "").strip() not in ("", message.strip()):
            earlier = read_prompt(entry["content"])
            if earlier.subjects or earlier.genres or _INTENT.search(entry["content"]):
                return entry["content"]
    return ""


def reply(message, history):
    """Returns (text, prompt or None): prompt is set when an image is proposed."""
    reading = read_prompt(message)
    steering = reading.subjects or reading.genres or reading.colours or reading.moods
    wants_image = bool(_INTENT.search(message))
    if _GREETING.match(message) and not steering and not wants_image:
        return ("I'm The Palettor, your art director for release artwork. Tell me about the music — genre, "
                "mood, colours, a place or an image it brings to mind — and I'll sketch a cover concept "
                "and paint it for you."), None
    if message.strip().endswith("?") and not wants_image:
        if reading.genres:
            word, genre = reading.genres[0]
            names = list(dict.fromkeys(_colour_name(c) for c in genre.palette))
            return (f"For {word}, I'd lean on a {genre.style} look: think {', '.join(names[:4])}. "
                    f"Ask me for a cover and I'll paint a concept in that direction."), None
        if not steering:
            return ("Good question. Give me the genre and mood of the release and I can suggest colours, "
                    "lighting and composition — or ask me to create a cover right away."), None
    idea = message
    if not reading.subjects and not reading.genres:
        earlier = _previous_user_idea(history, message)
        if earlier:
            idea = f"{subject_of(earlier)}, {subject_of(message)}"
    if not steering and not wants_image and idea == message:
        return ("Tell me a little more: what genre is the music, and what mood or colours should the "
                "artwork carry? With that I can paint a concept."), None
    parts = concept(idea)
    prompt = refine(idea)
    text = (f"Here's a concept for you:\n\n"
            f"- **Subject:** {parts['subject']}\n- **Style:** {parts['style']}\n"
            f"- **Lighting:** {parts['lighting']}\n- **Composition:** {parts['composition']}\n"
            f"- **Palette:** {parts['palette']}")
    return text, prompt

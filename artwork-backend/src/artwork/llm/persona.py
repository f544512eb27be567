"""The art-director persona "The Palettor": prompt refinement and chat replies,
from the configured LLM when it answers, otherwise from the offline persona."""
import logging
import random
import re

from ..engines.base import GenerationRequest
from ..jobs import Cancelled
from ..protocol import RpcError
from . import offline
from .providers import ProviderUnavailable

log = logging.getLogger("artwork.persona")

PERSONA = (
    "You are The Palettor, an art director who designs artwork for music releases: album covers, track "
    "covers and artist images. You are warm, concise and concrete: you talk about subject, style, lighting, "
    "composition and palette.")
REFINE_INSTRUCTIONS = (
    PERSONA + " Rewrite the user's rough idea as one detailed image-generation prompt covering subject, "
    "style, lighting, composition and palette. Answer with the prompt only, on one line, no quotes.")
CHAT_INSTRUCTIONS = (
    PERSONA + " When the user wants an image, or when you propose a concrete concept, end your answer with "
    "one line of the form 'PROMPT: <a detailed image-generation prompt>'. Otherwise do not write that line.")
_PROMPT_LINE = re.compile(r"^\s*\**PROMPT\**\s*:\s*(.+?)\s*$", re.I | re.M)
HISTORY_LIMIT = 20
CHAT_IMAGE_SIZE = 1024


def _history_messages(history, message):
    messages = []
    for entry in history[-HISTORY_LIMIT:]:
        role, content = entry.get("role"), entry.get("content")
        if role in ("user", "assistant") and isinstance(content, str) and content.strip():
            messages.append({"role": role, "content": content})
    # The application's history already ends with the new message.
    if not messages or messages[-1] != {"role": "user", "content": message}:
        messages.append({"role": "user", "content": message})
    return messages


class Persona:
    def __init__(self, llm, generation):
        self._llm = llm
        self._generation = generation

    def refine(self, idea):
        messages = [{"role": "system", "content": REFINE_INSTRUCTIONS}, {"role": "user", "content": idea}]
        try:
            text, provider = self._llm.complete(messages)
            refined = " ".join(line.strip() for line in text.splitlines() if line.strip()).strip('"')
            return {"refined_prompt": refined, "provider": provider}
        except ProviderUnavailable as exc:
            log.info("refine_prompt: offline persona (%s)", exc)
            return {"refined_prompt": offline.refine(idea), "provider": "offline", "note": str(exc)}

    def ask(self, message, history, auto_generate, progress, request_id):
        messages = _history_messages(history, message)
        try:
            text, provider = self._llm.complete([{"role": "system", "content": CHAT_INSTRUCTIONS}] + messages)
            found = _PROMPT_LINE.findall(text)
            prompt = found[-1].strip().strip('"') if found else None
            text = _PROMPT_LINE.sub("", text).strip() or "Here's what I came up with."
            note = None
        except ProviderUnavailable as exc:
            log.info("ask_artist: offline persona (%s)", exc)
            text, prompt = offline.reply(message, messages[:-1])
            provider, note = "offline", str(exc)
        result = {"text": text, "provider": provider}
        if note:
            result["note"] = note
        if prompt:
            result["prompt"] = prompt
        if prompt and auto_generate:
            painted = self._paint(prompt, progress, request_id)
            result["text"] += "\n\n" + painted.pop("text_suffix")
            result.update(painted)
        return result

    def _paint(self, prompt, progress, request_id):
        request = GenerationRequest(prompt=prompt, width=CHAT_IMAGE_SIZE, height=CHAT_IMAGE_SIZE,
                                    seed=random.SystemRandom().randint(0, 2 ** 32 - 1))
        try:
            made = self._generation.generate(request, progress, request_id, tags=["chat"])
        except Cancelled:
            return {"text_suffix": "The painting was cancelled."}
        except RpcError as exc:
            reason = exc.detail or exc.message
            return {"text_suffix": f"I couldn't paint it this time: {reason}"}
        return {"image_path": made["image_path"], "model": made["model"], "gallery_id": made["gallery_id"],
                "seed": made["seed"], "text_suffix": f"I painted it with {made['model']} (seed {made['seed']})."}

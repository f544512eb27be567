"""LLM methods: prompt refinement and the art-director chat."""
from ..jobs import Progress
from ..protocol import invalid_params

MAX_MESSAGE = 20_000


def register(registry, backend):
    persona = backend.persona

    def refine_prompt(call):
        idea = call.params.text("rough_idea", non_empty=True, max_len=MAX_MESSAGE)
        return persona.refine(idea.strip())

    def ask_artist(call):
        p = call.params
        message = p.text("message", non_empty=True, max_len=MAX_MESSAGE)
        history = p.object_list("history", required=False, default=[])
        for entry in history:
            if not all(isinstance(v, str) for v in entry.values()):
                raise invalid_params("history", "must hold objects whose values are strings")
        auto_generate = p.boolean("auto_generate", required=False, default=False)
        return persona.ask(message, history, auto_generate,
                           Progress(backend.output_progress, call.request_id), call.request_id)

    # Both can wait on a network LLM for a long time.
    registry.add("refine_prompt", refine_prompt, background=True)
    registry.add("ask_artist", ask_artist, background=True)

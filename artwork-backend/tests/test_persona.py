"""refine_prompt and ask_artist: through fake providers, and offline."""
import os

import pytest

from fakes import FakeChat

CLOSED_URL = "http://127.0.0.1:9/v1/chat/completions"  # nothing listens on the discard port


@pytest.fixture
def chat():
    server = FakeChat()
    yield server
    server.close()


@pytest.mark.parametrize("provider, config", [
    ("ollama", {"ollama_url": "{url}/v1/chat/completions", "ollama_model": "qwen3:8b"}),
    ("lmstudio", {"lmstudio_url": "{url}/v1/chat/completions", "lmstudio_model": "local"}),
    ("openrouter", {"openrouter_url": "{url}/api/v1/chat/completions", "openrouter_model": "qwen/qwen3.5-27b",
                    "openrouter_api_key": "sk-or-secret-123"}),
])
def test_refine_goes_through_the_configured_provider(backend, chat, provider, config):
    chat.content = "<think>let me see</think>\nneon city at night, cinematic"
    backend.call("set_config", {"provider": provider, "mlx_model": "ignored",
                                **{k: v.format(url=chat.url) for k, v in config.items()}})
    result = backend.call("refine_prompt", {"rough_idea": "city at night"})
    assert result["refined_prompt"] == "neon city at night, cinematic" and result["provider"] == provider
    (method, path, headers, body) = chat.requests[-1]
    assert body["model"] == next(v for k, v in config.items() if k.endswith("_model"))
    assert body["messages"][0]["role"] == "system" and body["messages"][-1]["content"] == "city at night"
    if provider == "openrouter":
        assert headers["Authorization"] == "Bearer sk-or-secret-123"
    else:
        assert "Authorization" not in headers


def test_api_key_is_never_written_to_disk(backend, data_dir):
    backend.call("set_config", {"provider": "openrouter", "openrouter_api_key": "sk-or-DO-NOT-STORE",
                                "openrouter_url": CLOSED_URL})
    backend.call("refine_prompt", {"rough_idea": "jazz"})
    backend.call("generate_image", {"prompt": "jazz", "width": 64, "height": 64, "steps": 1})
    backend.close()
    for root, _, files in os.walk(data_dir):
        for name in files:
            with open(os.path.join(root, name), "rb") as handle:
                assert b"sk-or-DO-NOT-STORE" not in handle.read(), name


def test_openrouter_without_a_key_falls_back_offline(backend, chat):
    backend.call("set_config", {"provider": "openrouter", "openrouter_url": chat.url + "/v1/chat/completions"})
    result = backend.call("refine_prompt", {"rough_idea": "sad jazz ballad"})
    assert result["provider"] == "offline" and chat.requests == []


@pytest.mark.parametrize("idea, expected", [
    ("synthwave night drive", ["synthwave night drive", "retro-futuristic", "light"]),
    ("dark metal album cover with fire", ["firelight", "album-cover"]),
    ("calm ocean, pastel pink", ["pink", "water"]),
])
def test_offline_refinement_adds_style_lighting_and_composition(backend, idea, expected):
    backend.call("set_config", {"provider": "ollama", "ollama_url": CLOSED_URL})
    result = backend.call("refine_prompt", {"rough_idea": idea})
    assert result["provider"] == "offline" and "note" in result
    refined = result["refined_prompt"]
    assert len(refined) > len(idea) + 40
    for word in expected:
        assert word in refined


def test_offline_artist_proposes_and_paints(backend):
    # mlx_local, the default, cannot run on this platform.
    history = [{"role": "user", "content": "Make me an album cover for a dreamy ambient record about the sea"}]
    request_id = backend.send("ask_artist", {"message": history[0]["content"], "history": history,
                                             "auto_generate": True})
    result = backend.reply(request_id)["result"]
    assert "**Style:**" in result["text"] and "**Lighting:**" in result["text"]
    assert os.path.isfile(result["image_path"]) and result["model"] == "procedural-painter"
    assert backend.progress_of(request_id)[-1]["percent"] == 100
    assert "chat" in backend.call("get_gallery")[0]["tags"]


def test_offline_artist_follow_up_builds_on_the_earlier_idea(backend):
    history = [{"role": "user", "content": "a folk album cover with misty mountains"},
               {"role": "assistant", "content": "Here's a concept"},
               {"role": "user", "content": "make it more golden"}]
    result = backend.call("ask_artist", {"message": "make it more golden", "history": history,
                                         "auto_generate": False})
    assert "mountains" in result["prompt"] and "golden" in result["prompt"]
    assert "image_path" not in result


def test_offline_artist_chats_without_painting_on_a_greeting(backend):
    result = backend.call("ask_artist", {"message": "hello!", "history": [], "auto_generate": True})
    assert "Palettor" in result["text"] and "image_path" not in result


def test_llm_reply_with_a_prompt_line_is_painted(backend, chat):
    chat.content = "Picture a lighthouse in a storm.\nPROMPT: lighthouse in a storm, blue, dramatic"
    backend.call("set_config", {"provider": "lmstudio", "lmstudio_url": chat.url + "/v1/chat/completions"})
    history = [{"role": "user", "content": "earlier"}, {"role": "assistant", "content": "ok"},
               {"role": "system", "content": "dropped"}]
    result = backend.call("ask_artist", {"message": "a stormy cover", "history": history, "auto_generate": True})
    assert result["text"].startswith("Picture a lighthouse in a storm.") and "PROMPT:" not in result["text"]
    assert result["prompt"] == "lighthouse in a storm, blue, dramatic" and os.path.isfile(result["image_path"])
    sent = chat.requests[-1][3]["messages"]
    assert [m["role"] for m in sent] == ["system", "user", "assistant", "user"]


def test_artist_reports_a_busy_painter_in_the_text(backend):
    job = backend.send("generate_image", {"prompt": "stars", "width": 2048, "height": 2048, "steps": 150})
    backend.wait_progress(job, lambda n: n["params"]["stage"] == "refining")
    result = backend.call("ask_artist", {"message": "paint a red sunset cover", "history": [],
                                         "auto_generate": True})
    assert "image_path" not in result and "couldn't paint" in result["text"]
    backend.call("cancel_generation")
    backend.reply(job)

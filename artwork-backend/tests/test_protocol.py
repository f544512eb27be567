"""The wire: every bad line gets an error and the server keeps serving."""
import json

import pytest


def assert_still_serving(backend):
    assert backend.call("ping")["status"] == "ok"


@pytest.mark.parametrize("line, code, request_id", [
    (b"this is not json\n", -32700, None),
    (b"\xff\xfe\xfd\n", -32700, None),
    (b'{"jsonrpc": "2.0", "id": "A"}\n', -32600, "A"),           # no method
    (b'{"jsonrpc": "1.0", "id": "A", "method": "ping"}\n', -32600, "A"),
    (b'{"jsonrpc": "2.0", "id": {"x": 1}, "method": "ping"}\n', -32600, None),
    (b'[{"jsonrpc": "2.0", "id": "A", "method": "ping"}]\n', -32600, None),
    (b'"just a string"\n', -32600, None),
])
def test_malformed_lines_get_an_error_reply(shared_backend, line, code, request_id):
    backend = shared_backend
    backend.unmatched.clear()
    backend.send_raw(line)
    reply = backend.reply(request_id) if request_id else backend.wait_unmatched()[0]
    assert reply["error"]["code"] == code and reply["id"] == request_id
    assert_still_serving(backend)


def test_unknown_method_names_the_method(shared_backend):
    backend = shared_backend
    error = backend.error("paint_my_house")
    assert error["code"] == -32601
    assert error["data"]["method"] == "paint_my_house"
    assert_still_serving(backend)


@pytest.mark.parametrize("method, params, param", [
    ("generate_image", {"width": 64, "height": 64}, "prompt"),
    ("generate_image", {"prompt": "x", "width": "64", "height": 64}, "width"),
    ("generate_image", {"prompt": "x", "width": 64.5, "height": 64}, "width"),
    ("generate_image", {"prompt": "x", "width": True, "height": 64}, "width"),
    ("generate_image", {"prompt": "x", "width": 64, "height": 99999}, "height"),
    ("generate_image", {"prompt": "x", "width": 64, "height": 64, "steps": 0}, "steps"),
    ("generate_image", {"prompt": "x", "width": 64, "height": 64, "image_strength": 2}, "image_strength"),
    ("generate_image", {"prompt": "x", "width": 64, "height": 64, "aspect_ratio": "wide"}, "aspect_ratio"),
    ("generate_image", {"prompt": "x", "width": 64, "height": 64, "image_path": "/no/such.png"}, "image_path"),
    ("generate_image", {"prompt": "x", "width": 64, "height": 64, "lora_paths": ["/no/such.safetensors"]},
     "lora_paths"),
    ("update_artwork", {"id": "x", "rating": 6}, "rating"),
    ("update_artwork", {"id": "x", "favorite": "yes"}, "favorite"),
    ("update_artwork", {"rating": 1}, "id"),
    ("get_gallery", {"offset": -1, "limit": 10}, "offset"),
    ("gallery.batch_rate", {"item_ids": "abc", "rating": 3}, "item_ids"),
    ("gallery.batch_export", {"item_ids": ["a"], "target_dir": "relative/dir", "format": "png"}, "target_dir"),
    ("set_image_backend", {"backend": "dall-e"}, "backend"),
    ("set_config", {"provider": "skynet"}, "provider"),
    ("set_config", {"ollama_url": 11434}, "ollama_url"),
    ("upscale_image", {"image_path": "/no/such.png", "target_width": 10, "target_height": 10}, "image_path"),
    ("list_templates", {"category": "misc"}, "category"),
    ("composite_image", {"image_path": "/no/such.png", "layout": "track", "title": "T"}, "image_path"),
    ("ask_artist", {"message": 42}, "message"),
    ("refine_prompt", {}, "rough_idea"),
    ("refine_prompt", {"rough_idea": "\ud800 lone surrogate"}, "rough_idea"),
])
def test_bad_params_name_the_parameter(shared_backend, method, params, param):
    error = shared_backend.error(method, params)
    assert error["code"] == -32602, error
    assert error["data"]["param"] == param
    assert param in error["message"] and error["data"]["detail"]


def test_params_that_are_not_an_object_are_refused(shared_backend):
    error = shared_backend.error("get_gallery", [0, 50])
    assert error["code"] == -32602


def test_huge_line_is_discarded_and_answered(start_backend):
    backend = start_backend(ARTWORK_MAX_REQUEST_BYTES="4096")
    big = json.dumps({"jsonrpc": "2.0", "id": "big", "method": "refine_prompt",
                      "params": {"rough_idea": "x" * 200_000}})
    backend.send_raw(big + "\n")
    (reply,) = backend.wait_unmatched()
    assert reply["error"]["code"] == -32600 and "too large" in reply["error"]["message"]
    assert_still_serving(backend)


def test_notification_without_id_gets_no_reply(backend):
    backend.send_raw('{"jsonrpc": "2.0", "method": "ping"}\n')
    backend.send_raw('{"jsonrpc": "2.0", "method": "no_such_method"}\n')
    assert_still_serving(backend)
    assert backend.unmatched == []


def test_replies_are_single_lines_with_integer_numbers(backend, data_dir):
    result = backend.call("generate_image", {"prompt": "line\nbreak \"quoted\"", "width": 80.0, "height": 64,
                                             "seed": 5, "steps": 1})
    assert type(result["width"]) is int and type(result["height"]) is int and type(result["seed"]) is int
    assert result["width"] == 80 and result["prompt"] == 'line\nbreak "quoted"'


def test_numeric_ids_are_echoed(backend):
    backend.send_raw('{"jsonrpc": "2.0", "id": 7, "method": "ping"}\n')
    assert backend.reply(7)["result"]["status"] == "ok"


def test_stdout_carries_protocol_lines_only(backend):
    # The harness parses every stdout line as JSON and would fail on anything else.
    backend.call("get_system_info")
    backend.call("generate_image", {"prompt": "x", "width": 64, "height": 64, "steps": 1})
    assert backend.unmatched == []

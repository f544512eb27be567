"""Housekeeping methods."""
import os


def test_system_info_has_the_keys_the_app_reads(backend):
    info = backend.call("get_system_info")
    assert isinstance(info["architecture"], str) and info["architecture"]
    for key in ("ram_gb", "disk_free_gb", "disk_total_gb"):
        assert isinstance(info[key], (int, float)) and info[key] > 0


def test_mcp_status_reports_a_missing_binary(backend):
    status = backend.call("mcp_status")
    assert status["available"] is False and "binary_path" not in status


def test_mcp_status_finds_an_installed_binary(start_backend, tmp_path):
    bin_dir = tmp_path / "bin"
    bin_dir.mkdir()
    binary = bin_dir / "zorbel-pictavia-mcp"
    binary.write_text("#!/bin/sh\n")
    binary.chmod(0o755)
    backend = start_backend(PATH=f"{bin_dir}{os.pathsep}{os.environ['PATH']}")
    assert backend.call("mcp_status") == {"available": True, "binary_path": str(binary)}


def test_set_config_accepts_both_provider_keys_and_never_echoes_secrets(backend):
    result = backend.call("set_config", {"llm_provider": "ollama", "bfl_api_key": "bfl-secret", "theme": "dark"})
    assert result["updated"] == ["bfl_api_key", "llm_provider"] and result["ignored"] == ["theme"]
    assert "bfl-secret" not in str(result)
    assert backend.call("get_system_info")["llm_provider"] == "ollama"


def test_unload_model_answers(backend):
    assert backend.call("unload_model")["engine"] == "procedural"

"""Housekeeping methods: ping, disk, system information, configuration, MCP, templates."""
import time

from ..protocol import invalid_params
from ..settings import CONFIG_KEYS, LLM_PROVIDERS, SECRET_KEYS
from ..system import mcp_status, system_info
from ..templates import apply_template, list_templates


def register(registry, backend):
    started = time.monotonic()

    def ping(call):
        return {"status": "ok", "uptime_seconds": round(time.monotonic() - started, 1)}

    def check_disk_space(call):
        return backend.disk.status()

    def get_system_info(call):
        return system_info(backend.disk, backend.settings.data_dir, backend.engines.current_name,
                           backend.config.llm_provider, backend.gallery.count())

    def set_config(call):
        values = {}
        ignored = []
        for key, value in call.params.raw.items():
            if key not in CONFIG_KEYS:
                ignored.append(key)
                continue
            if not isinstance(value, str):
                raise invalid_params(key, "must be a string")
            values[key] = value.strip() if key.endswith("_url") else value
        for key in ("provider", "llm_provider"):
            if key in values and values[key] not in LLM_PROVIDERS:
                raise invalid_params(key, f"must be one of {', '.join(LLM_PROVIDERS)}")
        backend.config.update(values)
        # Secrets are named but never echoed.
        return {"updated": sorted(values), "ignored": sorted(ignored),
                "secrets_in_memory_only": sorted(k for k in values if k in SECRET_KEYS)}

    def mcp(call):
        return mcp_status()

    def templates(call):
        return list_templates(call.params.text("category", required=False))

    def apply(call):
        template_id = call.params.text("template_id", non_empty=True)
        values = call.params.text_map("values", required=False, default={})
        return apply_template(template_id, values)

    registry.add("ping", ping)
    registry.add("check_disk_space", check_disk_space)
    registry.add("get_system_info", get_system_info)
    registry.add("set_config", set_config)
    registry.add("mcp_status", mcp)
    registry.add("list_templates", templates)
    registry.add("apply_template", apply)

"""Disk space, machine information and the MCP server's presence."""
import os
import platform
import shutil
import sys
from pathlib import Path

import PIL

from .protocol import BACKEND_ERROR, RpcError

GB = 1024 ** 3
MCP_BINARY = "zorbel-pictavia-mcp"


def _round(value):
    return round(value, 1)


class DiskMonitor:
    """Free space of the file system holding the gallery.

    Below `warning_gb` the application asks before generating; below
    `critical_gb` it refuses, and so does the backend, so that a full disk
    cannot leave half-written images behind.
    """

    def __init__(self, path, warning_gb, critical_gb, usage=shutil.disk_usage):
        self._path = Path(path)
        self.warning_gb = warning_gb
        self.critical_gb = critical_gb
        self._usage = usage

    def usage_gb(self):
        usage = self._usage(self._path)
        return usage.free / GB, usage.total / GB

    def status(self):
        free, total = self.usage_gb()
        return {"free_gb": _round(free), "total_gb": _round(total),
                "warning": free < self.warning_gb, "critical": free < self.critical_gb,
                "warning_threshold_gb": self.warning_gb, "critical_threshold_gb": self.critical_gb}

    def require_space(self):
        free, _ = self.usage_gb()
        if free < self.critical_gb:
            raise RpcError(BACKEND_ERROR, "Not enough disk space",
                           detail=f"Only {free:.1f} GB free where the gallery is stored ({self._path}); "
                                  f"at least {self.critical_gb:g} GB is needed.",
                           fix="Free up disk space, or delete artworks you no longer need.")


def ram_gb():
    try:
        return os.sysconf("SC_PHYS_PAGES") * os.sysconf("SC_PAGE_SIZE") / GB
    except (ValueError, OSError, AttributeError):
        return None


def cpu_name():
    try:
        with open("/proc/cpuinfo", encoding="utf-8", errors="replace") as handle:
            for line in handle:
                if line.lower().startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or platform.machine()


def system_info(disk, data_dir, engine_name, llm_provider, gallery_count):
    free, total = disk.usage_gb()
    info = {
        "architecture": platform.machine(),
        "os": f"{platform.system()} {platform.release()}",
        "chip": cpu_name(),
        "cpu_count": os.cpu_count() or 1,
        "disk_free_gb": _round(free),
        "disk_total_gb": _round(total),
        "python_version": platform.python_version(),
        "pillow_version": PIL.__version__,
        "image_backend": engine_name,
        "llm_provider": llm_provider,
        "data_dir": str(data_dir),
        "gallery_items": gallery_count,
    }
    ram = ram_gb()
    if ram is not None:
        info["ram_gb"] = _round(ram)
    return info


def mcp_status(env=os.environ):
    """The MCP server is a separate program; it is available when its binary
    is installed beside this interpreter or on PATH."""
    candidates = [Path(sys.prefix) / "bin" / MCP_BINARY]
    found = shutil.which(MCP_BINARY, path=env.get("PATH"))
    if found:
        candidates.append(Path(found))
    for candidate in candidates:
        if candidate.is_file() and os.access(candidate, os.X_OK):
            return {"available": True, "binary_path": str(candidate)}
    return {"available": False,
            "detail": f"The '{MCP_BINARY}' program is not installed in this backend's environment."}

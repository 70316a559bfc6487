#!/usr/bin/env python3
"""Fails when a source file includes a project header from a layer above its own.

The layers, lowest first, as the libraries in src/CMakeLists.txt link them. A folder may
include headers of its own folder and of any folder listed before it in its chain.
"""
import pathlib
import re
import sys

# Each folder with the folders it may include from (besides itself).
ALLOWED = {
    "platform": set(),
    "raster": {"platform"},
    "core": {"platform"},
    "frames": {"platform", "raster", "core"},
    "interlace": {"platform", "raster", "core", "frames"},
    "compose": {"platform", "raster", "core", "frames", "interlace"},
    "output": {"platform", "raster", "core", "frames", "interlace", "compose"},
    "testchart": {"platform", "raster", "core", "frames", "interlace", "compose", "output"},
    "cli": {"platform", "raster", "core", "frames", "interlace", "compose", "output",
            "testchart"},
    "windows": {"platform", "raster", "core", "frames", "interlace", "compose", "output",
                "testchart"},
    "app": {"platform", "raster", "core", "frames", "interlace", "compose", "output",
            "testchart", "windows"},
}
# Only these may use the toolkit's widgets.
WIDGET_FOLDERS = {"windows", "app", "platform/qt", "platform/testing"}

src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parents[1] / "src")
include = re.compile(r'^\s*#\s*include\s+[<"]([^">]+)[">]', re.M)
problems = []
for path in sorted(src.rglob("*")):
    if path.suffix not in (".h", ".cpp"):
        continue
    rel = path.relative_to(src)
    folder = rel.parts[0]
    if folder not in ALLOWED:
        problems.append(f"{rel}: folder {folder} has no place among the layers")
        continue
    subfolder = "/".join(rel.parts[:2]) if len(rel.parts) > 2 else folder
    for header in include.findall(path.read_text(encoding="utf-8")):
        top = header.split("/")[0]
        if top in ALLOWED and top != folder and top not in ALLOWED[folder]:
            problems.append(f"{rel}: includes {header}, a layer above {folder}")
        if (header.startswith(("QtWidgets", "QtPrintSupport", "QWidget", "QPrinter"))
                and folder not in WIDGET_FOLDERS and subfolder not in WIDGET_FOLDERS):
            problems.append(f"{rel}: includes {header}; only windows use the widgets")
for problem in problems:
    print(problem)
sys.exit(1 if problems else 0)

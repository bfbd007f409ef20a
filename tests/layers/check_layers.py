#!/usr/bin/env python3
"""Fails when a source file includes, or a library links, a layer above its own.

The layers of src/, lowest first; saver and settings_dialog stand side by side and neither
reaches the other. Portable files (no platform prefix in their name) never include windows.h.
"""
import pathlib
import re
import sys

LAYERS = {"platform": 0, "settings": 1, "pictures": 2, "render": 3, "saver": 4,
          "settings_dialog": 4, "app": 5}
PLATFORM_PREFIXES = ("win32_", "posix_", "x11_", "gl_")

INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]', re.M)
LINK = re.compile(r"target_link_libraries\(\s*(\w+)(.*?)\)", re.S)


def include_faults(src):
    faults = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        layer = path.relative_to(src).parts[0]
        for included in INCLUDE.findall(path.read_text(encoding="utf-8")):
            target = included.split("/")[0]
            if target in LAYERS and target != layer and LAYERS[target] >= LAYERS[layer]:
                faults.append(f"{path.relative_to(src)} includes {included}")
            if included.lower() == "windows.h" and not path.name.startswith(PLATFORM_PREFIXES):
                faults.append(f"{path.relative_to(src)} is portable but includes windows.h")
    return faults


def layer_of_library(name):
    match = re.fullmatch(r"vexaframe_(\w+?)(_win32)?", name)
    return match.group(1) if match and match.group(1) in LAYERS else None


def link_faults(src):
    faults = []
    for lists in sorted(src.rglob("CMakeLists.txt")):
        layer = lists.relative_to(src).parts[0]
        if layer not in LAYERS:
            continue
        for library, linked in LINK.findall(lists.read_text(encoding="utf-8")):
            own = layer_of_library(library) or layer
            for other in re.findall(r"vexaframe_\w+", linked):
                target = layer_of_library(other)
                if target and target != own and LAYERS[target] >= LAYERS[own]:
                    faults.append(f"{lists.relative_to(src)}: {library} links {other}")
    return faults


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    faults = include_faults(src) + link_faults(src)
    for fault in faults:
        print(fault)
    print(f"{len(faults)} layering faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Keeps the subsystem libraries depending downward only.

Reads every #include "folder/file.h" of the product's library folders and the
libraries each folder's CMakeLists.txt declares and links, and fails, naming
the file and line, when a library includes a folder at or above its own layer
or a folder its target does not link. A link to a library at or above the
linking one fails too, and so does a rescanned link group.

usage: check_layers.py [source root]    (default: the folder above tools/)
"""

import os
import re
import sys

# Bottom to top; folders on one row are siblings and must not use each other.
LAYERS = [
    ["ownership"],
    ["settings"],
    ["library", "media", "music", "render"],
    ["session"],
    ["config"],
    # The process entry serves the dialog mode as well as the running saver.
    ["host"],
]
# Build-time tools stand apart: they include only themselves.
APART = ["tools"]
# Plain #defines shared with the .rc files: no code, no link, usable by all.
SHARED_HEADERS = {"resources/resource_ids.h"}
# Executables inside a library folder link the whole product; not a layer.
SKIPPED_SUBFOLDERS = {"bench"}

SOURCE_SUFFIXES = (".h", ".cpp")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/([^"]+)"')
TARGET_NAME = re.compile(r"^brindora_([a-z0-9]+?)(_pure)?$")


def level_of(folder):
    for level, row in enumerate(LAYERS):
        if folder in row:
            return level
    return None


def cmake_commands(text, command):
    """(arguments) of every call of `command`, comments removed."""
    text = re.sub(r"#[^\n]*", "", text)
    for match in re.finditer(r"\b" + command + r"\s*\(([^)]*)\)", text, re.S):
        yield match.group(1).split()


def folder_of_target(name):
    match = TARGET_NAME.match(name)
    return match.group(1) if match else None


class Folder:
    def __init__(self, root, name):
        self.name = name
        self.sources = {}  # file name -> target
        self.links = {}  # target -> set of folders it links
        self.problems = []
        path = os.path.join(root, name, "CMakeLists.txt")
        with open(path, encoding="utf-8") as cmake:
            text = cmake.read()
        if "LINK_GROUP" in text:
            self.problems.append((f"{name}/CMakeLists.txt", 1, "a rescanned link group hides a cycle"))
        for args in cmake_commands(text, "add_library"):
            target = args[0]
            if folder_of_target(target) != name:
                continue
            self.links.setdefault(target, set())
            for source in args[1:]:
                if source.endswith(SOURCE_SUFFIXES):
                    self.sources[source] = target
        for args in cmake_commands(text, "target_link_libraries"):
            target = args[0]
            if target not in self.links:
                continue
            for item in args[1:]:
                linked = folder_of_target(item)
                if linked and linked != name:
                    self.links[target].add(linked)

    def allowed_for(self, file_name):
        """Folders the file may include: its target's links, or for a header
        (shared by the folder's targets) what any of them links."""
        target = self.sources.get(file_name)
        if target:
            return self.links[target]
        return set().union(*self.links.values()) if self.links else set()


def check(root):
    problems = []
    folders = {}
    for name in [f for row in LAYERS for f in row] + APART:
        if os.path.isfile(os.path.join(root, name, "CMakeLists.txt")):
            folders[name] = Folder(root, name)

    top = os.path.join(root, "CMakeLists.txt")
    if os.path.isfile(top):
        with open(top, encoding="utf-8") as cmake:
            for number, line in enumerate(cmake, 1):
                if "LINK_GROUP" in line.split("#")[0]:
                    problems.append(("CMakeLists.txt", number, "a rescanned link group hides a cycle"))

    for name, folder in folders.items():
        problems += folder.problems
        own = level_of(name)
        for target, linked in folder.links.items():
            for other in sorted(linked):
                other_level = level_of(other)
                if own is None or other_level is None or other_level >= own:
                    problems.append((f"{name}/CMakeLists.txt", 1, f"{target} links {other}, which is not below {name}"))

    files = includes = 0
    for name, folder in folders.items():
        own = level_of(name)
        base = os.path.join(root, name)
        for directory, subfolders, names in os.walk(base):
            subfolders[:] = sorted(s for s in subfolders if s not in SKIPPED_SUBFOLDERS)
            for file_name in sorted(names):
                if not file_name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(directory, file_name)
                relative = os.path.relpath(path, root).replace(os.sep, "/")
                allowed = folder.allowed_for(os.path.relpath(path, base).replace(os.sep, "/"))
                files += 1
                with open(path, encoding="utf-8") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        includes += 1
                        other, header = match.groups()
                        if other == name or f"{other}/{header}" in SHARED_HEADERS:
                            continue
                        other_level = level_of(other)
                        if own is None or other_level is None or other_level >= own:
                            problems.append((relative, number, f"includes {other}/{header}, not below {name}"))
                        elif other not in allowed:
                            problems.append(
                                (relative, number, f"includes {other}/{header}, outside the links its target declares"))
    return problems, files, includes


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    problems, files, includes = check(root)
    for path, line, message in problems:
        print(f"{path}:{line}: {message}")
    if problems:
        print(f"layering broken: {len(problems)} problem(s)")
        return 1
    print(f"layering holds: {files} files, {includes} includes between folders and within them")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

#!/usr/bin/env python3
"""Checks that the game's source folders stand in their layers.

Each folder under src/ has a floor; a file may include headers from its own folder and from folders
on lower floors only. Folders on one floor do not include each other. A few deliberate hooks
are allowed to reach up; they are listed below by file and header, each with why. Besides the floors,
no two files of different folders may include each other through a loop (a file and its header count
as one unit).

Exit code 0 when the tree keeps to its layers, 1 with one line per fault otherwise.

Usage: tools/check_layers.py [SRC_DIR]
"""

import os
import re
import sys

# Lowest first. A folder may include the folders on its own floor's left only when they are lower.
FLOORS = [
    ["math", "core"],   # plain values and the services every layer uses: log, options, clock, input
    ["platform"],       # the operating system: window, events, GPU and audio devices, folders
    ["objects"],        # game objects, components, transform, kinematics, collision
    ["audio"],          # the audio system and the sound component
    ["graphics"],       # the device, shaders, sprites, models, lights, text, particles, the frame
    ["scenes"],         # the scene manager, level and attribute files, the object factory
    ["widgets"],        # buttons, menu parts, navigation, notices
    ["gameplay"],       # behaviours, path finding, the level rules, the HUD, records and kept runs
    ["ui"],             # the screens and menus built from the widgets
    ["editor"],         # the level editor
    ["app"],            # the program: application, main loop, scripted input, state log, dumps
    ["tools"],          # programs built on the whole game
]

# Deliberate includes of a higher floor: (including file, included header) -> why.
EXCEPTIONS = {
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/([^"]+)"', re.M)


def floor_of():
    floors = {}
    for level, folders in enumerate(FLOORS):
        for folder in folders:
            floors[folder] = level
    return floors


def read_includes(src):
    """Yields (file, folder, included folder, included path) for every quoted include under src."""
    for folder in sorted(os.listdir(src)):
        path = os.path.join(src, folder)
        if not os.path.isdir(path):
            continue
        for root, _, names in os.walk(path):
            for name in sorted(names):
                if not name.endswith((".h", ".cpp")):
                    continue
                file = os.path.relpath(os.path.join(root, name), src).replace(os.sep, "/")
                with open(os.path.join(root, name), encoding="utf-8") as f:
                    text = f.read()
                for included_folder, rest in INCLUDE.findall(text):
                    yield file, folder, included_folder, included_folder + "/" + rest


def unit(path):
    return os.path.splitext(path)[0]


def loops(edges):
    """Strongly connected groups of more than one unit (Tarjan's algorithm, iterative)."""
    index, low, stack, on_stack, groups = {}, {}, [], set(), []
    counter = 0
    for start in sorted(edges):
        if start in index:
            continue
        work = [(start, iter(sorted(edges.get(start, ()))))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            advanced = False
            for child in children:
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(edges.get(child, ())))))
                    advanced = True
                    break
                if child in on_stack:
                    low[node] = min(low[node], index[child])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                group = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    group.append(member)
                    if member == node:
                        break
                if len(group) > 1:
                    groups.append(sorted(group))
    return groups


def check(src):
    floors = floor_of()
    faults = []
    used = set()
    edges = {}
    for file, folder, included_folder, included in read_includes(src):
        if included_folder not in floors and not os.path.isdir(os.path.join(src, included_folder)):
            continue  # a library's header, such as "imgui/imgui.h" would be
        if folder not in floors:
            faults.append(f"{file}: the folder {folder}/ has no floor in tools/check_layers.py")
            continue
        if included_folder not in floors:
            faults.append(f"{file}: includes {included}, whose folder has no floor")
            continue
        if unit(included) != unit(file):
            edges.setdefault(unit(file), set()).add(unit(included))
        if included_folder == folder or floors[included_folder] < floors[folder]:
            continue
        if (file, included) in EXCEPTIONS:
            used.add((file, included))
            continue
        side = "beside" if floors[included_folder] == floors[folder] else "above"
        faults.append(f"{file}: includes {included}, from a folder {side} its own")
    for file, included in sorted(set(EXCEPTIONS) - used):
        faults.append(f"exception no longer needed: {file} -> {included}")
    for group in loops(edges):
        if len({member.split("/")[0] for member in group}) > 1:
            faults.append("include loop across folders: " + " -> ".join(group))
    return faults


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src")
    faults = check(src)
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} layer fault(s)")
        return 1
    print(f"layers kept: {len(FLOORS)} floors, {len(EXCEPTIONS)} listed exception(s)")
    return 0


if __name__ == "__main__":
    sys.exit(main())

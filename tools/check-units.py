#!/usr/bin/env python3
"""Checks the include graph of src/: every layer includes only what it may,
and no two units include each other, however indirectly.

A unit is foo.h + foo.cpp of one folder. foo_internal.h belongs to unit foo,
and so does a source with no header of its own that includes its folder's
foo_internal.h (minigui/mini_gui_text.cpp is part of minigui/mini_gui).
Any other source without a header is a unit of its own.

Usage: check-units.py [REPO_ROOT]   (default: the folder above tools/)
Prints one line on success and exits 0; otherwise prints each problem on its
own line, then the counts, and exits 1 (2 when there is no src/ folder).
"""

import os
import re
import sys
from collections import deque

# What each layer may include, by the folder (under src/) of the including
# file. A name ending in "/" is a folder, anything else one exact file.
# "only": everything else is refused; "not": these are refused.
LAYERS = [
    ("race/",     "only", ["race/", "common/", "platform/services.h"]),
    ("common/",   "only", ["common/"]),
    ("platform/", "not",  ["race/", "game/", "minigui/", "dialogs/"]),
    ("minigui/",  "not",  ["race/", "game/"]),
    ("dialogs/",  "not",  ["race/", "game/"]),
    # The editor's drawing, undo and check are tested without a window.
    ("editor/circuit_model", "only", ["editor/circuit_model.h", "race/", "common/",
                                      "platform/services.h"]),
]

# Folders that must stay free of the window, image and regex libraries, and
# the <...> includes that would bring them in.
LIBRARY_FREE = ["race/", "common/", "editor/circuit_model"]
LIBRARY_HEADER = re.compile(r"^(SDL[^/]*\.h|SDL2/.+|png\.h|pcre2\.h)$")

SOURCE_EXTENSIONS = (".h", ".cpp")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')


def matches(path, entry):
    return path.startswith(entry) if entry.endswith("/") else path == entry


def describe(entries, last="and"):
    if len(entries) == 1:
        return entries[0]
    return ", ".join(entries[:-1]) + " " + last + " " + entries[-1]


def layer_problem(source, target):
    """The reason `source` may not include `target`, or None."""
    for folder, kind, entries in LAYERS:
        if not source.startswith(folder):
            continue
        hit = any(matches(target, e) for e in entries)
        name = folder.rstrip("/")
        if kind == "only" and not hit:
            return "%s may include only %s" % (name, describe(entries))
        if kind == "not" and hit:
            return "%s must not include %s" % (name, describe(entries, "or"))
    return None


def strip_comments(text):
    """The text with /* */ and // comments blanked out, lines kept in place."""
    out, i, n = [], 0, len(text)
    in_block = in_string = False
    while i < n:
        c = text[i]
        if in_block:
            if text.startswith("*/", i):
                in_block = False
                i += 2
                continue
            out.append("\n" if c == "\n" else " ")
        elif in_string:
            out.append(c)
            if c == "\\" and i + 1 < n:
                out.append(text[i + 1])
                i += 1
            elif c == '"' or c == "\n":
                in_string = False
        elif text.startswith("/*", i):
            in_block = True
            out.append("  ")
            i += 2
            continue
        elif text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
            continue
        else:
            out.append(c)
            in_string = c == '"'
        i += 1
    return "".join(out)


def read_tree(src):
    """Every .h/.cpp under src/, by path relative to src/ with '/' separators."""
    files = {}
    for folder, dirs, names in os.walk(src):
        dirs.sort()
        for name in sorted(names):
            if name.endswith(SOURCE_EXTENSIONS):
                full = os.path.join(folder, name)
                rel = os.path.relpath(full, src).replace(os.sep, "/")
                with open(full, encoding="utf-8", errors="replace") as f:
                    files[rel] = strip_comments(f.read())
    return files


def resolve(src, including, name):
    """The path under src/ a quoted include names, or None. Like the compiler,
    the including file's own folder is searched before src/."""
    here = os.path.dirname(including)
    for base in ([here] if here else []) + [""]:
        rel = os.path.normpath(os.path.join(base, name)).replace(os.sep, "/")
        if not rel.startswith("../") and rel != ".." and os.path.isfile(os.path.join(src, rel)):
            return rel
    return None


def split(path):
    folder, name = os.path.split(path)
    return folder, os.path.splitext(name)[0]


def unit_name(folder, stem):
    return folder + "/" + stem if folder else stem


def units_of(files, includes):
    """The unit every file belongs to (file -> unit name)."""
    headers = {split(p) for p in files if not p.endswith(".cpp")}
    unit = {}
    for path in files:
        folder, stem = split(path)
        if not path.endswith(".cpp"):
            if stem.endswith("_internal"):
                stem = stem[:-len("_internal")]
        elif (folder, stem) not in headers:
            for _, target, _ in includes[path]:
                tfolder, tstem = split(target)
                if tfolder == folder and tstem.endswith("_internal") and target.endswith(".h"):
                    stem = tstem[:-len("_internal")]
                    break
        elif stem.endswith("_internal"):
            stem = stem[:-len("_internal")]
        unit[path] = unit_name(folder, stem)
    return unit


def strongly_connected(nodes, edges):
    """Tarjan's components, iteratively; only those of more than one unit."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = 0
    for root in nodes:
        if root in index:
            continue
        work = [(root, iter(sorted(edges.get(root, ()))))]
        index[root] = low[root] = counter
        counter += 1
        stack.append(root)
        on_stack.add(root)
        while work:
            node, children = work[-1]
            child = next(children, None)
            if child is not None:
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(edges.get(child, ())))))
                elif child in on_stack:
                    low[node] = min(low[node], index[child])
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                group = []
                while True:
                    top = stack.pop()
                    on_stack.discard(top)
                    group.append(top)
                    if top == node:
                        break
                if len(group) > 1:
                    found.append(sorted(group))
    return sorted(found)


def shortest_path(edges, start, goal, inside):
    """Units from start to goal along edges within `inside` (both ends kept)."""
    came = {start: None}
    queue = deque([start])
    while queue:
        node = queue.popleft()
        if node == goal:
            path = []
            while node is not None:
                path.append(node)
                node = came[node]
            return path[::-1]
        for nxt in sorted(edges.get(node, ())):
            if nxt in inside and nxt not in came:
                came[nxt] = node
                queue.append(nxt)
    return None


def loops_of(group, edges):
    """Loops that between them use every dependency inside one component:
    for each arrow a -> b, the arrow plus the shortest way back from b to a."""
    inside = set(group)
    loops = set()
    for a in group:
        for b in sorted(edges.get(a, ())):
            if b not in inside:
                continue
            back = shortest_path(edges, b, a, inside)
            cycle = [a] + back[:-1]
            first = cycle.index(min(cycle))
            loops.add(tuple(cycle[first:] + cycle[:first]))
    return sorted(loops, key=lambda c: (len(c), c))


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    src = os.path.join(root, "src")
    if not os.path.isdir(src):
        print("check-units: no src/ folder in %s" % root)
        return 2

    files = read_tree(src)
    problems = []
    includes = {}  # file -> [(line number, resolved path, include text)]
    for path, text in files.items():
        includes[path] = []
        for number, line in enumerate(text.split("\n"), 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            bracket, name = m.groups()
            where = "src/%s:%d" % (path, number)
            if bracket == "<":
                if LIBRARY_HEADER.match(name) and any(path.startswith(f) for f in LIBRARY_FREE):
                    problems.append("%s: includes <%s> (%s must not use SDL, libpng or PCRE2)"
                                    % (where, name, path.split("/")[0]))
                continue
            target = resolve(src, path, name)
            if target is None:
                problems.append("%s: includes %s, which is not a file under src/" % (where, name))
                continue
            reason = layer_problem(path, target)
            if reason:
                problems.append("%s: includes %s (%s)" % (where, name, reason))
            includes[path].append((number, target, name))

    unit = units_of(files, includes)
    edges, witness = {}, {}
    for path in sorted(files):
        for number, target, name in includes[path]:
            a = unit[path]
            b = unit.get(target) or unit_name(*split(target))
            if a == b:
                continue
            edges.setdefault(a, set()).add(b)
            witness.setdefault((a, b), "src/%s:%d includes %s" % (path, number, name))
    nodes = sorted(set(unit.values()) | {b for bs in edges.values() for b in bs})
    dependencies = sum(len(bs) for bs in edges.values())

    loop_count = 0
    for group in strongly_connected(nodes, edges):
        for cycle in loops_of(group, edges):
            loop_count += 1
            arrows = [(cycle[i], cycle[(i + 1) % len(cycle)]) for i in range(len(cycle))]
            problems.append("loop: %s -> %s (%s)" % (
                " -> ".join(cycle), cycle[0], "; ".join(witness[e] for e in arrows)))

    if not problems:
        print("unit graph: %d units, %d dependencies, no loops, layers kept" % (len(nodes), dependencies))
        return 0
    for line in problems:
        print(line)
    bad_includes = len(problems) - loop_count
    print("unit graph: %d units, %d dependencies, %d loop%s, %d include problem%s"
          % (len(nodes), dependencies, loop_count, "s"[:loop_count != 1],
             bad_includes, "s"[:bad_includes != 1]))
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))

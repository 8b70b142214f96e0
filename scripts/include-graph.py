#!/usr/bin/env python3
"""The project's include graph, read from the sources' #include "..." lines.

Reports three things a layout should not have:
  circles   -- units (Foo.h with Foo.cpp) that reach each other through their
               includes, listed as the strongly connected groups of units;
  upward    -- includes from a folder to a folder of a higher layer (LAYERS
               below, lowest first; folders of one layer may not include
               each other either);
  folder circles -- folders that include each other, directly or round.

Usage: scripts/include-graph.py [--tests] [--edges]   (run from anywhere)
  --tests  count tests/ too (tests/<folder> sits above the whole product, its
           test folders in the product's order)
  --edges  list every include between two folders
Exits 1 when there is a circle or an upward include, else 0.
"""
import os
import re
import sys
from collections import defaultdict

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# The layers, lowest first: a folder may include its own files and those of
# lower layers only.
LAYERS = [
    ["platform", "framework", "res"],
    ["settings"],
    ["engine"],
    ["blur"],
    ["text"],
    ["runmode", "ui"],
    ["app"],
]
RANK = {folder: rank for rank, layer in enumerate(LAYERS) for folder in layer}
SOURCE = re.compile(r"\.(h|cpp)$")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def sources(with_tests):
    for folder, _, files in os.walk(ROOT):
        rel = os.path.relpath(folder, ROOT)
        top = rel.split(os.sep)[0]
        if top.startswith(".") or top in ("build", "dist", "out", "scripts", "docs", "cmake"):
            continue
        if top == "tests" and not with_tests:
            continue
        for name in files:
            if SOURCE.search(name):
                yield os.path.normpath(os.path.join(rel, name)).replace(os.sep, "/")


def folder_of(path):
    parts = path.split("/")
    return "/".join(parts[:2]) if parts[0] == "tests" else parts[0]


def unit_of(path):
    return SOURCE.sub("", path)


def resolve(includer, target, known):
    local = os.path.normpath(os.path.join(os.path.dirname(includer), target)).replace(os.sep, "/")
    if local in known:
        return local
    return target if target in known else None


def strongly_connected(nodes, edges):
    """Tarjan's groups of more than one node."""
    index, low, stack, on, groups, counter = {}, {}, [], set(), [], [0]

    def visit(node):
        index[node] = low[node] = counter[0]
        counter[0] += 1
        stack.append(node)
        on.add(node)
        for nxt in sorted(edges[node]):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            group = []
            while True:
                top = stack.pop()
                on.discard(top)
                group.append(top)
                if top == node:
                    break
            if len(group) > 1:
                groups.append(sorted(group))

    for node in sorted(nodes):
        if node not in index:
            visit(node)
    return groups


def rank_of(folder):
    # tests/<folder> sits above all the product, in its folder's order;
    # tests of no product folder (bench, e2e) on top.
    if folder.startswith("tests/"):
        inner = RANK.get(folder[len("tests/"):])
        return len(LAYERS) + (inner if inner is not None else len(LAYERS))
    return RANK.get(folder)


def main():
    with_tests = "--tests" in sys.argv
    files = sorted(sources(with_tests))
    known = set(files)
    file_edges = []
    for path in files:
        with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
            for target in INCLUDE.findall(f.read()):
                found = resolve(path, target, known)
                if found and found != path:
                    file_edges.append((path, found))

    units, unit_edges = set(), defaultdict(set)
    folders, folder_edges = set(), defaultdict(set)
    for path in files:
        units.add(unit_of(path))
        folders.add(folder_of(path))
    for a, b in file_edges:
        if unit_of(a) != unit_of(b):
            unit_edges[unit_of(a)].add(unit_of(b))
        if folder_of(a) != folder_of(b):
            folder_edges[folder_of(a)].add(folder_of(b))

    circles = strongly_connected(units, unit_edges)
    folder_circles = strongly_connected(folders, folder_edges)
    upward, unranked = [], set()
    for a, b in file_edges:
        fa, fb = folder_of(a), folder_of(b)
        if fa == fb:
            continue
        ra, rb = rank_of(fa), rank_of(fb)
        if ra is None or rb is None:
            unranked.update(f for f, r in ((fa, ra), (fb, rb)) if r is None)
            continue
        if rb >= ra:
            upward.append((a, b))

    print("files: %d, includes: %d, folders: %s" % (len(files), len(file_edges), " ".join(sorted(folders))))
    print("circles: %d" % len(circles))
    for group in circles:
        print("  circle: " + " <-> ".join(group))
    print("upward includes: %d" % len(upward))
    for a, b in upward:
        print("  up: %s -> %s" % (a, b))
    print("folder circles: %d" % len(folder_circles))
    for group in folder_circles:
        print("  folder circle: " + " <-> ".join(group))
    if unranked:
        print("folders without a layer: " + " ".join(sorted(unranked)))
    if "--edges" in sys.argv:
        for folder in sorted(folder_edges):
            print("  %s -> %s" % (folder, " ".join(sorted(folder_edges[folder]))))
    return 1 if circles or upward or folder_circles else 0


if __name__ == "__main__":
    sys.exit(main())

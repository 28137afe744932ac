#!/usr/bin/env python3
"""Reads `qmptool dump` JSON on stdin and prints, for each visible arrow, where its
two ends lie: on which connection point of which shape or diamond (within one
pixel, 15 twips), or "free". One line per arrow: "arrow N: TAIL HEAD"."""
import json
import sys

REACH = 15


def points(doc):
    for i, s in enumerate(doc["shapes"], 1):
        e = s["entry"]
        if not e["visible"]:
            continue
        mid, div = e["left"] + e["width"] / 2, s["line"]["y1"]
        yield f"shape{i}", {"left": (e["left"], div), "right": (e["left"] + e["width"], div),
                            "top": (mid, e["top"]), "bottom": (mid, e["top"] + e["height"])}
    for i, d in enumerate(doc["diamonds"], 1):
        e = d["entry"]
        if not e["visible"]:
            continue
        mx, my = e["left"] + e["width"] / 2, e["top"] + e["height"] / 2
        yield f"diamond{i}", {"left": (e["left"], my), "right": (e["left"] + e["width"], my),
                              "top": (mx, e["top"]), "bottom": (mx, e["top"] + e["height"])}


def on(doc, x, y):
    for name, ps in points(doc):
        for side, (px, py) in ps.items():
            if abs(x - px) <= REACH and abs(y - py) <= REACH:
                return f"{name}.{side}"
    return "free"


doc = json.load(sys.stdin)
for a, arrow in enumerate(doc["arrows"], 1):
    slots = arrow["record"]["slots"]
    n = slots[256]
    if n < 1:
        continue
    first, last = doc["segments"][slots[1] - 1]["entry"], doc["segments"][slots[n] - 1]["entry"]
    if not first["visible"]:
        continue
    level = all(doc["segments"][slots[k] - 1]["entry"]["y1"] == doc["segments"][slots[k] - 1]["entry"]["y2"] or
                doc["segments"][slots[k] - 1]["entry"]["x1"] == doc["segments"][slots[k] - 1]["entry"]["x2"]
                for k in (1, n))
    print(f"arrow {a}: {on(doc, first['x1'], first['y1'])} {on(doc, last['x2'], last['y2'])}"
          + ("" if n == 1 else " axis-parallel" if level else " slanting"))

#!/usr/bin/env python3
"""Writes the connect area's four Lottie animations into resources/lottie.

The animations are our own: rings and arcs on a 375 x 375 stage, drawn with shape layers only so
that rlottie renders them without images or fonts. Run it again after changing a colour or a
timing and commit the JSON files it writes.
"""
import json
import os
import sys

SIZE = 375
CENTER = [SIZE / 2, SIZE / 2]
FPS = 30


def static(value):
    return {"a": 0, "k": value}


def keyed(frames):
    """frames: list of (time, value list). Linear easing between keys."""
    keys = []
    for index, (time, value) in enumerate(frames):
        key = {"t": time, "s": value}
        if index + 1 < len(frames):
            key["i"] = {"x": [0.42], "y": [1]}
            key["o"] = {"x": [0.58], "y": [0]}
        keys.append(key)
    return {"a": 1, "k": keys}


def linear(frames):
    keys = []
    for index, (time, value) in enumerate(frames):
        key = {"t": time, "s": value}
        if index + 1 < len(frames):
            key["i"] = {"x": [1], "y": [1]}
            key["o"] = {"x": [0], "y": [0]}
        keys.append(key)
    return {"a": 1, "k": keys}


def transform(rotation=None, scale=None, opacity=None):
    return {
        "o": opacity or static(100),
        "r": rotation or static(0),
        "p": static(CENTER + [0]),
        "a": static([0, 0, 0]),
        "s": scale or static([100, 100, 100]),
    }


def group_transform():
    return {"ty": "tr", "p": static([0, 0]), "a": static([0, 0]), "s": static([100, 100]),
            "r": static(0), "o": static(100)}


def ellipse(diameter):
    return {"ty": "el", "d": 1, "p": static([0, 0]), "s": static([diameter, diameter])}


def stroke(colour, width, opacity=100):
    return {"ty": "st", "c": static(colour + [1]), "o": static(opacity), "w": static(width),
            "lc": 2, "lj": 2}


def fill(colour, opacity=100):
    return {"ty": "fl", "c": static(colour + [1]), "o": static(opacity), "r": 1}


def trim(start, end, offset=None):
    return {"ty": "tm", "s": start, "e": end, "o": offset or static(0), "m": 1}


def layer(name, index, last_frame, shapes, ks):
    return {"ddd": 0, "ind": index, "ty": 4, "nm": name, "sr": 1, "ks": ks, "ao": 0,
            "shapes": [{"ty": "gr", "nm": name, "it": shapes + [group_transform()]}],
            "ip": 0, "op": last_frame, "st": 0, "bm": 0}


def animation(name, last_frame, layers):
    # Lottie draws the first layer on top.
    return {"v": "5.7.4", "fr": FPS, "ip": 0, "op": last_frame, "w": SIZE, "h": SIZE,
            "nm": name, "ddd": 0, "assets": [], "layers": layers}


def rgb(hex_colour):
    return [int(hex_colour[i:i + 2], 16) / 255 for i in (0, 2, 4)]


def pulse_ring(name, index, last_frame, colour, start, diameter=176):
    """A ring that grows from the button outwards and fades, starting at `start`."""
    length = 60
    return layer(name, index, last_frame,
                 [ellipse(diameter), stroke(colour, 3)],
                 transform(scale=keyed([(start, [100, 100, 100]), (start + length, [190, 190, 100])]),
                           opacity=keyed([(start, [70]), (start + length, [0])])))


def loading():
    last = 60
    blue = rgb("5b8cff")
    arc = layer("arc", 1, last,
                [ellipse(190), stroke(blue, 8), trim(static(0), static(28))],
                transform(rotation=linear([(0, [0]), (last, [360])])))
    arc2 = layer("arc2", 2, last,
                 [ellipse(230), stroke(rgb("9b7bff"), 4, 80), trim(static(0), static(18))],
                 transform(rotation=linear([(0, [360]), (last, [0])])))
    track = layer("track", 3, last, [ellipse(190), stroke(blue, 8, 18)], transform())
    core = layer("core", 4, last, [ellipse(150), fill(rgb("1e2340"))], transform())
    return animation("loading", last, [arc, arc2, track, core])


def running():
    last = 90
    green = rgb("2fd3a0")
    rings = [pulse_ring("pulse%d" % i, i + 1, last, green, i * 30) for i in range(3)]
    # The third ring's tail wraps to the start so the loop has no seam.
    tail = pulse_ring("pulse_tail", 4, last, green, -30)
    ring = layer("ring", 5, last, [ellipse(190), stroke(green, 6)], transform())
    core = layer("core", 6, last, [ellipse(178), fill(rgb("173b36"))],
                 transform(scale=keyed([(0, [100, 100, 100]), (45, [104, 104, 100]),
                                        (90, [100, 100, 100])])))
    return animation("runnung", last, rings + [tail, ring, core])


def pausing():
    last = 60
    amber = rgb("f2b045")
    dashes = []
    for i in range(4):
        dashes.append(layer("dash%d" % i, i + 1, last,
                            [ellipse(200), stroke(amber, 6),
                             trim(static(i * 25), static(i * 25 + 12))],
                            transform(rotation=linear([(0, [0]), (last, [90])]))))
    core = layer("core", 5, last, [ellipse(176), fill(rgb("3a2f1c"))],
                 transform(opacity=keyed([(0, [100]), (30, [70]), (60, [100])])))
    return animation("pausing", last, dashes + [core])


def kill_switch():
    # Frames 0 to 29 bring the red ring in; the screen loops 30 to 50, a calm heartbeat whose
    # first and last frames match.
    last = 60
    red = rgb("ff5a5f")
    ring = layer("ring", 1, last, [ellipse(190), stroke(red, 8)],
                 transform(scale=keyed([(0, [60, 60, 100]), (30, [100, 100, 100]),
                                        (40, [108, 108, 100]), (50, [100, 100, 100])]),
                           opacity=keyed([(0, [0]), (20, [100])])))
    halo = layer("halo", 2, last, [ellipse(230), stroke(red, 3, 60)],
                 transform(opacity=keyed([(0, [0]), (30, [0]), (40, [80]), (50, [0])])))
    core = layer("core", 3, last, [ellipse(178), fill(rgb("3d1a22"))],
                 transform(opacity=keyed([(0, [0]), (30, [100])])))
    # A lock: the body and the shackle.
    body = layer("lock_body", 4, last,
                 [{"ty": "rc", "d": 1, "p": static([0, 14]), "s": static([48, 38]), "r": static(6)},
                  fill(red)], transform(opacity=keyed([(10, [0]), (30, [100])])))
    shackle = layer("lock_shackle", 5, last,
                    [{"ty": "el", "d": 1, "p": static([0, -6]), "s": static([32, 36])},
                     stroke(red, 6), trim(static(0), static(50), static(-90))],
                    transform(opacity=keyed([(10, [0]), (30, [100])])))
    return animation("conn_killswitch", last, [body, shackle, ring, halo, core])


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(__file__), "..", "..", "resources", "lottie")
    os.makedirs(out, exist_ok=True)
    for data in (loading(), running(), pausing(), kill_switch()):
        with open(os.path.join(out, data["nm"] + ".json"), "w") as handle:
            json.dump(data, handle, separators=(",", ":"))
            handle.write("\n")


if __name__ == "__main__":
    main()

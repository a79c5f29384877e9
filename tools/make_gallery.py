#!/usr/bin/env python3
"""Writes the example parameter files of data/gallery.

Each figure is described here by what it draws; where it is drawn by the turtle,
the script walks the turtle as the program does (heading from fix point 0 to
fix point 1, "+" turns clockwise on the screen since y grows downward, at most
seven rewriting passes) and picks the start point and the line length so that
the figure fills its drawing area with a margin.

The program rewrites only "F", with one generator. Curves whose classic form
needs two rules (the dragon, the Hilbert and Peano-Gosper curves, the
Sierpinski arrowhead) are expanded here from those rules and stored as the
initiator, with "F" as the generator, so they look the same at every depth.

Usage: python3 tools/make_gallery.py [OUTPUT_FOLDER]   (default: data/gallery)
"""

import math
import os
import sys

PI = 3.141592654  # the program's own value, also for degrees to radians
MAX_PASSES = 7


def rgb(r, g, b):
    """A colour as the files hold it: red in the low byte."""
    return r + (g << 8) + (b << 16)


def real(v):
    """A real as the program's writer puts it in a list field: integral values
    plainly, fractions with a decimal point and no needless digits."""
    if float(v).is_integer():
        return str(int(v))
    return repr(float(v))


class PrmFile:
    def __init__(self, fractal_type, width, height, back, fore, depth, random_fore=0):
        self.lines = [
            str(fractal_type),
            "1",  # parameter bar open
            "1500", "1200",  # window position, twips
            str(width), str(height),
            str(back), str(fore),
            str(random_fore),
            str(depth),
            "0",  # no pause after each element
        ]

    def add(self, *values):
        self.lines.extend(values)

    def count_line(self, points):
        self.lines.append(" " + str(len(points) - 1))

    def points(self, points):
        for x, y in points:
            self.lines.extend([real(x), real(y)])

    def write(self, path):
        with open(path, "wb") as f:
            for line in self.lines:
                f.write(line.encode("latin-1") + b"\r\n")


def rewrite(initiator, generator, passes):
    s = initiator
    for _ in range(min(passes, MAX_PASSES)):
        s = s.replace("F", generator)
    return s


def expand(axiom, rules, passes):
    """Parallel rewriting with several rules, for the two-rule classics."""
    s = axiom
    for _ in range(passes):
        s = "".join(rules.get(c, c) for c in s)
    return s


def commands(s):
    """Drops what the turtle would only count: letters other than F and f, and
    turns that cancel each other."""
    out = []
    for c in s:
        if c not in "Ff+-[]":
            continue
        if out and {out[-1], c} == {"+", "-"}:
            out.pop()
            continue
        out.append(c)
    return "".join(out)


def walk(s, heading, delta_deg):
    """Points the turtle visits for a line length of 1, starting at (0, 0)."""
    x = y = 0.0
    a = heading
    d = delta_deg / 180 * PI
    stack = []
    xs, ys = [0.0], [0.0]
    for c in s:
        if c in "Ff":
            x += math.cos(a)
            y += math.sin(a)
            xs.append(x)
            ys.append(y)
        elif c == "+":
            a += d
        elif c == "-":
            a -= d
        elif c == "[":
            stack.append((x, y, a))
        elif c == "]" and stack:
            x, y, a = stack.pop()
    return min(xs), min(ys), max(xs), max(ys)


def lsystem(name, folder, width, height, initiator, generator, depth, delta, heading_deg,
            back, fore, margin=12):
    heading = heading_deg / 180 * PI
    x0, y0, x1, y1 = walk(rewrite(initiator, generator, depth), heading, delta)
    span_x = max(x1 - x0, 1e-9)
    span_y = max(y1 - y0, 1e-9)
    length = min((width - 2 * margin) / span_x, (height - 2 * margin) / span_y)
    length = math.floor(length * 1000) / 1000
    # Centre the figure; the start point is rounded to a tenth of a pixel.
    sx = round((width - length * span_x) / 2 - length * x0, 1)
    sy = round((height - length * span_y) / 2 - length * y0, 1)
    # Fix point 1 only gives the heading; 10 pixels away in that direction.
    px = round(sx + 10 * math.cos(heading), 6)
    py = round(sy + 10 * math.sin(heading), 6)
    f = PrmFile(4, width, height, back, fore, depth)
    f.points([(sx, sy), (px, py)])
    f.add(initiator, generator, real(length), real(delta))
    f.write(os.path.join(folder, name + ".prm"))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "data", "gallery")
    os.makedirs(folder, exist_ok=True)
    white = rgb(255, 255, 255)
    paper = rgb(250, 248, 240)
    ink = rgb(20, 40, 90)
    green = rgb(30, 100, 40)

    # The other types: name, type, area, colours, depth, draw mode, fix points,
    # and the lines of the section after them. The Cross and the Koch curve
    # store a list of points, with its count line.
    triangle = [(10, 350), (390, 350), (200, 21)]
    side = 320
    snowflake = [(40, 320), (200, round(320 - side * math.sqrt(3) / 2, 1)), (360, 320)]
    figures = [
        # The classic set of thirds, and the demo over the whole width.
        ("Cantor set of thirds", 0, 400, 190, white, rgb(40, 40, 160), 5, 0,
         [(20, 20), (380, 20)], ["24", "2"]),
        ("Cantor set demo", 0, 486, 180, white, rgb(0, 0, 0), 5, 3,
         [(20, 20), (380, 20)], ["30", "2"]),
        ("Cross on a square", 1, 400, 400, white, rgb(150, 30, 30), 5, 0,
         [(110, 110), (290, 110), (290, 290), (110, 290)], ["True", "0.5"]),
        # The triangle cut recursively, by the chaos game, and the slow demo.
        ("Sierpinski triangle", 2, 400, 360, white, rgb(200, 80, 0), 6, 0, triangle, []),
        ("Sierpinski chaos game", 2, 400, 360, white, rgb(0, 90, 160), 30000, 1, triangle, []),
        ("Sierpinski chaos game demo", 2, 400, 360, rgb(0, 0, 0), white, 40, 3, triangle, []),
        # The recursive mode keeps every segment it drew under the bumps of
        # the next level: on a closed triangle (clockwise on the screen, so
        # the bumps point outwards) it shows how the snowflake is built. The
        # snowflake itself is the turtle's.
        ("Koch snowflake with its construction lines", 3, 400, 440, white, rgb(0, 110, 170), 4,
         0, snowflake, ["True"]),
        ("Koch snowflake by the turtle", 3, 400, 440, white, rgb(0, 130, 90), 4, 2,
         [(40, 320), (360, 320)], ["False"]),
    ]
    for name, kind, width, height, back, fore, depth, mode, points, tail in figures:
        f = PrmFile(kind, width, height, back, fore, depth)
        f.add(str(mode))
        if kind in (1, 3):
            f.count_line(points)
        f.points(points)
        f.add(*tail)
        f.write(os.path.join(folder, name + ".prm"))

    # L-systems with one rule.
    lsystem("Quadratic Koch island", folder, 400, 400, "F-F-F-F", "F-F+F+FF-F-F+F", 3, 90, 0,
            white, ink)
    # Seven passes are the program's limit; the initiator holds four more.
    lsystem("Levy C curve", folder, 400, 300, rewrite("F", "+F--F+", 4), "+F--F+", 7, 45, 0,
            white, rgb(160, 40, 40))
    # One side of the snowflake, its bumps upwards ("-" turns anticlockwise
    # on the screen), on no base line.
    lsystem("Koch curve", folder, 400, 160, "F", "F-F++F-F", 4, 60, 0, white, rgb(90, 30, 120))
    lsystem("Plant with straight branches", folder, 220, 440, "F", "F[+F]F[-F]F", 5, 25.7, -90,
            paper, green)
    lsystem("Plant with forked twigs", folder, 320, 420, "F", "F[+F]F[-F][F]", 5, 20, -90,
            paper, green)
    lsystem("Bushy plant", folder, 320, 420, "F", "FF-[-F+F+F]+[+F-F-F]", 4, 22.5, -90,
            paper, green)

    # The two-rule classics, expanded.
    dragon = commands(expand("FX", {"X": "X+YF+", "Y": "-FX-Y"}, 12))
    lsystem("Dragon curve", folder, 440, 330, dragon, "F", 0, 90, 0, white, rgb(170, 30, 30))
    hilbert = commands(expand("A", {"A": "+BF-AFA-FB+", "B": "-AF+BFB+FA-"}, 6))
    lsystem("Hilbert curve", folder, 400, 400, hilbert, "F", 0, 90, 0, white, ink)
    arrow = commands(expand("A", {"A": "B-A-B", "B": "A+B+A"}, 7).replace("A", "F").replace(
        "B", "F"))
    lsystem("Sierpinski arrowhead", folder, 420, 380, arrow, "F", 0, 60, 0, white,
            rgb(0, 100, 140))
    peano = commands(expand("X", {"X": "XFYFX+F+YFXFY-F-XFYFX", "Y": "YFXFY-F-XFYFX+F+YFXFY"},
                            3))
    lsystem("Peano curve", folder, 400, 400, peano, "F", 0, 90, 0, white, ink)
    gosper = commands(expand("A", {"A": "A-B--B+A++AA+B-", "B": "+A-BB--B-A++A+B"}, 4).replace(
        "A", "F").replace("B", "F"))
    lsystem("Peano-Gosper curve", folder, 420, 420, gosper, "F", 0, 60, 0, white,
            rgb(20, 110, 60))


if __name__ == "__main__":
    main()

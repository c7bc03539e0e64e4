#!/usr/bin/env python3
"""Generates the engine's stroke-font tables from the Hershey glyphs.

Reads the public-domain Hershey fonts in James Hurt's .jhf format, as shipped
by Debian's hershey-fonts-data package, and writes
engine/core/StrokeFontData.h and engine/core/StrokeFontData.cpp.

Run (from anywhere; the output goes next to the engine sources):

    python3 tools/gen_stroke_font.py [--hershey-dir DIR] [--out-dir DIR]

Two fonts come out:

* the complex font (font 3): six alphabets with units 20 and 21, gap factor
  0.25 and blank width 9.  Alphabet 1 is the complex Roman face with 231 glyph
  indexes for the codes 32 to 262: printable ASCII (32..126), the accented
  letters of the engine's German/ISO order (127..186) composed from base
  letters and accent strokes, Greek capitals (187..210), Greek small letters
  (211..234) and mathematical signs (235..262).  Alphabets 2 to 6 are the
  Greek complex face and symbol faces.
* the default font (font 1): a small fixed-pitch face on a 6 x 7 grid (units 6
  and 7, gap factor 0, blank 6) for alphabets 1, 2 and 4, made from the
  simplex faces; its alphabets 3, 5 and 6 are those of the complex font.

Table format (16-bit words).  Coordinate table: one packed point per word, low
byte x, high byte y, both signed 8-bit font units, x from the glyph's left
edge, y upward from the baseline.  Index table: the glyph records one after
the other; a record is its length L (itself included) and stroke descriptors:
point count n and 1-based start s in the coordinate table, and when n is
negative (as a signed word) |n| points and a third word, a packed (dx, dy)
that shifts the stroke by (dx/2, dy/2).  Record k describes glyph index k + 2;
glyph index 1 (the blank) has no record.  Strokes that repeat an earlier
stroke, in place or moved, refer to the stored one instead of repeating its
points.
"""

import argparse
import math
import os
import sys

PACKAGE = "hershey-fonts-data"
DEFAULT_HERSHEY_DIR = "/usr/share/hershey-fonts"
REGEN_COMMAND = "python3 tools/gen_stroke_font.py"

# Hershey glyphs put the baseline of capitals at y = 9, y growing downward.
HERSHEY_BASELINE = 9


def parse_jhf(path):
    """Returns the glyphs of a .jhf file in file order (the first is code 32).

    Each glyph is a list of strokes; a stroke is a list of (x, y) Hershey
    points (y downward).  A record may continue on following lines; its
    vertex count (bounds pair included) says where it ends.
    """
    glyphs = []
    pending = ""
    with open(path, encoding="latin-1") as f:
        for line in f:
            line = line.rstrip("\r\n")
            pending = line if not pending else pending + line
            if len(pending) < 8:
                continue
            count = int(pending[5:8])
            if len(pending) - 8 < 2 * count:
                continue
            body = pending[10:8 + 2 * count]  # skip the left/right bounds pair
            pending = ""
            strokes = []
            current = []
            for i in range(0, len(body), 2):
                pair = body[i:i + 2]
                if pair == " R":
                    if current:
                        strokes.append(current)
                    current = []
                    continue
                current.append((ord(pair[0]) - ord("R"), ord(pair[1]) - ord("R")))
            if current:
                strokes.append(current)
            glyphs.append(strokes)
    if pending:
        raise ValueError(f"{path}: last glyph record is incomplete")
    return glyphs


# ---------------------------------------------------------------------------
# Faces: source glyphs turned into font units.


def bbox(strokes):
    xs = [p[0] for s in strokes for p in s]
    ys = [p[1] for s in strokes for p in s]
    if not xs:
        return (0, 0, 0, 0)
    return (min(xs), min(ys), max(xs), max(ys))


def shift(strokes, dx, dy):
    return [[(x + dx, y + dy) for (x, y) in s] for s in strokes]


class Face:
    """A source face converted into the units of one font."""

    def __init__(self, path):
        self.glyphs = parse_jhf(path)
        self.path = path

    def hershey(self, code):
        index = code - 32
        if index < 0 or index >= len(self.glyphs):
            raise KeyError(f"{self.path}: no glyph for code {code}")
        return self.glyphs[index]


class ComplexUnits:
    """Hershey units kept as they are; the ink's left edge becomes x = 0."""

    name = "complex"
    accent_gap = 3  # font units between a letter's top and its accent
    descent = 7     # how far inverted punctuation hangs below the baseline

    def convert(self, strokes):
        flipped = [[(x, HERSHEY_BASELINE - y) for (x, y) in s] for s in strokes]
        if not flipped:
            return []
        minx = bbox(flipped)[0]
        return shift(flipped, -minx, 0)


class SmallUnits:
    """The 6 x 7 grid of the default font: glyph ink within x = 0..4."""

    name = "small"
    accent_gap = 1
    descent = 2
    cell = 4           # ink width available in a 6-unit cell
    # One Hershey unit is 1/21 of the capital height; in the grid that is
    # 7/21 in y and 6/21 in x (x units are wider).
    scale_x = 6.0 / 21.0
    scale_y = 7.0 / 21.0

    def convert(self, strokes):
        if not strokes:
            return []
        minx, _, maxx, _ = bbox(strokes)
        width = maxx - minx
        sx = self.scale_x if width * self.scale_x <= self.cell else self.cell / width
        centre = (minx + maxx) / 2.0
        out = []
        for s in strokes:
            pts = []
            for (x, y) in s:
                p = (round_half_up(self.cell / 2.0 + (x - centre) * sx),
                     round_half_up((HERSHEY_BASELINE - y) * self.scale_y))
                if not pts or pts[-1] != p:
                    pts.append(p)
            if len(pts) == 1:
                # A dot: a stroke of one point would draw nothing, and a
                # zero-length line shows on no PostScript device; make it a
                # short upright tick instead.
                x, y = pts[0]
                pts = [(x, y), (x, y + 1)] if y <= 0 else [(x, y - 1), (x, y)]
            out.append(pts)
        # Strokes that collapsed onto an identical earlier stroke add nothing.
        unique = []
        for s in out:
            if s not in unique:
                unique.append(s)
        return unique


def round_half_up(v):
    return int(math.floor(v + 0.5))


def round_to_half(v):
    return math.floor(v * 2.0 + 0.5) / 2.0


# ---------------------------------------------------------------------------
# Accents, in font units, anchored at (0, 0): the bottom centre of the mark
# (for the cedilla: its top, which touches the letter's bottom).


def tilde_points(half_width, height):
    pts = []
    for i in range(-half_width, half_width + 1):
        y = height / 2.0 - (height / 2.0) * math.sin(math.pi * i / half_width)
        pts.append((i, round_half_up(y)))
    return pts


def complex_accents(dot):
    return {
        "dieresis": [shift(dot, -3, 0), shift(dot, 3, 0)],
        "acute": [[[(2, 5), (-1, 0)], [(2, 5), (3, 4), (-1, 0)]]],
        "grave": [[[(-2, 5), (1, 0)], [(-2, 5), (-3, 4), (1, 0)]]],
        "circumflex": [[[(-4, 0), (0, 4), (4, 0)], [(-4, 0), (0, 3), (4, 0)]]],
        "tilde": [[tilde_points(5, 3)]],
        "ring": [[[(-1, 0), (1, 0), (2, 1), (2, 3), (1, 4), (-1, 4), (-2, 3),
                   (-2, 1), (-1, 0)]]],
        "cedilla": [[[(0, 0), (-1, -2), (1, -2), (2, -3), (2, -4), (1, -5),
                      (-1, -5), (-2, -4)]]],
    }


def small_accents():
    return {
        "dieresis": [[[(-1, 0), (-1, 1)]], [[(1, 0), (1, 1)]]],
        "acute": [[[(0, 0), (1, 1)]]],
        "grave": [[[(0, 0), (-1, 1)]]],
        "circumflex": [[[(-1, 0), (0, 1), (1, 0)]]],
        "tilde": [[[(-2, 0), (-1, 1), (1, 0), (2, 1)]]],
        "ring": [[[(0, 0), (1, 1), (0, 2), (-1, 1), (0, 0)]]],
        "cedilla": [[[(0, 0), (0, -1), (-1, -1)]]],
    }


# The German sharp s has no Hershey glyph; drawn here in font units.
SHARP_S = {
    "complex": [
        [(2, 0), (2, 16), (3, 19), (5, 21), (8, 21), (10, 20), (11, 18),
         (11, 16), (10, 14), (8, 13), (6, 13)],
        [(3, 0), (3, 16), (4, 19), (5, 21)],
        [(8, 13), (11, 12), (13, 10), (14, 7), (14, 5), (13, 2), (11, 0),
         (8, 0), (6, 1)],
        [(8, 13), (10, 12), (12, 10), (13, 7), (13, 5), (12, 2), (11, 0)],
        [(0, 0), (3, 0)],
    ],
    "small": [
        [(0, 0), (0, 6), (1, 7), (3, 7), (4, 6), (4, 5), (3, 4), (2, 4)],
        [(3, 4), (4, 3), (4, 1), (3, 0), (1, 0)],
    ],
}

# The engine's codes 127..186: the letters of the PostScript writer's German
# vector, in its order.  (base character, accent) or a special construction.
ACCENTED = [
    ("A", "dieresis"), ("O", "dieresis"), ("U", "dieresis"),
    ("a", "dieresis"), ("o", "dieresis"), ("u", "dieresis"),
    ("sharp-s", None),
    ("A", "ring"), ("O", "slash"), ("AE", None),
    ("a", "ring"), ("o", "slash"), ("ae", None),
    ("N", "tilde"), ("n", "tilde"), ("C", "cedilla"), ("c", "cedilla"),
    ("E", "dieresis"), ("I", "dieresis"), ("e", "dieresis"), ("dotless-i", "dieresis"),
] + [(c, "acute") for c in "AEIOU"] + [(c, "acute") for c in ["a", "e", "dotless-i", "o", "u"]] \
  + [(c, "grave") for c in "AEIOU"] + [(c, "grave") for c in ["a", "e", "dotless-i", "o", "u"]] \
  + [(c, "circumflex") for c in "AEIOU"] \
  + [(c, "circumflex") for c in ["a", "e", "dotless-i", "o", "u"]] \
  + [("A", "tilde"), ("a", "tilde"), ("O", "tilde"), ("o", "tilde"),
     ("Y", "acute"), ("y", "acute"), ("y", "dieresis"),
     ("inverted-!", None), ("inverted-?", None)]

assert len(ACCENTED) == 60, len(ACCENTED)

# Codes 235..262 of alphabet 1: signs of the lower mathematical face, by their
# code there: plus-minus, minus-plus, times, centred dot, less/greater or
# equal, not equal, identical, proportional, infinity, degree, root, subset,
# union, superset, intersection, element, four arrows, partial, nabla,
# divide, integral, exists, perpendicular, angle.
MATH_SIGNS = [33, 34, 35, 36, 38, 39, 63, 64, 94, 95, 96, 98, 100, 101, 102,
              103, 104, 105, 106, 107, 108, 109, 110, 120, 112, 118, 122, 124]
assert len(MATH_SIGNS) == 28

# The Times face of the Hershey set draws these about 3 units above its
# letters' baseline (a label "10.0" would read "10·0"); the complex Greek face
# has the same strokes sitting on the baseline, so they come from there.
BASELINE_PUNCTUATION = ".,:;"

# The marker face leaves its records for codes 32 to 64 empty; its markers
# are the codes 65 to 80 (repeated from 97).  Alphabets 4 and 5 take seven
# each after their 94 ASCII-coded glyphs.
MARKERS_4 = range(65, 72)
MARKERS_5 = range(72, 79)

GREEK_CAPITALS = list(range(65, 89))   # 24 letters in the Greek faces
GREEK_SMALL = list(range(97, 121))


class Builder:
    """Builds the glyph list of one alphabet in font units."""

    def __init__(self, face, units):
        self.face = face
        self.units = units

    def glyph(self, code, face=None):
        return self.units.convert((face or self.face).hershey(code))

    def char(self, name):
        if name == "dotless-i":
            return self.dotless_i()
        return self.glyph(ord(name))

    def x_height(self):
        return bbox(self.glyph(ord("x")))[3]

    def dotless_i(self):
        limit = self.x_height()
        return [s for s in self.glyph(ord("i")) if min(p[1] for p in s) <= limit]

    def accented(self, base, accent, accents):
        strokes = self.char(base)
        minx, miny, maxx, maxy = bbox(strokes)
        if accent == "slash":
            return strokes + [[(minx - 1, miny - 1), (maxx + 1, maxy + 1)]]
        centre = round_to_half((minx + maxx) / 2.0)
        if accent == "cedilla":
            anchor = (centre, miny)
        else:
            anchor = (centre, maxy + self.units.accent_gap)
        mark = []
        for part in accents[accent]:
            mark += shift(part, anchor[0], anchor[1])
        return strokes + mark

    def ae_capital(self):
        a = self.glyph(ord("A"))
        e = self.glyph(ord("E"))
        top = max(p[1] for s in a for p in s)
        apex = min(p[0] for s in a for p in s if p[1] == top)
        kept = []
        for s in a:
            ys = {p[1] for p in s}
            xs = [p[0] for p in s]
            if len(ys) == 1 and next(iter(ys)) > 0 and min(xs) < apex < max(xs):
                kept.append([(min(xs), s[0][1]), (apex, s[0][1])])  # crossbar up to the E
            elif max(xs) <= apex:
                kept.append(s)
        verticals = [s[0][0] for s in e if len({p[0] for p in s}) == 1 and len(s) > 1]
        stem = min(verticals) if verticals else bbox(e)[0]
        return kept + shift(e, apex - stem, 0)

    def ae_small(self):
        a = self.glyph(ord("a"))
        e = self.glyph(ord("e"))
        width = bbox(a)[2]
        return a + shift(e, (2 * width) // 3, 0)

    def inverted(self, name):
        strokes = self.glyph(ord(name))
        minx, miny, maxx, maxy = bbox(strokes)
        turned = [[(minx + maxx - x, miny + maxy - y) for (x, y) in s] for s in strokes]
        return shift(turned, 0, -self.units.descent)

    def latin(self, accents, greek, maths, punctuation=None):
        """Glyph indexes 2..231 (codes 33..262) of alphabet 1.

        `punctuation`, when given, supplies the glyphs of BASELINE_PUNCTUATION.
        """
        out = [self.glyph(code, punctuation if chr(code) in BASELINE_PUNCTUATION else None)
               for code in range(33, 127)]
        for base, accent in ACCENTED:
            if base == "sharp-s":
                out.append([list(s) for s in SHARP_S[self.units.name]])
            elif base == "AE":
                out.append(self.ae_capital())
            elif base == "ae":
                out.append(self.ae_small())
            elif base.startswith("inverted-"):
                out.append(self.inverted(base[-1]))
            else:
                out.append(self.accented(base, accent, accents))
        out += [self.glyph(c, greek) for c in GREEK_CAPITALS]
        out += [self.glyph(c, greek) for c in GREEK_SMALL]
        out += [self.glyph(c, maths) for c in MATH_SIGNS]
        assert len(out) == 230, len(out)
        return out

    def plain(self, extra_face=None, extra_codes=()):
        out = [self.glyph(code) for code in range(33, 127)]
        out += [self.glyph(c, extra_face) for c in extra_codes]
        return out


# ---------------------------------------------------------------------------
# Packing.


def pack_point(x, y):
    if not (-128 <= x <= 127 and -128 <= y <= 127):
        raise ValueError(f"point ({x}, {y}) does not fit a signed byte")
    return (x & 0xFF) | ((y & 0xFF) << 8)


class Alphabet:
    def __init__(self, label, glyphs, units_x, units_y, gap, blank):
        self.label = label
        self.units_x = units_x
        self.units_y = units_y
        self.gap = gap
        self.blank = blank
        self.glyph_count = len(glyphs) + 1  # plus the blank, glyph index 1
        self.coords = []
        self.index = []
        self.shifted = 0
        self.reused = 0
        self._pack(glyphs)

    def _pack(self, glyphs):
        shapes = {}  # stroke shape relative to its first point -> (start, base point)
        for strokes in glyphs:
            record = []
            for stroke in strokes:
                x0, y0 = stroke[0]
                rel = tuple((x - x0, y - y0) for (x, y) in stroke)
                for (rx, ry) in rel:
                    if rx != int(rx) or ry != int(ry):
                        raise ValueError(f"{self.label}: stroke with mixed half units")
                rel = tuple((int(rx), int(ry)) for (rx, ry) in rel)
                n = len(rel)
                found = shapes.get(rel)
                if found is not None:
                    start, (bx, by) = found
                    dx2 = round(2 * (x0 - bx))
                    dy2 = round(2 * (y0 - by))
                    if not (-128 <= dx2 <= 127 and -128 <= dy2 <= 127):
                        found = None  # too far away to be worth a shift: store again
                if found is None:
                    bx, by = math.floor(x0), math.floor(y0)
                    start = len(self.coords) + 1
                    for (rx, ry) in rel:
                        self.coords.append(pack_point(bx + rx, by + ry))
                    shapes.setdefault(rel, (start, (bx, by)))
                    dx2 = round(2 * (x0 - bx))
                    dy2 = round(2 * (y0 - by))
                else:
                    self.reused += 1
                if dx2 == 0 and dy2 == 0:
                    record += [n, start]
                else:
                    self.shifted += 1
                    record += [(-n) & 0xFFFF, start, pack_point(dx2, dy2)]
            self.index.append(len(record) + 1)
            self.index += record
        self.check(len(glyphs))

    def check(self, records):
        """Every record length and every stroke inside the tables."""
        pos = 0
        count = 0
        while pos < len(self.index):
            length = self.index[pos]
            if length < 1 or pos + length > len(self.index):
                raise ValueError(f"{self.label}: record {count} overruns the index table")
            i = pos + 1
            while i < pos + length:
                n = self.index[i]
                if n >= 0x8000:
                    n = 0x10000 - n
                    step = 3
                else:
                    step = 2
                if i + step > pos + length:
                    raise ValueError(f"{self.label}: stroke overruns record {count}")
                s = self.index[i + 1]
                if n < 1 or s < 1 or s + n - 1 > len(self.coords):
                    raise ValueError(f"{self.label}: stroke outside the coordinate table")
                i += step
            pos += length
            count += 1
        if count != records or self.glyph_count != records + 1:
            raise ValueError(f"{self.label}: {count} records for {self.glyph_count} glyphs")
        for w in self.coords + self.index:
            if not 0 <= w <= 0xFFFF:
                raise ValueError(f"{self.label}: word {w} out of range")


# ---------------------------------------------------------------------------
# Output.

HEADER = """\
// Generated from Debian package {package} by `{command}`; do not edit.
#pragma once
// Stroke-font tables of the plot engine: the complex font (font 3) and the
// default font (font 1), six alphabets each.

#include <cstdint>

namespace zedozo {{

// One alphabet of a stroke font.
//
// coords: packed points, low byte x and high byte y, each a signed 8-bit
// number of font units; x from the glyph's left edge, y upward from the
// baseline.
//
// index: the glyph records one after the other. A record is its length L in
// words (itself included), then stroke descriptors: point count n and the
// 1-based start s of the stroke in coords; when n read as a signed 16-bit
// number is negative the stroke has |n| points and a third word follows, a
// packed (dx, dy) that moves every point by (dx / 2, dy / 2). Record k
// describes glyph index k + 2; glyph index 1 is the blank and has no record.
struct StrokeAlphabet {{
    const std::uint16_t* coords;
    std::int32_t coordCount;
    const std::uint16_t* index;
    std::int32_t indexCount;
    std::int32_t glyphCount;  // glyph indexes covered, the blank included
    std::int32_t unitsX;      // font units per (character height - 1)
    std::int32_t unitsY;
    float gapFactor;          // gap after a character, fraction of the height
    std::int32_t blankWidth;  // advance of the blank, x font units
}};

inline constexpr int kStrokeAlphabets = 6;

// Font 3, installed by complx: alphabet 1 covers the codes 32 to 262.
extern const StrokeAlphabet kComplexFont[kStrokeAlphabets];
// Font 1, installed by disini: a fixed-pitch face 6 units wide in
// alphabets 1, 2 and 4; alphabets 3, 5 and 6 are the complex font's.
extern const StrokeAlphabet kDefaultFont[kStrokeAlphabets];

}}  // namespace zedozo
"""


def words(name, values):
    lines = [f"const std::uint16_t {name}[{len(values)}] = {{"]
    for i in range(0, len(values), 12):
        lines.append("    " + ", ".join(f"0x{v:04x}" for v in values[i:i + 12]) + ",")
    lines.append("};")
    return "\n".join(lines)


def source(alphabets, complex_labels, default_labels):
    out = [
        f"// Generated from Debian package {PACKAGE} by `{REGEN_COMMAND}`; do not edit.",
        "// Glyph outlines: the Hershey fonts. The Hershey Fonts were originally",
        "// created by Dr. A. V. Hershey while working at the U. S. National Bureau",
        "// of Standards. The format of the Font data in this distribution was",
        "// originally created by James Hurt, Cognition, Inc., 900 Technology Park",
        "// Drive, Billerica, MA 01821 (mit-eddie!ci-dandelion!hurt).",
        "// The accented letters are composed from these glyphs and accent strokes.",
        '#include "engine/core/StrokeFontData.h"',
        "",
        "namespace zedozo {",
        "namespace {",
        "",
    ]
    for label, a in alphabets.items():
        out.append(f"// {a.label}: {a.glyph_count} glyph indexes, {len(a.coords)} points, "
                   f"{len(a.index)} index words, {a.shifted} shifted strokes.")
        out.append(words(f"k{label}Coords", a.coords))
        out.append(words(f"k{label}Index", a.index))
        out.append("")
    out.append("}  // namespace")
    out.append("")

    def entry(label):
        a = alphabets[label]
        return (f"    {{k{label}Coords, {len(a.coords)}, k{label}Index, {len(a.index)}, "
                f"{a.glyph_count}, {a.units_x}, {a.units_y}, {a.gap}f, {a.blank}}},")

    out.append("const StrokeAlphabet kComplexFont[kStrokeAlphabets] = {")
    out += [entry(l) for l in complex_labels]
    out.append("};")
    out.append("")
    out.append("const StrokeAlphabet kDefaultFont[kStrokeAlphabets] = {")
    out += [entry(l) for l in default_labels]
    out.append("};")
    out.append("")
    out.append("}  // namespace zedozo")
    return "\n".join(out) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--hershey-dir", default=DEFAULT_HERSHEY_DIR)
    parser.add_argument("--out-dir", default=os.path.join(
        os.path.dirname(os.path.abspath(__file__)), os.pardir, "engine", "core"))
    args = parser.parse_args()

    def face(name):
        path = os.path.join(args.hershey_dir, name + ".jhf")
        if not os.path.exists(path):
            sys.exit(f"gen_stroke_font: {path} not found (install {PACKAGE})")
        return Face(path)

    roman_complex = face("timesr")
    greek_complex = face("greekc")
    roman_simplex = face("rowmans")
    greek_simplex = face("greeks")
    math_lower = face("mathlow")
    math_upper = face("mathupp")
    symbolic = face("symbolic")
    markers = face("markers")
    weather = face("meteorology")

    big = ComplexUnits()
    small = SmallUnits()
    dot = big.convert(roman_complex.hershey(ord(".")))
    dot = shift(dot, -round_to_half(bbox(dot)[2] / 2.0), -bbox(dot)[1])

    def complex_alphabet(label, glyphs):
        return Alphabet(label, glyphs, 20, 21, 0.25, 9)

    def small_alphabet(label, glyphs):
        return Alphabet(label, glyphs, 6, 7, 0.0, 6)

    alphabets = {}
    alphabets["Complex1"] = complex_alphabet(
        "complex font, alphabet 1 (Roman)",
        Builder(roman_complex, big).latin(complex_accents(dot), greek_complex, math_lower,
                                          punctuation=greek_complex))
    alphabets["Complex2"] = complex_alphabet(
        "complex font, alphabet 2 (Greek)", Builder(greek_complex, big).plain())
    alphabets["Complex3"] = complex_alphabet(
        "complex font, alphabet 3 (mathematical signs)", Builder(math_lower, big).plain())
    alphabets["Complex4"] = complex_alphabet(
        "complex font, alphabet 4 (symbols)",
        Builder(symbolic, big).plain(markers, MARKERS_4))
    alphabets["Complex5"] = complex_alphabet(
        "complex font, alphabet 5 (large mathematical signs)",
        Builder(math_upper, big).plain(markers, MARKERS_5))
    alphabets["Complex6"] = complex_alphabet(
        "complex font, alphabet 6 (meteorological signs)", Builder(weather, big).plain())
    alphabets["Default1"] = small_alphabet(
        "default font, alphabet 1 (Roman)",
        Builder(roman_simplex, small).latin(small_accents(), greek_simplex, math_lower))
    alphabets["Default2"] = small_alphabet(
        "default font, alphabet 2 (Greek)", Builder(greek_simplex, small).plain())
    alphabets["Default4"] = small_alphabet(
        "default font, alphabet 4 (symbols)",
        Builder(symbolic, small).plain(markers, MARKERS_4))

    expected = {"Complex1": 231, "Complex2": 95, "Complex3": 95, "Complex4": 102,
                "Complex5": 102, "Complex6": 95, "Default1": 231, "Default2": 95,
                "Default4": 102}
    for label, count in expected.items():
        if alphabets[label].glyph_count != count:
            sys.exit(f"gen_stroke_font: {label} has {alphabets[label].glyph_count} glyphs")

    complex_labels = [f"Complex{i}" for i in range(1, 7)]
    default_labels = ["Default1", "Default2", "Complex3", "Default4", "Complex5", "Complex6"]

    os.makedirs(args.out_dir, exist_ok=True)
    with open(os.path.join(args.out_dir, "StrokeFontData.h"), "w") as f:
        f.write(HEADER.format(package=PACKAGE, command=REGEN_COMMAND))
    with open(os.path.join(args.out_dir, "StrokeFontData.cpp"), "w") as f:
        f.write(source(alphabets, complex_labels, default_labels))
    for label in alphabets:
        a = alphabets[label]
        print(f"{label}: {a.glyph_count} glyphs, {len(a.coords)} coordinate words, "
              f"{len(a.index)} index words, {a.shifted} shifted strokes")


if __name__ == "__main__":
    main()

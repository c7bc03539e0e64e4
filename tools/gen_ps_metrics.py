#!/usr/bin/env python3
"""Generates the width tables of the 35 standard PostScript fonts.

Reads the AFM files of Debian's fonts-urw-base35 package (metric-compatible
clones of the 35 standard fonts) and writes engine/core/PsFontMetrics.h and
engine/core/PsFontMetrics.cpp.

Run (from anywhere; the output goes next to the engine sources):

    python3 tools/gen_ps_metrics.py [--afm-dir DIR] [--out-dir DIR]

Each standard name maps to its URW clone.  A metric set holds one width byte
per character code 32 to 133; the byte b of a glyph of AFM width W (1/1000
em) is round(W / 7.0866), so that b * 0.025 * (1000 / reference height) * h
* 0.28346458 is the glyph's advance in plot units at character height h
(7.0866 = 0.025 * 0.28346458 * 1000).  Codes 32 to 126 are the glyphs of
the font's own encoding; codes 127 to 133 the letters Adieresis, Odieresis,
Udieresis, adieresis, odieresis, udieresis and germandbls of the engine's
German encoding.  The Oblique variants of Helvetica, Helvetica-Narrow and
AvantGarde share the set of their upright font; the Courier fonts have no
set (every code is 84 wide).  The reference heights are the engine's fixed
values, not read from the AFM files.
"""

import argparse
import os
import sys

PACKAGE = "fonts-urw-base35"
DEFAULT_AFM_DIR = "/usr/share/fonts/type1/urw-base35"
REGEN_COMMAND = "python3 tools/gen_ps_metrics.py"

# Standard name, reference height (1/1000 em), URW clone, whose metric set
# it uses (None: its own, "-": none).
FONTS = [
    ("Times-Roman", 683, "NimbusRoman-Regular", None),
    ("Times-Bold", 676, "NimbusRoman-Bold", None),
    ("Times-Italic", 683, "NimbusRoman-Italic", None),
    ("Times-BoldItalic", 699, "NimbusRoman-BoldItalic", None),
    ("Helvetica", 718, "NimbusSans-Regular", None),
    ("Helvetica-Bold", 718, "NimbusSans-Bold", None),
    ("Helvetica-Oblique", 718, "NimbusSans-Italic", "Helvetica"),
    ("Helvetica-BoldOblique", 718, "NimbusSans-BoldItalic", "Helvetica-Bold"),
    ("Helvetica-Narrow", 718, "NimbusSansNarrow-Regular", None),
    ("Helvetica-Narrow-Bold", 718, "NimbusSansNarrow-Bold", None),
    ("Helvetica-Narrow-Oblique", 718, "NimbusSansNarrow-Oblique", "Helvetica-Narrow"),
    ("Helvetica-Narrow-BoldOblique", 718, "NimbusSansNarrow-BoldOblique",
     "Helvetica-Narrow-Bold"),
    ("NewCenturySchlbk-Roman", 737, "C059-Roman", None),
    ("NewCenturySchlbk-Italic", 737, "C059-Italic", None),
    ("NewCenturySchlbk-Bold", 737, "C059-Bold", None),
    ("NewCenturySchlbk-BoldItalic", 737, "C059-BdIta", None),
    ("ZapfChancery-MediumItalic", 748, "Z003-MediumItalic", None),
    ("ZapfDingbats", 685, "D050000L", None),
    ("Courier", 629, "NimbusMonoPS-Regular", "-"),
    ("Courier-Bold", 626, "NimbusMonoPS-Bold", "-"),
    ("Courier-Oblique", 629, "NimbusMonoPS-Italic", "-"),
    ("Courier-BoldOblique", 626, "NimbusMonoPS-BoldItalic", "-"),
    ("AvantGarde-Book", 740, "URWGothic-Book", None),
    ("AvantGarde-Demi", 740, "URWGothic-Demi", None),
    ("AvantGarde-BookOblique", 740, "URWGothic-BookOblique", "AvantGarde-Book"),
    ("AvantGarde-DemiOblique", 740, "URWGothic-DemiOblique", "AvantGarde-Demi"),
    ("Bookman-Light", 717, "URWBookman-Light", None),
    ("Bookman-LightItalic", 717, "URWBookman-LightItalic", None),
    ("Bookman-Demi", 725, "URWBookman-Demi", None),
    ("Bookman-DemiItalic", 732, "URWBookman-DemiItalic", None),
    ("Palatino-Roman", 726, "P052-Roman", None),
    ("Palatino-Italic", 733, "P052-Italic", None),
    ("Palatino-Bold", 720, "P052-Bold", None),
    ("Palatino-BoldItalic", 726, "P052-BoldItalic", None),
    ("Symbol", 685, "StandardSymbolsPS", None),
]

# Codes 127..133 by glyph name, with the base letter used where the font
# has no such glyph (the symbol fonts).
GERMAN = [("Adieresis", "A"), ("Odieresis", "O"), ("Udieresis", "U"),
          ("adieresis", "a"), ("odieresis", "o"), ("udieresis", "u"),
          ("germandbls", "s")]

FIRST_CODE = 32
LAST_CODE = 133
DIVISOR = 7.0866


def read_afm(path):
    """Returns ({code: width}, {name: width}) of an AFM file."""
    by_code = {}
    by_name = {}
    in_metrics = False
    with open(path, encoding="latin-1") as f:
        for line in f:
            line = line.strip()
            if line.startswith("StartCharMetrics"):
                in_metrics = True
                continue
            if line.startswith("EndCharMetrics"):
                break
            if not in_metrics or not line.startswith("C "):
                continue
            fields = {}
            for part in line.split(";"):
                part = part.split()
                if len(part) >= 2:
                    fields[part[0]] = part[1]
            code = int(fields["C"])
            width = float(fields.get("WX", fields.get("W0X", "0")))
            if code >= 0:
                by_code[code] = width
            if "N" in fields:
                by_name[fields["N"]] = width
    return by_code, by_name


def width_byte(width):
    b = int(width / DIVISOR + 0.5)  # widths are not negative
    if not 0 <= b <= 255:
        raise ValueError(f"width {width} gives byte {b}")
    return b


def metric_set(path):
    by_code, by_name = read_afm(path)
    out = []
    for code in range(FIRST_CODE, 127):
        if code not in by_code:
            raise ValueError(f"{path}: no glyph for code {code}")
        out.append(width_byte(by_code[code]))
    for name, base in GERMAN:
        width = by_name.get(name, by_code[ord(base)])
        out.append(width_byte(width))
    assert len(out) == LAST_CODE - FIRST_CODE + 1
    return out


HEADER = """\
// Generated from Debian package {package} by `{command}`; do not edit.
#pragma once
// The 35 standard PostScript fonts: names, reference heights and the width
// bytes of the codes 32 to 133.

#include <cstdint>

namespace zedozo {{

inline constexpr int kPsFontCount = 35;
inline constexpr int kPsMetricSetCount = 25;
inline constexpr int kPsMetricFirstCode = 32;
inline constexpr int kPsMetricLastCode = 133;
inline constexpr int kPsMetricCodes = kPsMetricLastCode - kPsMetricFirstCode + 1;
// Width byte of every code of a font without a metric set (the Couriers).
inline constexpr std::uint8_t kPsFixedWidthByte = 84;

struct PsFontInfo {{
    const char* name;          // standard name, as psfont accepts it
    std::int32_t refHeight;    // 1/1000 em
    std::int32_t metricSet;    // index into kPsMetricSets, -1 for none
    const char* clone;         // the URW font the metrics come from
}};

// In the standard order: the position of a name is its font index.
extern const PsFontInfo kPsFonts[kPsFontCount];
// A width byte b is the advance b * 0.025 * (1000 / refHeight) * h *
// 0.28346458 plot units at character height h.
extern const std::uint8_t kPsMetricSets[kPsMetricSetCount][kPsMetricCodes];

}}  // namespace zedozo
"""


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--afm-dir", default=DEFAULT_AFM_DIR)
    parser.add_argument("--out-dir", default=os.path.join(
        os.path.dirname(os.path.abspath(__file__)), os.pardir, "engine", "core"))
    args = parser.parse_args()

    if len(FONTS) != 35:
        sys.exit("gen_ps_metrics: the font list must hold 35 names")

    sets = []      # (standard name, widths)
    set_of = {}    # standard name -> set index
    for name, _, clone, shared in FONTS:
        if shared is not None:
            continue
        path = os.path.join(args.afm_dir, clone + ".afm")
        if not os.path.exists(path):
            sys.exit(f"gen_ps_metrics: {path} not found (install {PACKAGE})")
        set_of[name] = len(sets)
        sets.append((name, metric_set(path)))
    if len(sets) != 25:
        sys.exit(f"gen_ps_metrics: {len(sets)} metric sets instead of 25")

    times = sets[set_of["Times-Roman"]][1]
    if times[ord("A") - FIRST_CODE] != 102 or times[0] != 35:
        sys.exit("gen_ps_metrics: Times-Roman must give 102 for A and 35 for the blank")

    os.makedirs(args.out_dir, exist_ok=True)
    with open(os.path.join(args.out_dir, "PsFontMetrics.h"), "w") as f:
        f.write(HEADER.format(package=PACKAGE, command=REGEN_COMMAND))

    out = [
        f"// Generated from Debian package {PACKAGE} by `{REGEN_COMMAND}`; do not edit.",
        '#include "engine/core/PsFontMetrics.h"',
        "",
        "namespace zedozo {",
        "",
        "const PsFontInfo kPsFonts[kPsFontCount] = {",
    ]
    for name, height, clone, shared in FONTS:
        if shared == "-":
            index = -1
        else:
            index = set_of[shared if shared is not None else name]
        out.append(f'    {{"{name}", {height}, {index}, "{clone}"}},')
    out.append("};")
    out.append("")
    out.append("const std::uint8_t kPsMetricSets[kPsMetricSetCount][kPsMetricCodes] = {")
    for name, widths in sets:
        out.append(f"    // {name}")
        out.append("    {")
        for i in range(0, len(widths), 16):
            out.append("        " + ", ".join(f"{w:3d}" for w in widths[i:i + 16]) + ",")
        out.append("    },")
    out.append("};")
    out.append("")
    out.append("}  // namespace zedozo")
    with open(os.path.join(args.out_dir, "PsFontMetrics.cpp"), "w") as f:
        f.write("\n".join(out) + "\n")
    print(f"{len(FONTS)} fonts, {len(sets)} metric sets of {LAST_CODE - FIRST_CODE + 1} codes")


if __name__ == "__main__":
    main()

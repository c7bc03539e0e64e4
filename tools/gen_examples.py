#!/usr/bin/env python3
"""Writes the example light-curve files in examples/.

Each file is what the spectrometer's acquisition software writes: a title
line, the header line with the three channel frequencies, then one line per
sample "hours UT,channel 1,channel 2,channel 3". The data are a quiet-sun
level with receiver noise, a slow drift and one or two bursts. The output is
the same on every run (fixed seed, own noise generator).

Usage: python3 tools/gen_examples.py [FOLDER]   (default: examples/)
       python3 tools/gen_examples.py --day FOLDER
The second writes FOLDER/LC20261206_SFU.txt, a whole day of the first
example's station (345,600 samples, 4 a second, a burst at 10.6 h): the
README's time-window example. It is not shipped (10 MB).
"""

import math
import os
import random
import sys

FREQUENCIES = (45.0, 150.5, 410.0)


def noise(rng):
    # Box-Muller from uniform numbers, so that the stream does not depend on
    # the library's own normal-distribution code.
    u1 = max(rng.random(), 1e-12)
    u2 = rng.random()
    return math.sqrt(-2.0 * math.log(u1)) * math.cos(2.0 * math.pi * u2)


def burst(t, start, rise, decay, peak):
    """A fast rise and an exponential decay, in the value unit."""
    if t < start:
        return 0.0
    dt = t - start
    if dt < rise:
        return peak * (dt / rise) ** 2
    return peak * math.exp(-(dt - rise) / decay)


def write(path, title, start, hours, step_s, quiet, sigma, bursts, seed, line_end):
    rng = random.Random(seed)
    lines = [title, "Time_UT,%.1fMHz,%.1fMHz,%.1fMHz" % FREQUENCIES]
    n = int(round(hours * 3600 / step_s))
    for i in range(n):
        t = start + i * step_s / 3600.0
        drift = math.sin((t - start) / hours * math.pi)
        values = []
        for c in range(3):
            v = quiet[c] * (1.0 + 0.05 * drift) + sigma[c] * noise(rng)
            for b in bursts:
                v += burst(t, b[0], b[1], b[2], b[3][c])
            values.append(v)
        lines.append("%.6f,%.2f,%.2f,%.2f" % (t, values[0], values[1], values[2]))
    with open(path, "w", newline="") as f:
        f.write(line_end.join(lines) + line_end)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--day":
        os.makedirs(sys.argv[2], exist_ok=True)
        write(os.path.join(sys.argv[2], "LC20261206_SFU.txt"),
              "Tervasol light curve KORB 2026-12-06 calibrated [SFU] whole day",
              0.0, 24.0, 0.25, (22.0, 35.0, 58.0), (1.5, 2.0, 1.2),
              [(10.62, 0.02, 0.05, (640.0, 1380.0, 410.0)),
               (11.35, 0.01, 0.02, (120.0, 260.0, 95.0))],
              seed=20261206, line_end="\r\n")
        return
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "examples")
    os.makedirs(folder, exist_ok=True)
    # A morning in SFU with a strong burst (above 1000 SFU at 150.5 MHz),
    # written with CRLF line ends as the acquisition PC does.
    write(os.path.join(folder, "LC20261206_SFU.txt"),
          "Tervasol light curve KORB 2026-12-06 calibrated [SFU]",
          10.0, 2.0, 2.0, (22.0, 35.0, 58.0), (1.5, 2.0, 1.2),
          [(10.62, 0.02, 0.05, (640.0, 1380.0, 410.0)),
           (11.35, 0.01, 0.02, (120.0, 260.0, 95.0))],
          seed=20261206, line_end="\r\n")
    # The same morning in raw counts.
    write(os.path.join(folder, "LC20261206_ADU.txt"),
          "Tervasol light curve KORB 2026-12-06 raw [ADU]",
          10.0, 2.0, 2.0, (180.0, 240.0, 310.0), (4.0, 5.0, 3.0),
          [(10.62, 0.02, 0.05, (420.0, 610.0, 260.0))],
          seed=20261207, line_end="\n")
    # A quiet half hour: all values under 5 ADU.
    write(os.path.join(folder, "LC20261207_ADU.txt"),
          "Tervasol light curve KORB 2026-12-07 raw [ADU] quiet",
          13.25, 0.5, 1.0, (1.8, 2.6, 3.4), (0.2, 0.25, 0.3), [],
          seed=20261208, line_end="\n")


if __name__ == "__main__":
    main()

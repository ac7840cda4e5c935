#!/usr/bin/python3
"""Checks that the printed page's PDF puts every line where the page geometry says.

  /usr/bin/python3 tests/page/check-page-pdf.py CLI RECORDING.vecg WORKDIR [PAGE OPTION...]

Makes the page (zm540vet-cli page, default settings from an empty INI) and the
processed traces (zm540vet-cli export --format csv) in WORKDIR, then reads the
page's drawing back in device units (1200 a inch, 72/1200 pt each) and checks:
the line grid, line by line, against the integer grid rules; the calibration
pulses' corners; and every vertex of every trace strip, x from the strip rule
and y from the exported trace. Positions are compared to the device unit.
Exits 1 with one message per fault, 77 when PyMuPDF is missing.
"""
import collections
import csv
import math
import os
import struct
import subprocess
import sys

try:
    import fitz
except ImportError:
    print("check-page-pdf: skipped: PyMuPDF is missing (install python3-fitz)", file=sys.stderr)
    sys.exit(77)

UNITS_PER_PT = 1200 / 72
TOLERANCE = 0.02  # device units
STRIP = 3000  # samples in a 10 s strip
COLUMN = 1500  # samples in a 5 s column


class Geometry:
    """The page at 1200 dpi; every coordinate truncated toward zero."""

    def __init__(self):
        self.u = 1200 / 2.54
        self.T = self.cy(1.0)
        self.H = self.cy(16.0)
        self.S = self.cx(25.0)
        self.left, self.top = self.cx(1.5), self.T
        self.right, self.bottom = self.cx(27.5), self.cy(17.0)

    def cx(self, cm):
        return int(cm * self.u)

    def cy(self, cm):
        return int(cm * self.u)

    def below(self, sixteenths):
        return int(self.T + (sixteenths * self.H) / 16)


def grid_lines(g):
    """The line grid's segments by pen: 52 x 32 major squares, five minor lines a square."""
    w, h = g.right - g.left, g.bottom - g.top
    minor, major = collections.Counter(), collections.Counter()
    for i in range(1, 5 * 52):
        if i % 5:
            x = g.left + ((w * i) // 52) // 5
            minor[(x, g.top, x, g.bottom)] += 1
    for j in range(1, 5 * 32):
        if j % 5:
            y = g.top + ((h * j) // 32) // 5
            minor[(g.left, y, g.right, y)] += 1
    for i in range(53):
        x = g.left + (w * i) // 52
        major[(x, g.top, x, g.bottom)] += 1
    for j in range(33):
        y = g.top + (h * j) // 32
        major[(g.left, y, g.right, y)] += 1
    return minor, major


def pulse(g, y):
    x = g.cx(1.8)
    top = y - g.cy(1.0)
    return [(x, y), (x + g.cx(0.1), y), (x + g.cx(0.1), top), (x + g.cx(0.3), top),
            (x + g.cx(0.3), y), (x + g.cx(0.4), y)]


def read_recording(path):
    with open(path, "rb") as f:
        data = f.read(48)
    leads, rhythm = data[28], data[29]
    (count,) = struct.unpack_from("<i", data, 44)
    return leads == 12, (rhythm if rhythm <= 5 else 1), count


def read_traces(path):
    """The exported traces per column, in the page's units (33 a millivolt)."""
    with open(path, newline="") as f:
        rows = list(csv.reader(f))
    return [[float(r[c]) * 33.0 for r in rows[1:]] for c in range(1, len(rows[0]))]


def strip(g, x0, y0, values):
    """A strip's vertices, each y allowed either truncation where the value sits on an edge."""
    points = []
    for i, s in enumerate(values):
        ys = {int(y0 - g.H * v / 528) for v in (s * (1 - 1e-12), s * (1 + 1e-12))}
        points.append((x0 + (i * g.S) // STRIP, ys))
    return points


def expected_strips(g, twelve_lead, rhythm, count, traces):
    """(name, x0, y0, values) for every strip the page draws."""
    if twelve_lead:
        n = min(count, COLUMN)
        names = ["I", "II", "III", "aVR", "aVL", "aVF"]
        strips = []
        for lead, name in enumerate(names):
            x0 = g.cx(15.0) if lead >= 3 else g.cx(2.5)
            y0 = g.below(3 * (lead % 3 + 1))
            strips.append((name, x0, y0, traces[lead][count - n:count]))
        n = min(count, STRIP)
        strips.append(("rhythm", g.cx(2.5), g.below(12), traces[rhythm][count - n:count]))
        return strips
    return [("line %d" % (j + 1), g.cx(2.5), g.below(3 * (j + 1)), traces[0][STRIP * j:STRIP * (j + 1)])
            for j in range(math.ceil(count / STRIP))]


def to_units(value):
    """A page coordinate in points as device units, rounded to 0.01, and its nearest integer."""
    units = round(value * UNITS_PER_PT, 2)
    return units, round(units)


def rgb(colour):
    return tuple(round(c * 255) for c in colour) if colour else None


class Checker:
    def __init__(self):
        self.faults = []

    def fault(self, text):
        if len(self.faults) < 40:
            self.faults.append(text)
        elif len(self.faults) == 40:
            self.faults.append("(further faults not listed)")

    def point(self, p):
        """A fitz point in device units, or None with a fault when it is off the unit grid."""
        (x, ix), (y, iy) = to_units(p.x), to_units(p.y)
        if abs(x - ix) > TOLERANCE or abs(y - iy) > TOLERANCE:
            self.fault("point (%.2f, %.2f) is not on a device unit" % (x, y))
        return ix, iy


def polylines(checker, page):
    """Every stroked path as (colour, width in units, vertices); each must be one connected line."""
    found = []
    for path in page.get_drawings():
        if "s" not in (path.get("type") or ""):
            continue
        vertices = []
        for item in path["items"]:
            if item[0] != "l":
                checker.fault("a stroked path holds a %r item, not only lines" % item[0])
                break
            a, b = checker.point(item[1]), checker.point(item[2])
            if not vertices:
                vertices.append(a)
            elif vertices[-1] != a:
                checker.fault("a path breaks at %s, continuing at %s" % (vertices[-1], a))
            vertices.append(b)
        found.append((rgb(path.get("color")), round((path.get("width") or 0) * UNITS_PER_PT, 2), vertices))
    return found


def main():
    cli, recording, work = sys.argv[1:4]
    options = sys.argv[4:]  # e.g. --paper Letter: the sheet changes, the drawing does not
    os.makedirs(work, exist_ok=True)
    ini, pdf, traces_csv = (os.path.join(work, n) for n in ("empty.ini", "page.pdf", "traces.csv"))
    for name in (pdf, traces_csv):
        if os.path.exists(name):
            os.remove(name)
    open(ini, "w").close()
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    for args in (["page", recording, "-o", pdf, "--settings", ini] + options,
                 ["export", recording, "-o", traces_csv, "--format", "csv"]):
        run = subprocess.run([cli] + args, env=env, capture_output=True, text=True)
        if run.returncode != 0:
            print("check-page-pdf: %s failed: %s" % (" ".join(args[:1]), run.stderr.strip()), file=sys.stderr)
            return 1

    g = Geometry()
    twelve_lead, rhythm, count = read_recording(recording)
    checker = Checker()
    doc = fitz.open(pdf)
    if doc.page_count != 1:
        checker.fault("%d pages, not one" % doc.page_count)
    paths = polylines(checker, doc[0])

    # The default colour page: minor lines hairlines in #ffcece, majors 1/4 point (4 units,
    # trunc(1200 x 0.25 / 72)) in #ff8000, traces and pulses 1/2 point (8 units) in black.
    minor_pen, major_pen, trace_pen = ((255, 206, 206), 0.0), ((255, 128, 0), 4.0), ((0, 0, 0), 8.0)
    drawn = {minor_pen: collections.Counter(), major_pen: collections.Counter()}
    traces = []
    for colour, width, vertices in paths:
        pen = (colour, width)
        if pen in drawn:
            for a, b in zip(vertices, vertices[1:]):
                drawn[pen][a + b] += 1
        elif pen == trace_pen:
            traces.append(vertices)

    minor, major = grid_lines(g)
    for name, pen, lines in (("minor", minor_pen, minor), ("major", major_pen, major)):
        for line in sorted((lines - drawn[pen]).elements()):
            checker.fault("%s grid line %s missing" % (name, line))
        for line in sorted((drawn[pen] - lines).elements()):
            checker.fault("%s grid line %s where the grid has none" % (name, line))
    # The corners: (708, 472) and (12992, 8031), i.e. trunc(1.5 U), trunc(U), trunc(27.5 U),
    # trunc(17 U) with U = 1200 / 2.54 = 472.44.
    for line in ((708, 472, 708, 8031), (12992, 472, 12992, 8031),
                 (708, 472, 12992, 472), (708, 8031, 12992, 8031)):
        if not drawn[major_pen][line]:
            checker.fault("the grid's edge %s is not drawn" % (line,))

    # Pulses on each strip row's baseline: 12-lead rows 3, 6, 9, 12 sixteenths, the monitoring
    # page only on its first line.
    baselines = [3, 6, 9, 12] if twelve_lead else [3]
    for b in baselines:
        want = pulse(g, g.below(b))
        if want not in traces:
            checker.fault("no calibration pulse %s on baseline %d/16" % (want, b))

    strips = expected_strips(g, twelve_lead, rhythm, count, read_traces(traces_csv))
    starts = collections.defaultdict(list)
    for vertices in traces:
        starts[vertices[0][0]].append(vertices)
    for name, x0, y0, values in strips:
        want = strip(g, x0, y0, values)
        candidates = [v for v in starts[x0] if len(v) == len(want) and v[0][1] in want[0][1]]
        matches = [v for v in candidates if all(x == wx and y in wy for (x, y), (wx, wy) in zip(v, want))]
        if matches:
            continue
        if not candidates:
            checker.fault("strip %s: no trace of %d points from x %d" % (name, len(want), x0))
            continue
        drawn_pts = min(candidates, key=lambda v: sum(p[0] != w[0] or p[1] not in w[1] for p, w in zip(v, want)))
        wrong = [(i, p, (w[0], sorted(w[1]))) for i, (p, w) in enumerate(zip(drawn_pts, want))
                 if p[0] != w[0] or p[1] not in w[1]]
        checker.fault("strip %s: %d of %d points off, first at sample %d: drawn %s, expected %s"
                      % (name, len(wrong), len(want), wrong[0][0], wrong[0][1], wrong[0][2]))
    # Spans, for the record: the rhythm strip from 1181 to 1181 + (2999 x 11811) // 3000 = 12988,
    # lead I to 1181 + (1499 x 11811) // 3000 = 7082.
    if twelve_lead:
        for name, end in (("I", 7082), ("rhythm", 12988)):
            x0 = 1181
            if not any(v[0][0] == x0 and v[-1][0] == end for v in traces):
                checker.fault("strip %s does not span x %d to %d" % (name, x0, end))

    for text in checker.faults:
        print("check-page-pdf: " + text, file=sys.stderr)
    if checker.faults:
        return 1
    print("check-page-pdf: %d grid lines, %d pulses and %d strips where the geometry puts them"
          % (sum(minor.values()) + sum(major.values()), len(baselines), len(strips)))
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Writes a PDF that looks like a printed ECG page, to try the print harness
and the page checker without the program.

  /usr/bin/python3 tests/cups/make-test-page.py OUT.pdf [--grid 260x160] [--at 15,10]
      [--paper 297x210] [--pages 1]

The grid has 1 mm lines and 5 mm lines, its top-left corner --at mm from the
page's top-left corner, with a wavy trace and a caption over it.
"""
import argparse
import math
import sys

import fitz

MM = 72 / 25.4


def pair(text, sep):
    a, b = text.split(sep)
    return float(a), float(b)


def draw_page(page, width, height, left, top):
    shape = page.new_shape()
    steps_x = round(width)
    steps_y = round(height)
    for i in range(steps_x + 1):
        x = (left + width * i / steps_x) * MM
        shape.draw_line((x, top * MM), (x, (top + height) * MM))
        shape.finish(color=(1, 0.6, 0.6), width=0.6 if i % 5 == 0 else 0.2)
    for j in range(steps_y + 1):
        y = (top + height * j / steps_y) * MM
        shape.draw_line((left * MM, y), ((left + width) * MM, y))
        shape.finish(color=(1, 0.6, 0.6), width=0.6 if j % 5 == 0 else 0.2)
    # A trace with a flat stretch, like a baseline between beats.
    points = []
    for k in range(400):
        x = left + 5 + k * (width - 10) / 399
        beat = math.exp(-((k % 80) - 40) ** 2 / 8.0)
        y = top + height / 2 - 12 * beat if 20 < k % 80 < 60 else top + height / 2
        points.append((x * MM, y * MM))
    shape.draw_polyline(points)
    shape.finish(color=(0, 0, 0), width=0.5, closePath=False)
    shape.commit()
    page.insert_text(((left + 2) * MM, (top + 6) * MM), "II  25 mm/s  10 mm/mV", fontsize=9)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out")
    parser.add_argument("--grid", default="260x160", help="grid width x height, mm")
    parser.add_argument("--at", default="15,10", help="grid's left,top from the page's top-left, mm")
    parser.add_argument("--paper", default="297x210", help="page width x height, mm")
    parser.add_argument("--pages", type=int, default=1)
    args = parser.parse_args()

    width, height = pair(args.grid, "x")
    left, top = pair(args.at, ",")
    paper_w, paper_h = pair(args.paper, "x")
    doc = fitz.open()
    for _ in range(args.pages):
        page = doc.new_page(width=paper_w * MM, height=paper_h * MM)
        draw_page(page, width, height, left, top)
    doc.save(args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())

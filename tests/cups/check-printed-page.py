#!/usr/bin/python3
"""Checks a printed ECG page: one page, landscape, and a grid of the right size.

  /usr/bin/python3 tests/cups/check-printed-page.py PAGE.pdf [--grid 260x160]
      [--paper 297x210] [--tolerance 0.3] [--turned-paper]

The grid is found from its lines: stroked horizontal and vertical segments at
least 50 mm long, joined where they continue each other on one line. The
grid's width is the length most of the horizontal lines share, and the
distance from the first to the last vertical line of that length must agree
with it (the same the other way round), so a missing edge line or a grid
drawn short both fail. Everything is measured as the page is shown, that is
after its /Rotate (cups-pdf lets Ghostscript turn pages to upright text).

A printer puts a landscape page on portrait paper turned a quarter turn, and
so does cups-pdf when Ghostscript cannot read the text to turn the page back
(it cannot read Qt's fonts once they went through PostScript). With
--turned-paper a portrait page is measured turned back, with its left edge
as the top; the document as Qt sent it is the one to check for landscape.
Exits 1 with a message when a check fails, 2 when the file cannot be read,
77 when PyMuPDF is missing.
"""
import argparse
import collections
import sys

try:
    import fitz
except ImportError:
    # ctest reports 77 as skipped: the page was printed but cannot be measured here.
    print("check-printed-page: skipped: PyMuPDF is missing (install python3-fitz)", file=sys.stderr)
    sys.exit(77)

MM = 25.4 / 72
LONG = 50.0  # mm; shorter segments are trace pieces, ticks or glyph parts
SAME = 0.05  # mm; positions closer than this are one line


def pair(text):
    a, b = text.lower().split("x")
    return float(a), float(b)


def segments(page, to_shown):
    """Axis-aligned segments in mm, in the frame to_shown maps to: ('h', y, x0, x1) or ('v', x, y0, y1)."""
    found = []

    def add(p, q):
        p, q = p * to_shown, q * to_shown
        x0, y0, x1, y1 = p.x * MM, p.y * MM, q.x * MM, q.y * MM
        if abs(y1 - y0) < SAME and abs(x1 - x0) >= SAME:
            found.append(("h", (y0 + y1) / 2, min(x0, x1), max(x0, x1)))
        elif abs(x1 - x0) < SAME and abs(y1 - y0) >= SAME:
            found.append(("v", (x0 + x1) / 2, min(y0, y1), max(y0, y1)))

    for path in page.get_drawings():
        stroked = "s" in (path.get("type") or "")
        for item in path["items"]:
            if item[0] == "l" and stroked:
                add(item[1], item[2])
            elif item[0] == "re":
                r = item[1]
                if stroked:
                    add(r.tl, r.tr), add(r.bl, r.br), add(r.tl, r.bl), add(r.tr, r.br)
                elif min(r.width, r.height) * MM < 0.5:
                    # A hairline drawn as a thin filled bar.
                    c = (r.tl + r.br) / 2
                    if r.width > r.height:
                        add(fitz.Point(r.x0, c.y), fitz.Point(r.x1, c.y))
                    else:
                        add(fitz.Point(c.x, r.y0), fitz.Point(c.x, r.y1))
    return found


def lines_of(found, kind):
    """Joins collinear touching segments; returns [(position, start, end)] of lines >= LONG."""
    by_position = collections.defaultdict(list)
    for k, pos, a, b in found:
        if k == kind:
            by_position[round(pos / SAME)].append((a, b))
    lines = []
    for key, spans in by_position.items():
        spans.sort()
        start, end = spans[0]
        for a, b in spans[1:]:
            if a <= end + SAME:
                end = max(end, b)
            else:
                lines.append((key * SAME, start, end))
                start, end = a, b
        lines.append((key * SAME, start, end))
    return [line for line in lines if line[2] - line[1] >= LONG]


def grid_side(lines, tolerance):
    """The length most lines share, and the lines that have it."""
    lengths = collections.Counter(round((e - s) / 0.1) for _, s, e in lines)
    top, _ = max(lengths.items(), key=lambda kv: (kv[1], kv[0]))
    length = top * 0.1
    chosen = [line for line in lines if abs((line[2] - line[1]) - length) <= tolerance]
    mean = sum(e - s for _, s, e in chosen) / len(chosen)
    return mean, chosen


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("pdf")
    parser.add_argument("--grid", default="260x160", help="grid width x height, mm")
    parser.add_argument("--paper", help="page width x height, mm (landscape); any landscape size if omitted")
    parser.add_argument("--tolerance", type=float, default=0.3, help="mm")
    parser.add_argument("--turned-paper", action="store_true",
                        help="measure a portrait page turned back a quarter turn")
    args = parser.parse_args()
    want_w, want_h = pair(args.grid)
    tol = args.tolerance

    try:
        doc = fitz.open(args.pdf)
    except Exception as e:  # fitz raises its own types for unreadable files
        print(f"check-printed-page: cannot read {args.pdf}: {e}", file=sys.stderr)
        return 2

    problems = []
    print(f"pages: {doc.page_count}")
    if doc.page_count != 1:
        problems.append(f"{doc.page_count} pages, want exactly 1")
    if doc.page_count == 0:
        return report(problems)

    page = doc[0]
    to_shown = page.rotation_matrix
    page_w, page_h = page.rect.width * MM, page.rect.height * MM
    print(f"page: {page_w:.1f} x {page_h:.1f} mm (rotation {page.rotation})")
    if args.turned_paper and page_w < page_h:
        # Clockwise, so the portrait page's left edge becomes the top.
        to_shown = to_shown * fitz.Matrix(0, 1, -1, 0, page.rect.height, 0)
        page_w, page_h = page_h, page_w
        print(f"portrait paper: measured turned back, {page_w:.1f} x {page_h:.1f} mm")
    if page_w <= page_h:
        problems.append(f"page is {page_w:.1f} x {page_h:.1f} mm, not landscape")
    if args.paper:
        paper_w, paper_h = pair(args.paper)
        if abs(page_w - paper_w) > 1 or abs(page_h - paper_h) > 1:
            problems.append(f"page is {page_w:.1f} x {page_h:.1f} mm, want {paper_w:g} x {paper_h:g} mm")

    # Labels must read left to right on the page as shown, or the landscape
    # page is only the paper turned with the drawing still sideways.
    directions = collections.Counter()
    for block in page.get_text("dict")["blocks"]:
        for line in block.get("lines", []):
            d = fitz.Point(line["dir"]) * to_shown - fitz.Point(0, 0) * to_shown
            directions[(round(d.x), round(d.y))] += len("".join(s["text"] for s in line["spans"]).strip())
    if directions:
        main_dir, _ = directions.most_common(1)[0]
        print(f"text direction: {main_dir}")
        if main_dir != (1, 0):
            problems.append(f"most text runs in direction {main_dir}, want (1, 0): the drawing is turned on the page")
    else:
        print("text direction: no text on the page")

    found = segments(page, to_shown)
    horizontal = lines_of(found, "h")
    vertical = lines_of(found, "v")
    if not horizontal or not vertical:
        problems.append(f"no grid: {len(horizontal)} horizontal and {len(vertical)} vertical lines of {LONG:g} mm or more")
        return report(problems)

    width, rows = grid_side(horizontal, tol)
    height, columns = grid_side(vertical, tol)
    span_x = max(p for p, _, _ in columns) - min(p for p, _, _ in columns)
    span_y = max(p for p, _, _ in rows) - min(p for p, _, _ in rows)
    left = min(s for _, s, _ in rows)
    top = min(s for _, s, _ in columns)
    print(f"grid: {width:.2f} x {height:.2f} mm ({len(rows)} horizontal lines, {len(columns)} vertical lines)")
    print(f"grid lines span: {span_x:.2f} x {span_y:.2f} mm, top-left corner at ({left:.2f}, {top:.2f}) mm")

    for name, got, want in (("width", width, want_w), ("height", height, want_h),
                            ("span of vertical lines", span_x, want_w),
                            ("span of horizontal lines", span_y, want_h)):
        if abs(got - want) > tol:
            problems.append(f"grid {name} is {got:.2f} mm, want {want:g} ± {tol:g} mm")
    return report(problems)


def report(problems):
    for p in problems:
        print(f"check-printed-page: FAIL: {p}", file=sys.stderr)
    if not problems:
        print("check-printed-page: ok")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

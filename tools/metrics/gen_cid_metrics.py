#!/usr/bin/env python3
"""Writes the built-in metric tables of the two CID fonts HeiseiMin-W3 and
HeiseiKakuGo-W5 (pdf/metrics/generated/CIDFontTables.cpp) from the text
files under tools/metrics/data/.

Per font three files are read:

  <font>-widths.txt   the advance width of every CID, and counts to check;
  <font>-boxes.txt    the header values, the rules the glyph boxes obey
                      together, and the boxes stated for single CIDs;
  <font>-choices.txt  boxes chosen here where a rule needs a holder that the
                      statement does not name, and the parameters of the
                      default boxes.

The boxes of all other CIDs are synthesised: a deterministic default per
width class, a function of the CID alone. Every rule is then checked on the
whole table. When any rule fails, nothing is written: each failure is
printed as "<font>: CID <n>: rule <name>: <what>" and the exit status is 2.

--check regenerates the text in memory and compares it with the committed
file: exit status 1 when they differ, 0 when they are equal.

Only the standard library is used, and nothing depends on the time, the
locale, hash seeds or random numbers: two runs give the same bytes.

Lines of a widths file ('#' starts a comment):
  ITEM, ITEM, ...              ITEM is "CID WIDTH" or "FIRST-LAST WIDTH"
  FIRST-LAST: W W ...          one width per CID of the range
  count WIDTH ROWS             exactly ROWS CIDs have WIDTH
  count not W W ...: ROWS      exactly ROWS CIDs have none of the widths
  distinct: W W ...            the widths used are exactly these
  cids W in FIRST-LAST: CIDS   the CIDs of the range with width W
  cids not W: CIDS             the CIDs whose width is not W

Lines of a boxes or choices file (BOX is "llx lly urx ury", CIDS a list of
"N" and "FIRST-LAST" items):
  header KEY VALUE             a header value (strings and numbers)
  class NAME: CIDS             a width class (proportional, half-width,
                               full-width)
  empty: CIDS                  exactly these boxes are 0 0 0 0
  union                        the union of all boxes is the FontBBox
  holders COORD VALUE: CIDS    exactly these inked boxes have COORD = VALUE
  range CIDS: COORD MIN MAX, ...  the inked boxes of the CIDs stay within
                               and reach MIN and MAX of each COORD
  within x|y CIDS [except CIDS]: LO HI
                               the inked boxes lie within LO..HI on the axis
  quartiles CIDS: count N, COORD LOW MEDIAN HIGH, ...
                               over the N inked boxes, each coordinate's
                               median (rank (N+1)/2) is MEDIAN and the values
                               at ranks (N+1)/4 and 3(N+1)/4 lie in LOW..HIGH
  shared BOX: CIDS             these CIDs have the box and no other CID has
  series FIRST-LAST: T T T T   each term an integer, "Bk" or "A+Bk", with k
                               running from 1 at FIRST
  overhang left|right|both N: CIDS
                               exactly these N boxes start left of the origin
                               / end past the advance / both
  below: CIDS                  exactly these inked boxes have ury <= 0
  edges FIRST-LAST: x X ..., y Y ...
                               every x edge and every y edge from these sets
  mirror CIDS from CIDS: A=B ...
                               the box of the n-th target CID is that of the
                               n-th source with each x edge A replaced by B
  box CIDS BOX                 a stated box
  row CID WX BOX [OVERHANG]    a stated box with its width (and urx - WX, or
                               "none" when the box ends within the advance)
  default CLASS ...            parameters of the default boxes (choices only,
                               see Defaults below)
"""

import argparse
import os
import re
import sys

CID_COUNT = 8720
COORDS = ("llx", "lly", "urx", "ury")
FONTS = (
    # (file stem, C++ name stem)
    ("heiseimin-w3", "HeiseiMinW3"),
    ("heiseikakugo-w5", "HeiseiKakuGoW5"),
)
HEADER_STRINGS = ("FontName", "Weight", "Version", "CharacterSet")
HEADER_NUMBERS = ("Characters", "CapHeight", "Ascender", "Descender", "UnderlinePosition",
                  "UnderlineThickness", "ItalicAngle")

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
DEFAULT_DATA = os.path.join(HERE, "data")
DEFAULT_OUTPUT = os.path.join(ROOT, "pdf", "metrics", "generated", "CIDFontTables.cpp")


class Refusal(Exception):
    """A malformed data line: reported like a failed rule."""

    def __init__(self, where, message):
        super().__init__(f"{where}: rule syntax: {message}")


def strip_comment(line):
    return line.split("#", 1)[0].strip()


def read_lines(path):
    with open(path, encoding="ascii") as f:
        for number, raw in enumerate(f, 1):
            text = strip_comment(raw)
            if text:
                yield f"{os.path.basename(path)}:{number}", text


def to_int(where, text):
    if not re.fullmatch(r"-?\d+", text):
        raise Refusal(where, f"not an integer: {text!r}")
    return int(text)


def parse_cids(where, text):
    """A list of CIDs from items "N" and "FIRST-LAST" (blanks or commas)."""
    cids = []
    for item in re.split(r"[\s,]+", text.strip()):
        if not item:
            continue
        m = re.fullmatch(r"(\d+)(?:-(\d+))?", item)
        if not m:
            raise Refusal(where, f"not a CID or range: {item!r}")
        first = int(m.group(1))
        last = int(m.group(2)) if m.group(2) else first
        if first > last or last >= CID_COUNT:
            raise Refusal(where, f"bad CID range: {item!r}")
        cids.extend(range(first, last + 1))
    return cids


def parse_box(where, tokens):
    if len(tokens) != 4:
        raise Refusal(where, f"a box needs four numbers: {' '.join(tokens)!r}")
    return tuple(to_int(where, t) for t in tokens)


def show(box):
    return " ".join(str(v) for v in box)


def show_cids(cids):
    return " ".join(str(c) for c in sorted(cids)) or "none"


# ---------------------------------------------------------------------------
# Widths


def read_widths(path, failures):
    widths = [None] * CID_COUNT
    checks = []

    def put(where, cid, width):
        if cid >= CID_COUNT:
            raise Refusal(where, f"CID {cid} out of range")
        if widths[cid] is not None:
            raise Refusal(where, f"CID {cid} given twice")
        widths[cid] = width

    for where, text in read_lines(path):
        head = text.split()[0].rstrip(":")
        if head in ("count", "distinct", "cids"):
            checks.append((where, text))
            continue
        m = re.fullmatch(r"(\d+)-(\d+):\s*(.*)", text)
        if m:
            first, last = int(m.group(1)), int(m.group(2))
            values = m.group(3).split()
            if len(values) != last - first + 1:
                raise Refusal(where, f"row {first}-{last} has {len(values)} widths")
            for i, v in enumerate(values):
                put(where, first + i, to_int(where, v))
            continue
        for item in text.split(","):
            parts = item.split()
            if len(parts) != 2:
                raise Refusal(where, f"not a width item: {item.strip()!r}")
            for cid in parse_cids(where, parts[0]):
                put(where, cid, to_int(where, parts[1]))

    missing = [c for c in range(CID_COUNT) if widths[c] is None]
    if missing:
        raise Refusal(os.path.basename(path), f"no width for CIDs {show_cids(missing[:10])}")

    def fail(where, message):
        failures.append(f"{where}: rule widths: {message}")

    for where, text in checks:
        m = re.fullmatch(r"count (\d+) (\d+)", text)
        if m:
            w, n = int(m.group(1)), int(m.group(2))
            have = widths.count(w)
            if have != n:
                fail(where, f"{have} CIDs have width {w}, stated {n}")
            continue
        m = re.fullmatch(r"count not ([\d ]+):\s*(\d+)", text)
        if m:
            excluded = {int(v) for v in m.group(1).split()}
            have = sum(1 for w in widths if w not in excluded)
            if have != int(m.group(2)):
                fail(where, f"{have} CIDs have another width, stated {m.group(2)}")
            continue
        m = re.fullmatch(r"distinct:\s*([\d ]+)", text)
        if m:
            stated = {int(v) for v in m.group(1).split()}
            if set(widths) != stated:
                fail(where, f"widths used {sorted(set(widths))}, stated {sorted(stated)}")
            continue
        m = re.fullmatch(r"cids (not )?(\d+)(?: in (\d+)-(\d+))?:\s*(.*)", text)
        if m:
            negate, w = bool(m.group(1)), int(m.group(2))
            first = int(m.group(3)) if m.group(3) else 0
            last = int(m.group(4)) if m.group(4) else CID_COUNT - 1
            have = {c for c in range(first, last + 1) if (widths[c] != w) == negate}
            stated = set(parse_cids(where, m.group(5)))
            if have != stated:
                fail(where, f"CIDs {'not ' if negate else ''}{w} wide differ: "
                     f"extra {show_cids(have - stated)}, missing {show_cids(stated - have)}")
            continue
        raise Refusal(where, f"unknown check: {text!r}")
    return widths


def width_runs(widths):
    runs = []
    for cid, w in enumerate(widths):
        if runs and runs[-1][2] == w and runs[-1][1] == cid - 1:
            runs[-1][1] = cid
        else:
            runs.append([cid, cid, w])
    return runs


# ---------------------------------------------------------------------------
# Boxes: the stated data


class Font:
    def __init__(self, stem):
        self.stem = stem
        self.header = {}
        self.classes = {}  # name -> list of CIDs
        self.rules = []  # (kind, where, payload)
        self.pins = {}  # cid -> (box, where)
        self.defaults = {}  # class -> {key: [numbers]}
        self.mirrors = []
        self.failures = []

    def fail(self, cid, rule, message):
        at = f"CID {cid}: " if cid is not None else ""
        self.failures.append(f"{self.stem}: {at}rule {rule}: {message}")

    def pin(self, cid, box, where, rule):
        """Fixes the box of a CID; a second, different box for it is refused
        under the name of the rule that stated the first (or this one when
        the first was a plain box line)."""
        held = self.pins.get(cid)
        if held and held[0] != box:
            named = held[2] if held[2] not in ("box", "choice") else rule
            self.fail(cid, named, f"{rule} {show(box)} ({where}) differs from {held[2]} "
                      f"{show(held[0])} ({held[1]})")
            return
        if not held:
            self.pins[cid] = (box, where, rule)


def series_term(where, term, k):
    m = re.fullmatch(r"(-?\d+)", term)
    if m:
        return int(m.group(1))
    m = re.fullmatch(r"(?:(-?\d+)\+)?(\d+)k", term)
    if not m:
        raise Refusal(where, f"not a series term: {term!r}")
    return int(m.group(1) or 0) + int(m.group(2)) * k


def series_boxes(where, first, last, terms):
    return {first + k - 1: tuple(series_term(where, t, k) for t in terms)
            for k in range(1, last - first + 2)}


def read_boxes(font, path, choices):
    for where, text in read_lines(path):
        words = text.split()
        kind = words[0].rstrip(":")
        body = text[len(kind):].strip()
        if kind == "header" and not choices:
            key = words[1]
            if key == "FontBBox":
                font.header[key] = parse_box(where, words[2:])
            elif key in HEADER_STRINGS:
                font.header[key] = words[2]
            elif key in HEADER_NUMBERS:
                font.header[key] = to_int(where, words[2])
            else:
                raise Refusal(where, f"unknown header key {key!r}")
        elif kind == "class" and not choices:
            name, _, cids = body.partition(":")
            font.classes[name.strip()] = parse_cids(where, cids)
        elif kind == "box":
            cids = parse_cids(where, words[1])
            for cid in cids:
                font.pin(cid, parse_box(where, words[2:]), where, "choice" if choices else "box")
        elif kind == "row" and not choices:
            if len(words) not in (7, 8):
                raise Refusal(where, "a row is CID WX llx lly urx ury [overhang]")
            cid, wx = to_int(where, words[1]), to_int(where, words[2])
            box = parse_box(where, words[3:7])
            font.rules.append(("row", where, (cid, wx, box, words[7] if len(words) == 8 else None)))
            font.pin(cid, box, where, "row")
        elif kind == "shared" and not choices:
            box_text, _, cids = body.partition(":")
            box = parse_box(where, box_text.split())
            cids = parse_cids(where, cids)
            font.rules.append(("shared", where, (box, set(cids))))
            for cid in cids:
                font.pin(cid, box, where, "shared")
        elif kind == "series" and not choices:
            m = re.fullmatch(r"(\d+)-(\d+):\s*(\S+) (\S+) (\S+) (\S+)", body)
            if not m:
                raise Refusal(where, f"not a series: {text!r}")
            boxes = series_boxes(where, int(m.group(1)), int(m.group(2)), m.groups()[2:])
            font.rules.append(("series", where, boxes))
            for cid, box in boxes.items():
                font.pin(cid, box, where, "series")
        elif kind == "mirror" and not choices:
            m = re.fullmatch(r"(.*) from (.*):\s*(.*)", body)
            if not m:
                raise Refusal(where, f"not a mirror: {text!r}")
            targets, sources = parse_cids(where, m.group(1)), parse_cids(where, m.group(2))
            if len(targets) != len(sources):
                raise Refusal(where, "mirror ranges differ in length")
            mapping = {}
            for pair in m.group(3).split():
                a, _, b = pair.partition("=")
                mapping[to_int(where, a)] = to_int(where, b)
            font.mirrors.append((where, list(zip(targets, sources)), mapping))
            font.rules.append(("mirror", where, (list(zip(targets, sources)), mapping)))
        elif kind == "default" and choices:
            name = words[1]
            params = {}
            for part in " ".join(words[2:]).split(","):
                tokens = part.split()
                if len(tokens) < 2:
                    raise Refusal(where, f"not a default parameter: {part.strip()!r}")
                params[tokens[0]] = [to_int(where, t) for t in tokens[1:]]
            font.defaults[name] = params
        elif kind == "empty" and not choices:
            font.rules.append((kind, where, body))
            for cid in parse_cids(where, body.lstrip(":")):
                font.pin(cid, (0, 0, 0, 0), where, "empty")
        elif kind in ("union", "holders", "range", "within", "quartiles", "overhang", "below",
                      "edges") and not choices:
            font.rules.append((kind, where, body))
        else:
            raise Refusal(where, f"unknown or misplaced line: {text!r}")


# ---------------------------------------------------------------------------
# Defaults
#
# Proportional: "inset P J" puts each side P percent of the advance inside
# it, moved by up to J units; "bottom LO HI" and "top LO HI" give lly and ury.
# Half-width: "llx LO HI", "lly ...", "urx ...", "ury ..." give each
# coordinate's range.
# Full-width: per coordinate "COORD TAIL_LO BAND_LO MEDIAN BAND_HI TAIL_HI".
# The default CIDs, taken in ascending order, cycle through twenty slots per
# coordinate: 3 in the lower tail, 6 in the band below the median, 2 on the
# median, 6 in the band above and 3 in the upper tail. Each coordinate walks
# the slots with its own step, so that every run of twenty CIDs fills each
# slot once: the median and the quartiles then follow by construction.


def mix(cid, salt):
    """A deterministic spread of the CID: 32-bit multiplicative hashing."""
    x = (cid * 2654435761 + salt * 40503 + 12345) & 0xFFFFFFFF
    x ^= x >> 15
    x = (x * 2246822519) & 0xFFFFFFFF
    x ^= x >> 13
    return x


def pick(cid, salt, lo, hi):
    return lo + mix(cid, salt) % (hi - lo + 1)


SLOTS = ["tail_lo"] * 3 + ["band_lo"] * 6 + ["median"] * 2 + ["band_hi"] * 6 + ["tail_hi"] * 3
SLOT_STEPS = {"llx": 1, "lly": 7, "urx": 3, "ury": 9}
SLOT_SHIFTS = {"llx": 0, "lly": 5, "urx": 10, "ury": 15}


def full_width_value(coord, params, cid, index):
    tail_lo, band_lo, median, band_hi, tail_hi = params[coord]
    slot = SLOTS[(index * SLOT_STEPS[coord] + SLOT_SHIFTS[coord]) % len(SLOTS)]
    salt = 10 + COORDS.index(coord)
    if slot == "tail_lo":
        return pick(cid, salt, tail_lo, band_lo - 1)
    if slot == "band_lo":
        return pick(cid, salt, band_lo, median - 1)
    if slot == "median":
        return median
    if slot == "band_hi":
        return pick(cid, salt, median + 1, band_hi)
    return pick(cid, salt, band_hi + 1, tail_hi)


def default_box(font, cls, cid, wx, index):
    p = font.defaults.get(cls)
    if p is None:
        raise Refusal(font.stem, f"no default parameters for class {cls}")
    if cls == "proportional":
        percent, jitter = p["inset"]
        inset = (wx * percent + 50) // 100
        llx = inset + pick(cid, 1, -jitter, jitter)
        urx = wx - inset + pick(cid, 2, -jitter, jitter)
        return (llx, pick(cid, 3, *p["bottom"]), urx, pick(cid, 4, *p["top"]))
    if cls == "half-width":
        return tuple(pick(cid, 5 + i, *p[c]) for i, c in enumerate(COORDS))
    return tuple(full_width_value(c, p, cid, index) for c in COORDS)


def synthesise(font, widths):
    boxes = [None] * CID_COUNT
    for cid, (box, _, _) in font.pins.items():
        boxes[cid] = box
    for where, pairs, mapping in font.mirrors:
        for target, source in pairs:
            src = boxes[source]
            if src is None:
                font.fail(source, "mirror", f"source has no stated or chosen box ({where})")
                continue
            if src[0] not in mapping or src[2] not in mapping:
                font.fail(source, "mirror", f"x edges {src[0]} {src[2]} have no counterpart")
                continue
            box = (mapping[src[0]], src[1], mapping[src[2]], src[3])
            if boxes[target] is not None and boxes[target] != box:
                font.fail(target, "mirror", f"box {show(boxes[target])} differs from "
                          f"{show(box)}, the box of {source} mapped ({where})")
            boxes[target] = box
    class_of = {}
    for name, cids in font.classes.items():
        for cid in cids:
            class_of[cid] = name
    index = {}
    for cid in range(CID_COUNT):
        if boxes[cid] is None:
            cls = class_of.get(cid)
            if cls is None:
                raise Refusal(font.stem, f"CID {cid} is in no class")
            index[cls] = index.get(cls, -1) + 1
            boxes[cid] = default_box(font, cls, cid, widths[cid], index[cls])
    return boxes


# ---------------------------------------------------------------------------
# Rules


def inked(box):
    return box != (0, 0, 0, 0)


def check(font, widths, boxes):
    fail = font.fail
    bbox = font.header.get("FontBBox")
    for key in HEADER_STRINGS + HEADER_NUMBERS + ("FontBBox",):
        if key not in font.header:
            fail(None, "header", f"no {key}")
    if font.header.get("Characters") != CID_COUNT:
        fail(None, "header", f"Characters must be {CID_COUNT}")
    if bbox and (font.header.get("CapHeight") != bbox[3] or font.header.get("Ascender") != bbox[3]
                 or font.header.get("Descender") != bbox[1]):
        fail(None, "header", "CapHeight and Ascender must be the FontBBox top, Descender its "
             "bottom")
    for key in HEADER_NUMBERS[1:] + ("FontBBox",):
        values = font.header.get(key, ())
        if not all(-32768 <= v <= 32767 for v in (values if key == "FontBBox" else (values,))):
            fail(None, "header", f"{key} does not fit 16 bits")
    if not all(-32768 <= w <= 32767 for w in widths):
        fail(None, "header", "a width does not fit 16 bits")
    all_classed = sorted(c for cids in font.classes.values() for c in cids)
    if all_classed != list(range(CID_COUNT)):
        fail(None, "class", "the classes must hold every CID once")

    for cid, box in enumerate(boxes):
        if box[0] > box[2] or box[1] > box[3]:
            fail(cid, "order", f"box {show(box)} is not ordered")
        elif inked(box) and (box[0] == box[2] or box[1] == box[3]):
            fail(cid, "order", f"box {show(box)} has no width or no height")
        if not all(-32768 <= v <= 32767 for v in box):
            fail(cid, "order", f"box {show(box)} does not fit 16 bits")

    def exactly(rule, have, stated, what):
        for cid in sorted(have - stated):
            fail(cid, rule, f"{what}: box {show(boxes[cid])}, not stated")
        for cid in sorted(stated - have):
            fail(cid, rule, f"not {what}: box {show(boxes[cid])}")

    ink = [c for c in range(CID_COUNT) if inked(boxes[c])]
    for kind, where, body in font.rules:
        if kind == "empty":
            exactly("empty", {c for c in range(CID_COUNT) if not inked(boxes[c])},
                    set(parse_cids(where, body.lstrip(":"))), "empty")
        elif kind == "union":
            union = (min(boxes[c][0] for c in ink), min(boxes[c][1] for c in ink),
                     max(boxes[c][2] for c in ink), max(boxes[c][3] for c in ink))
            if union != bbox:
                fail(None, "union", f"the boxes span {show(union)}, the FontBBox is "
                     f"{show(bbox)}")
                for c in ink:
                    b = boxes[c]
                    if b[0] < bbox[0] or b[1] < bbox[1] or b[2] > bbox[2] or b[3] > bbox[3]:
                        fail(c, "union", f"box {show(b)} leaves the FontBBox")
        elif kind == "holders":
            m = re.fullmatch(r"(llx|lly|urx|ury) (-?\d+):\s*(.*)", body)
            if not m:
                raise Refusal(where, f"not a holders rule: {body!r}")
            i, value = COORDS.index(m.group(1)), int(m.group(2))
            exactly("holders", {c for c in ink if boxes[c][i] == value},
                    set(parse_cids(where, m.group(3))), f"{m.group(1)} {value}")
        elif kind == "range":
            cids_text, _, bounds = body.partition(":")
            cids = [c for c in parse_cids(where, cids_text) if inked(boxes[c])]
            for part in bounds.split(","):
                coord, lo, hi = part.split()
                i, lo, hi = COORDS.index(coord), to_int(where, lo), to_int(where, hi)
                values = [boxes[c][i] for c in cids]
                for c in cids:
                    if not lo <= boxes[c][i] <= hi:
                        fail(c, "range", f"{coord} of {show(boxes[c])} outside {lo} to {hi} "
                             f"({where})")
                if lo not in values or hi not in values:
                    fail(None, "range", f"{coord} bounds {lo} and {hi} not both reached: "
                         f"{min(values)} to {max(values)} ({where})")
        elif kind == "within":
            m = re.fullmatch(r"(x|y) (.*?)(?: except (.*?))?:\s*(-?\d+) (-?\d+)", body)
            if not m:
                raise Refusal(where, f"not a within rule: {body!r}")
            lo_i, hi_i = (0, 2) if m.group(1) == "x" else (1, 3)
            skip = set(parse_cids(where, m.group(3))) if m.group(3) else set()
            lo, hi = int(m.group(4)), int(m.group(5))
            for c in parse_cids(where, m.group(2)):
                b = boxes[c]
                if c not in skip and inked(b) and (b[lo_i] < lo or b[hi_i] > hi):
                    fail(c, "within", f"box {show(b)} leaves {m.group(1)} {lo} to {hi}")
        elif kind == "quartiles":
            cids_text, _, spec = body.partition(":")
            cids = [c for c in parse_cids(where, cids_text) if inked(boxes[c])]
            parts = [p.split() for p in spec.split(",")]
            n = len(cids)
            if parts[0] != ["count", str(n)]:
                fail(None, "quartiles", f"{n} inked boxes, stated {' '.join(parts[0])}")
            if n % 2 == 0 or n < 4:
                fail(None, "quartiles", f"{n} inked boxes: no single median")
                continue
            for coord, low, median, high in parts[1:]:
                values = sorted(boxes[c][COORDS.index(coord)] for c in cids)
                low, median, high = int(low), int(median), int(high)
                # Ranks counted from 1: the median at (n + 1) / 2, the
                # quartiles at (n + 1) / 4 and 3 (n + 1) / 4.
                q1, mid, q3 = values[(n + 1) // 4 - 1], values[(n + 1) // 2 - 1], \
                    values[3 * (n + 1) // 4 - 1]
                if mid != median:
                    fail(None, "quartiles", f"{coord} median {mid}, stated {median}")
                if not (low <= q1 <= high and low <= q3 <= high):
                    fail(None, "quartiles", f"{coord} quartiles {q1} and {q3} outside {low} to "
                         f"{high}")
        elif kind == "shared":
            box, cids = body
            exactly("shared", {c for c in range(CID_COUNT) if boxes[c] == box}, cids,
                    f"box {show(box)}")
        elif kind == "series":
            for c, box in body.items():
                if boxes[c] != box:
                    fail(c, "series", f"box {show(boxes[c])}, the series gives {show(box)}")
        elif kind == "overhang":
            m = re.fullmatch(r"(left|right|both) (\d+):\s*(.*)", body)
            if not m:
                raise Refusal(where, f"not an overhang rule: {body!r}")
            stated = set(parse_cids(where, m.group(3)))
            if len(stated) != int(m.group(2)):
                fail(None, "overhang", f"{m.group(1)}: {len(stated)} CIDs listed, stated "
                     f"{m.group(2)}")
            left = {c for c in ink if boxes[c][0] < 0}
            right = {c for c in ink if boxes[c][2] > widths[c]}
            have = {"left": left, "right": right, "both": left & right}[m.group(1)]
            exactly("overhang", have, stated, f"overhang {m.group(1)}")
        elif kind == "below":
            exactly("below", {c for c in ink if boxes[c][3] <= 0},
                    set(parse_cids(where, body.lstrip(":"))), "wholly below the baseline")
        elif kind == "edges":
            m = re.fullmatch(r"(\d+-\d+):\s*x ([-\d ]+), y ([-\d ]+)", body)
            if not m:
                raise Refusal(where, f"not an edges rule: {body!r}")
            xs = {int(v) for v in m.group(2).split()}
            ys = {int(v) for v in m.group(3).split()}
            for c in parse_cids(where, m.group(1)):
                b = boxes[c]
                if b[0] not in xs or b[2] not in xs or b[1] not in ys or b[3] not in ys:
                    fail(c, "edges", f"box {show(b)} has an edge outside the series' edges")
        elif kind == "mirror":
            pairs, mapping = body
            for target, source in pairs:
                s = boxes[source]
                want = (mapping.get(s[0]), s[1], mapping.get(s[2]), s[3])
                if boxes[target] != want:
                    fail(target, "mirror", f"box {show(boxes[target])}, the box of {source} "
                         f"mapped is {show(want)}")
        elif kind == "row":
            cid, wx, box, overhang = body
            if widths[cid] != wx:
                fail(cid, "row", f"width {widths[cid]}, the row states {wx} ({where})")
            if boxes[cid] != box:
                fail(cid, "row", f"box {show(boxes[cid])}, the row states {show(box)}")
            if overhang is not None:
                past = box[2] - wx
                stated = None if overhang == "none" else to_int(where, overhang)
                if (past if past > 0 else None) != stated:
                    fail(cid, "row", f"urx - WX is {past}, the row states {overhang}")


# ---------------------------------------------------------------------------
# Output


def cxx_string(text):
    if not re.fullmatch(r"[\x20-\x7e]*", text) or '"' in text or "\\" in text:
        raise Refusal("header", f"string needs escaping: {text!r}")
    return f'"{text}"'


def emit_font(out, cname, font, widths, boxes):
    h = font.header
    runs = width_runs(widths)
    out.append(f"// {h['FontName']}: {len(runs)} width runs, {CID_COUNT} boxes.")
    out.append(f"constexpr CIDWidthRun k{cname}Widths[] = {{")
    for first, last, w in runs:
        out.append(f"    {{{first}, {last}, {w}}},")
    out.append("};")
    out.append(f"constexpr int16_t k{cname}Boxes[{CID_COUNT}][4] = {{")
    per_line = 4
    for start in range(0, CID_COUNT, per_line):
        items = ", ".join("{" + ", ".join(str(v) for v in boxes[c]) + "}"
                          for c in range(start, min(start + per_line, CID_COUNT)))
        out.append(f"    {items},  // {start}")
    out.append("};")
    out.append("")


def emit_table(out, cname, font, widths):
    h = font.header
    bbox = ", ".join(str(v) for v in h["FontBBox"])
    out.append(f"extern const CIDMetricTable k{cname}Table = {{")
    out.append(f"    {cxx_string(h['FontName'])},")
    out.append(f"    {cxx_string(h['Weight'])},")
    out.append(f"    {{{bbox}}},")
    out.append(f"    {cxx_string(h['Version'])},")
    out.append(f"    {cxx_string(h['CharacterSet'])},")
    out.append(f"    {h['Characters']},")
    for key in HEADER_NUMBERS[1:]:
        out.append(f"    {h[key]},  // {key}")
    out.append(f"    k{cname}Widths,")
    out.append(f"    {len(width_runs(widths))},")
    out.append(f"    k{cname}Boxes,")
    out.append("};")


def generate(data_dir):
    failures = []
    results = []
    for stem, cname in FONTS:
        font = Font(stem)
        try:
            widths = read_widths(os.path.join(data_dir, f"{stem}-widths.txt"), failures)
            read_boxes(font, os.path.join(data_dir, f"{stem}-boxes.txt"), choices=False)
            read_boxes(font, os.path.join(data_dir, f"{stem}-choices.txt"), choices=True)
            boxes = synthesise(font, widths)
            check(font, widths, boxes)
        except Refusal as refusal:
            font.failures.append(f"{stem}: {refusal}")
        except OSError as error:
            font.failures.append(f"{stem}: rule input: {error}")
        except (ValueError, KeyError, IndexError) as error:
            # A line of the right kind with the wrong parts (a missing bound,
            # an unknown coordinate, a class with no inked box).
            font.failures.append(f"{stem}: rule syntax: {error!r}")
        failures.extend(font.failures)
        if not font.failures:
            results.append((cname, font, widths, boxes))
    if failures:
        return None, failures

    out = [
        "// Generated by tools/metrics/gen_cid_metrics.py from tools/metrics/data/heisei*.txt.",
        "// Do not edit: change the data and run the generator again.",
        "// clang-format off",
        '#include "pdf/metrics/CIDMetrics.h"',
        "",
        "namespace {",
        "",
    ]
    for cname, font, widths, boxes in results:
        emit_font(out, cname, font, widths, boxes)
    out.append("}  // namespace")
    for cname, font, widths, _ in results:
        out.append("")
        emit_table(out, cname, font, widths)
    return "\n".join(out) + "\n", []


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--data", default=DEFAULT_DATA, help="folder of the data files")
    parser.add_argument("--output", default=DEFAULT_OUTPUT, help="the generated C++ file")
    parser.add_argument("--check", action="store_true",
                        help="compare with the output file instead of writing it")
    args = parser.parse_args()

    text, failures = generate(args.data)
    if failures:
        for line in failures:
            print(line, file=sys.stderr)
        print(f"refused: {len(failures)} rule failure(s); nothing written", file=sys.stderr)
        return 2
    data = text.encode("ascii")
    if args.check:
        try:
            with open(args.output, "rb") as f:
                committed = f.read()
        except OSError as error:
            print(f"cannot read {args.output}: {error}", file=sys.stderr)
            return 1
        if committed != data:
            print(f"{args.output} differs from what the data generate; run "
                  f"{os.path.relpath(__file__, ROOT)}", file=sys.stderr)
            return 1
        return 0
    os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
    with open(args.output, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())

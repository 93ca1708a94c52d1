#!/usr/bin/env python3
"""Writes pdf/metrics/generated/StandardFontTables.cpp, the built-in metrics
of the fourteen standard fonts.

Inputs:
  afm/*.afm, afm/MustRead.html   the fonts' AFM files with their licence;
                                  only the C, WX, N and B items of the
                                  char-metric lines are read
  data/standard-headers.txt       every header value
  data/latin-glyphs.txt           names, codes and order of the Latin rows
  data/symbol-glyphs.txt          ... of the Symbol rows
  data/zapfdingbats-glyphs.txt    ... of the ZapfDingbats rows
  data/latin-width-classes.txt    width classes of the Latin fonts
  data/standard-rules.txt         changes to the AFM data and the rules the
                                  tables must meet

Every rule is checked before anything is written; when one fails, the
generator writes nothing, prints one line per failure ("font: glyph: rule:
what is wrong") and exits with status 2. With --check it writes nothing
either and exits with 1 when the tables it would write differ from the file
in the tree. When Debian's enscript is installed, the ZapfDingbats rows are
also compared with its zd.afm (version 001.004 of the font).

Standard library only; run it from anywhere.
"""

import argparse
import inspect
import math
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
OUTPUT = os.path.join(ROOT, "pdf", "metrics", "generated", "StandardFontTables.cpp")
OLDER_ZAPFDINGBATS = "/usr/share/enscript/afm/zd.afm"

# The glyph list of each font; the fonts not named here use the Latin list.
GLYPH_LISTS = {"Symbol": "symbol-glyphs.txt", "ZapfDingbats": "zapfdingbats-glyphs.txt"}
LATIN_LIST = "latin-glyphs.txt"
# The columns of latin-width-classes.txt, with the fonts that share each.
WIDTH_CLASS_COLUMNS = [
    ("Helvetica", "Helvetica-Oblique"),
    ("Helvetica-Bold", "Helvetica-BoldOblique"),
    ("Times-Roman",),
    ("Times-Bold",),
    ("Times-Italic",),
    ("Times-BoldItalic",),
]
# The numbers of a header, in the order of the record's fields; bit i of the
# generated mask says that numbers[i] is set, bit 9 that IsFixedPitch is.
NUMBER_FIELDS = [
    "CapHeight", "XHeight", "Ascender", "Descender", "StdHW", "StdVW",
    "UnderlinePosition", "UnderlineThickness", "ItalicAngle",
]
FIXED_PITCH_BIT = 1 << len(NUMBER_FIELDS)
FIELDS = {"WX": 0, "llx": 1, "lly": 2, "urx": 3, "ury": 4}
EXIT_REFUSED = 2


class InputError(Exception):
    """A data or AFM file that cannot be read as such."""


class Glyph:
    __slots__ = ("name", "code", "wx", "box")

    def __init__(self, name, code, wx, box):
        self.name = name
        self.code = code
        self.wx = wx
        self.box = list(box)

    def value(self, field):
        if field == "WX":
            return self.wx
        if field == "rsb":
            return self.wx - self.box[2]
        return self.box[FIELDS[field] - 1]


class Font:
    def __init__(self, header):
        self.header = header
        self.name = header["FontName"]
        self.rows = []  # Glyph, in table order
        self.by_name = {}

    def glyph(self, name):
        return self.by_name.get(name)


# --- Reading -----------------------------------------------------------------


def data_lines(path):
    """(line number, text) of every line that is neither blank nor a comment."""
    try:
        with open(path, encoding="ascii") as f:
            for number, line in enumerate(f, 1):
                line = line.strip()
                if line and not line.startswith("#"):
                    yield number, line
    except (OSError, UnicodeDecodeError) as e:
        raise InputError(f"{path}: {e}")


def to_int(text, where):
    if not re.fullmatch(r"-?\d+", text):
        raise InputError(f"{where}: not a whole number: {text!r}")
    value = int(text)
    if not -32768 <= value <= 32767:
        raise InputError(f"{where}: out of the 16-bit range: {value}")
    return value


def read_headers(path):
    headers = []
    for number, line in data_lines(path):
        where = f"{path}:{number}"
        parts = [p.strip() for p in line.split("|")]
        if len(parts) != 10:
            raise InputError(f"{where}: expected 10 fields separated by '|'")
        bbox = [to_int(v, where) for v in parts[4].split()]
        numbers = [None if v == "-" else to_int(v, where) for v in parts[7].split()]
        rows = [to_int(v, where) for v in parts[9].split()]
        if len(bbox) != 4 or len(numbers) != len(NUMBER_FIELDS) or len(rows) != 2:
            raise InputError(f"{where}: wrong number of values")
        if parts[8] not in ("true", "-"):
            raise InputError(f"{where}: IsFixedPitch is 'true' or '-'")
        for p in parts[:4] + parts[5:7]:
            if not p or '"' in p or "\\" in p:
                raise InputError(f"{where}: bad string {p!r}")
        headers.append({
            "FontName": parts[0], "FullName": parts[1], "FamilyName": parts[2],
            "Weight": parts[3], "FontBBox": bbox, "Version": parts[5],
            "EncodingScheme": parts[6], "numbers": numbers,
            "IsFixedPitch": parts[8] == "true", "rows": rows,
        })
    return headers


def read_glyph_list(path):
    rows = []
    for number, line in data_lines(path):
        parts = line.split()
        if len(parts) != 2 or not re.fullmatch(r"[A-Za-z][A-Za-z0-9_.]*", parts[1]):
            raise InputError(f"{path}:{number}: expected 'code name'")
        rows.append((to_int(parts[0], f"{path}:{number}"), parts[1]))
    return rows


def read_afm(path):
    """The char metrics of an AFM file as {name: (code, wx, box)}, in file
    order, and its copyright comment."""
    glyphs = {}
    copyright_line = None
    try:
        with open(path, encoding="latin-1") as f:
            lines = f.read().splitlines()
    except OSError as e:
        raise InputError(f"{path}: {e}")
    in_metrics = False
    for number, line in enumerate(lines, 1):
        if line.startswith("Comment Copyright") and copyright_line is None:
            copyright_line = line[len("Comment "):].strip()
        if line.startswith("StartCharMetrics"):
            in_metrics = True
            continue
        if line.startswith("EndCharMetrics"):
            in_metrics = False
            continue
        if not in_metrics:
            continue
        items = {}
        for item in line.split(";"):
            words = item.split()
            if words and words[0] in ("C", "WX", "N", "B"):
                items[words[0]] = words[1:]
        where = f"{path}:{number}"
        try:
            code = int(items["C"][0])
            wx = int(items["WX"][0])
            name = items["N"][0]
            box = [int(v) for v in items["B"]]
        except (KeyError, IndexError, ValueError):
            raise InputError(f"{where}: a char-metric line without C, WX, N and B")
        if len(box) != 4 or name in glyphs:
            raise InputError(f"{where}: bad box or repeated name {name}")
        glyphs[name] = (code, wx, box)
    if not glyphs:
        raise InputError(f"{path}: no char metrics")
    return glyphs, copyright_line


def read_licence(path):
    """The licence paragraph of MustRead.html as plain text."""
    try:
        with open(path, encoding="latin-1") as f:
            html = f.read()
    except OSError as e:
        raise InputError(f"{path}: {e}")
    match = re.search(r"(This file and the 14 .*?)<font", html, re.S)
    if not match:
        raise InputError(f"{path}: no licence paragraph")
    return " ".join(match.group(1).split())


def read_width_classes(path):
    classes = []
    for number, line in data_lines(path):
        widths, _, names = line.partition(":")
        widths = [to_int(v, f"{path}:{number}") for v in widths.split()]
        names = names.split()
        if len(widths) != len(WIDTH_CLASS_COLUMNS) or not names:
            raise InputError(f"{path}:{number}: expected six widths, ':', glyph names")
        classes.append((widths, names))
    return classes


def read_rules(path):
    return [(f"{os.path.basename(path)}:{number}", line.split())
            for number, line in data_lines(path)]


# --- Building ----------------------------------------------------------------


class Generator:
    def __init__(self, afm_dir, data_dir, older_zapfdingbats):
        self.afm_dir = afm_dir
        self.data_dir = data_dir
        self.older_zapfdingbats = older_zapfdingbats
        self.errors = []
        self.notes = []
        self.groups_checked = set()  # fonts whose box groups were checked whole

    def fail(self, font, glyph, rule, text):
        self.errors.append(f"{font}: {glyph}: {rule}: {text}")

    def data(self, name):
        return os.path.join(self.data_dir, name)

    def load(self):
        self.headers = read_headers(self.data("standard-headers.txt"))
        self.lists = {LATIN_LIST: read_glyph_list(self.data(LATIN_LIST))}
        for name in GLYPH_LISTS.values():
            self.lists[name] = read_glyph_list(self.data(name))
        self.width_classes = read_width_classes(self.data("latin-width-classes.txt"))
        self.rules = read_rules(self.data("standard-rules.txt"))
        self.licence = read_licence(os.path.join(self.afm_dir, "MustRead.html"))
        self.afms = {}
        self.copyrights = []
        for header in self.headers:
            name = header["FontName"]
            glyphs, line = read_afm(os.path.join(self.afm_dir, name + ".afm"))
            self.afms[name] = glyphs
            self.copyrights.append((name, line or "(no copyright line)"))

    def font_set(self, text, where):
        if text == "latin":
            return [f for f in self.fonts.values() if f.list_name == LATIN_LIST]
        fonts = []
        for name in text.split(","):
            if name not in self.fonts:
                raise InputError(f"{where}: unknown font {name}")
            fonts.append(self.fonts[name])
        return fonts

    def rules_of(self, kind):
        for where, words in self.rules:
            if words[0] == kind:
                yield where, words[1:]

    def build(self):
        """The rows of every font: names and codes from the lists, WX and B
        from the AFM files, with the changes of the rules file."""
        dropped = {}
        for where, args in self.rules_of("afm-codes-dropped"):
            dropped[args[0]] = parse_range(args[1], where)
        replaced = {}
        for where, args in self.rules_of("replace-box"):
            if len(args) != 6:
                raise InputError(f"{where}: replace-box FONT GLYPH llx lly urx ury")
            replaced[(args[0], args[1])] = [to_int(v, where) for v in args[2:]]

        self.fonts = {}
        for header in self.headers:
            font = Font(header)
            font.list_name = GLYPH_LISTS.get(font.name, LATIN_LIST)
            afm = self.afms[font.name]
            for code, name in self.lists[font.list_name]:
                if name not in afm:
                    self.fail(font.name, name, "glyph set", "not in the AFM file")
                    continue
                afm_code, wx, box = afm[name]
                if code != -1 and afm_code != code:
                    self.fail(font.name, name, "encoding",
                              f"listed with code {code}, the AFM gives {afm_code}")
                if code == -1 and afm_code != -1:
                    low, high = dropped.get(font.name, (0, -1))
                    if not low <= afm_code <= high:
                        self.fail(font.name, name, "encoding",
                                  f"listed unencoded, the AFM gives code {afm_code}")
                box = replaced.pop((font.name, name), box)
                glyph = Glyph(name, code, wx, box)
                if name in font.by_name:
                    self.fail(font.name, name, "glyph set", "listed twice")
                    continue
                font.rows.append(glyph)
                font.by_name[name] = glyph
            self.fonts[font.name] = font
        for (font, name) in replaced:
            self.fail(font, name, "replace-box", "no such row")
        for font in self.fonts.values():
            for value in list(font.header["FontBBox"]) + [g.wx for g in font.rows] + \
                    [v for g in font.rows for v in g.box]:
                if not -32768 <= value <= 32767:
                    self.fail(font.name, "*", "range", f"{value} does not fit 16 bits")

    # --- Rules ----------------------------------------------------------------

    def check(self):
        for font in self.fonts.values():
            self.check_table(font)
        self.check_width_classes()
        for where, words in self.rules:
            kind, args = words[0], words[1:]
            method = getattr(self, "rule_" + kind.replace("-", "_"), None)
            if method is None:
                raise InputError(f"{where}: unknown rule {kind}")
            try:
                inspect.signature(method).bind(where, *args)
            except TypeError:
                raise InputError(f"{where}: wrong number of values for {kind}")
            method(where, *args)
        self.compare_older_zapfdingbats()

    def check_table(self, font):
        """What holds in every table."""
        encoded = [g for g in font.rows if g.code != -1]
        unencoded = [g for g in font.rows if g.code == -1]
        want = font.header["rows"]
        if [len(encoded), len(unencoded)] != want:
            self.fail(font.name, "*", "glyph set",
                      f"{len(encoded)} + {len(unencoded)} rows, expected {want[0]} + {want[1]}")
        if font.rows[len(encoded):] != unencoded:
            self.fail(font.name, "*", "encoding", "an encoded row after an unencoded one")
        for before, after in zip(encoded, encoded[1:]):
            if after.code <= before.code:
                self.fail(font.name, after.name, "encoding",
                          f"code {after.code} does not ascend after {before.code}")
        for g in encoded:
            if not 0 <= g.code <= 255:
                self.fail(font.name, g.name, "encoding", f"code {g.code} is not a byte")
        if not font.rows or font.rows[0].name != "space" or font.rows[0].code != 32 \
                or font.rows[0].box != [0, 0, 0, 0]:
            self.fail(font.name, "space", "first row", "is not space, 32, box 0 0 0 0")
        allowed = set()
        for where, args in self.rules_of("zero-box"):
            if len(args) != 2:
                raise InputError(f"{where}: zero-box FONTS GLYPHS")
            if font in self.font_set(args[0], where):
                allowed.update(args[1].split(","))
        for g in font.rows[1:]:
            if g.box == [0, 0, 0, 0] and g.name not in allowed:
                self.fail(font.name, g.name, "zero box",
                          "only space and the zero-box glyphs have the box 0 0 0 0")
        for name in sorted(allowed):
            g = font.glyph(name)
            if g is None or g.box != [0, 0, 0, 0]:
                self.fail(font.name, name, "zero box", "listed but has no such row or box")
        # The FontBBox is the union of the glyph boxes.
        if font.rows:
            union = [min(g.box[0] for g in font.rows), min(g.box[1] for g in font.rows),
                     max(g.box[2] for g in font.rows), max(g.box[3] for g in font.rows)]
            if union != font.header["FontBBox"]:
                self.fail(font.name, "*", "union",
                          f"FontBBox {fmt(font.header['FontBBox'])} is not the union of "
                          f"the glyph boxes, {fmt(union)}")

    def check_width_classes(self):
        for widths, names in self.width_classes:
            for width, column in zip(widths, WIDTH_CLASS_COLUMNS):
                for font_name in column:
                    self.expect_widths(self.fonts[font_name], names, width, "width class")

    def expect_widths(self, font, names, width, rule):
        for name in names:
            g = self.need(font, name, rule)
            if g and g.wx != width:
                self.fail(font.name, name, rule, f"WX {g.wx}, expected {width}")

    def need(self, font, name, rule):
        g = font.glyph(name)
        if g is None:
            self.fail(font.name, name, rule, "no such glyph")
        return g

    def rule_afm_codes_dropped(self, where, font, codes):
        pass  # applied while building

    def rule_replace_box(self, where, *args):
        pass  # applied while building

    def rule_zero_box(self, where, fonts, names):
        pass  # checked with each table

    def rule_excluded(self, where, fonts, names):
        for font in self.font_set(fonts, where):
            for name in names.split(","):
                if font.glyph(name):
                    self.fail(font.name, name, "glyph set", "must not have a row")

    def rule_codes(self, where, fonts, *ranges):
        want = set()
        for text in ranges:
            low, high = parse_range(text, where)
            want.update(range(low, high + 1))
        for font in self.font_set(fonts, where):
            have = {g.code: g.name for g in font.rows if g.code != -1}
            for code in sorted(set(have) - want):
                self.fail(font.name, have[code], "encoding", f"code {code} is not one of the font's")
            for code in sorted(want - set(have)):
                self.fail(font.name, "*", "encoding", f"no glyph has code {code}")

    def rule_fixed_pitch_width(self, where, fonts, width):
        width = to_int(width, where)
        for font in self.font_set(fonts, where):
            if not font.header["IsFixedPitch"]:
                self.fail(font.name, "*", "fixed pitch", "IsFixedPitch is not set")
            self.expect_widths(font, [g.name for g in font.rows], width, "fixed pitch")
        for font in self.fonts.values():
            if font.header["IsFixedPitch"] and font not in self.font_set(fonts, where):
                self.fail(font.name, "*", "fixed pitch", "IsFixedPitch is set")

    def rule_twin(self, where, slanted, upright, degrees):
        slanted, upright = self.fonts[slanted], self.fonts[upright]
        tangent = math.tan(math.radians(to_int(degrees, where)))
        for s in slanted.rows:
            u = upright.glyph(s.name)
            if u is None:
                self.fail(slanted.name, s.name, "slanted twin", f"not in {upright.name}")
                continue
            problems = []
            if s.wx != u.wx:
                problems.append(f"WX {s.wx} against {u.wx}")
            if s.box[1] != u.box[1] or s.box[3] != u.box[3]:
                problems.append(f"lly/ury {s.box[1]} {s.box[3]} against {u.box[1]} {u.box[3]}")
            if s.box[0] < u.box[0] + u.box[1] * tangent - 1:
                problems.append(f"llx {s.box[0]} left of the slanted {u.box[0]}")
            if s.box[2] > u.box[2] + u.box[3] * tangent + 1:
                problems.append(f"urx {s.box[2]} right of the slanted {u.box[2]}")
            for p in problems:
                self.fail(slanted.name, s.name, "slanted twin", p)

    def rule_twin_kept(self, where, slanted, names):
        slanted = self.fonts[slanted]
        upright = self.twin_of(slanted, where)
        kept = {g.name for g in slanted.rows if upright.glyph(g.name)
                and upright.glyph(g.name).box == g.box}
        listed = set(names.split(","))
        for name in sorted(kept - listed):
            self.fail(slanted.name, name, "slanted twin",
                      f"keeps the upright box {fmt(slanted.glyph(name).box)} of {upright.name}")
        for name in sorted(listed - kept):
            self.fail(slanted.name, name, "slanted twin", f"does not keep the box of {upright.name}")

    def twin_of(self, slanted, where):
        for _, args in self.rules_of("twin"):
            if args[0] == slanted.name:
                return self.fonts[args[1]]
        raise InputError(f"{where}: {slanted.name} has no twin rule")

    def twins(self):
        pairs = set()
        for _, args in self.rules_of("twin"):
            pairs.add(frozenset(args[:2]))
        return pairs

    def rule_widths_differ(self, where, first, second, least):
        a, b = self.fonts[first], self.fonts[second]
        differ = [g.name for g in a.rows if b.glyph(g.name) and b.glyph(g.name).wx != g.wx]
        if len(differ) < to_int(least, where):
            self.fail(f"{first}/{second}", "*", "own widths",
                      f"only {len(differ)} widths differ, expected at least {least}")

    def rule_boxes_shared_at_most(self, where, fonts, most):
        fonts = self.font_set(fonts, where)
        twins = self.twins()
        for i, a in enumerate(fonts):
            for b in fonts[i + 1:]:
                if frozenset((a.name, b.name)) in twins:
                    continue
                # Glyphs without outline data (box 0 0 0 0) have no box to share.
                shared = [g.name for g in a.rows if b.glyph(g.name)
                          and b.glyph(g.name).box == g.box
                          and (g.name == "space" or g.box != [0, 0, 0, 0])]
                if "space" not in shared or len(shared) > to_int(most, where):
                    self.fail(f"{a.name}/{b.name}", ",".join(shared), "own boxes",
                              f"{len(shared)} boxes shared, at most {most} with space")

    def rule_same_width(self, where, fonts, names):
        names = names.split(",")
        for font in self.font_set(fonts, where):
            glyphs = [self.need(font, n, "same width") for n in names]
            if all(glyphs) and len({g.wx for g in glyphs}) != 1:
                self.fail(font.name, ",".join(names), "same width",
                          "widths " + " ".join(str(g.wx) for g in glyphs))

    def rule_accented(self, where, fonts, count, accents):
        accents = accents.split(",")
        exceptions = {}
        for _, args in self.rules_of("accented-base"):
            exceptions[args[1]] = args[2]
        wider = set()
        for at, args in self.rules_of("accented-wider"):
            for font in self.font_set(args[0], at):
                wider.update((font.name, name) for name in args[1].split(","))
        for font in self.font_set(fonts, where):
            found = 0
            for g in font.rows:
                for accent in accents:
                    letter = g.name[:-len(accent)]
                    if g.name.endswith(accent) and letter and font.glyph(letter):
                        found += 1
                        base = font.glyph(exceptions.get(letter, letter))
                        if (font.name, g.name) in wider:
                            if base is not None and g.wx <= base.wx:
                                self.fail(font.name, g.name, "accented letter",
                                          f"WX {g.wx}, not wider than its base {base.wx}")
                        elif base is None or base.wx != g.wx:
                            self.fail(font.name, g.name, "accented letter",
                                      f"WX {g.wx}, its base {base.name if base else '?'} "
                                      f"{base.wx if base else '?'}")
            if found != to_int(count, where):
                self.fail(font.name, "*", "accented letter",
                          f"{found} accented letters, expected {count}")

    def rule_accented_base(self, where, fonts, letter, base):
        pass  # read by rule_accented

    def rule_accented_wider(self, where, fonts, names):
        pass  # read by rule_accented

    def rule_width(self, where, fonts, names, width):
        for font in self.font_set(fonts, where):
            self.expect_widths(font, names.split(","), to_int(width, where), "telling width")

    def rule_box(self, where, fonts, name, *box):
        box = [to_int(v, where) for v in box]
        for font in self.font_set(fonts, where):
            g = self.need(font, name, "telling box")
            if g and g.box != box:
                self.fail(font.name, name, "telling box", f"box {fmt(g.box)}, expected {fmt(box)}")

    def rule_row(self, where, font, code, name, wx, *box):
        font = self.fonts[font]
        g = self.need(font, name, "telling row")
        if not g:
            return
        want = [code, wx] + list(box)
        have = [g.code, g.wx] + g.box
        for w, h in zip(want, have):
            if w != "-" and to_int(w, where) != h:
                self.fail(font.name, name, "telling row",
                          f"{g.code} {g.wx} {fmt(g.box)}, expected {' '.join(want)}")
                break

    def extreme(self, where, fonts, width, names, pick, rule):
        width = to_int(width, where)
        for font in self.font_set(fonts, where):
            value = pick(g.wx for g in font.rows)
            at = sorted(g.name for g in font.rows if g.wx == value)
            if value != width or at != sorted(names.split(",")):
                self.fail(font.name, ",".join(at), rule, f"{value}, expected {width}: {names}")

    def rule_widest(self, where, fonts, width, names):
        self.extreme(where, fonts, width, names, max, "widest")

    def rule_narrowest(self, where, fonts, width, names):
        self.extreme(where, fonts, width, names, min, "narrowest")

    def rule_commonest(self, where, fonts, width, count=None):
        for font in self.font_set(fonts, where):
            counts = width_counts(font)
            top = max(counts.values())
            commonest = [w for w, n in counts.items() if n == top]
            if commonest != [to_int(width, where)] or (count and top != to_int(count, where)):
                self.fail(font.name, "*", "commonest width",
                          f"{commonest} used {top} times, expected {width} {count or ''}")

    def rule_distinct_widths(self, where, font, count, once=None):
        font = self.fonts[font]
        counts = width_counts(font)
        single = sum(1 for n in counts.values() if n == 1)
        if len(counts) != to_int(count, where) or (once and single != to_int(once, where)):
            self.fail(font.name, "*", "distinct widths",
                      f"{len(counts)} widths, {single} used once; expected {count} {once or ''}")

    def rule_class(self, where, font, width, names):
        self.expect_widths(self.fonts[font], names.split(","), to_int(width, where), "width class")

    def rule_classes_cover(self, where, font, count):
        font = self.fonts[font]
        covered = set()
        for _, args in self.rules_of("class"):
            if args[0] == font.name:
                covered.update(args[2].split(","))
        if len(covered) != to_int(count, where):
            self.fail(font.name, "*", "width class", f"classes cover {len(covered)}, not {count}")
        counts = width_counts(font)
        for g in font.rows:
            if g.name not in covered and counts[g.wx] > 2:
                self.fail(font.name, g.name, "width class",
                          f"WX {g.wx} is shared by {counts[g.wx]} glyphs outside the classes")

    def rule_shared_names(self, where, font, others, names):
        font = self.fonts[font]
        other_names = {g.name for f in self.font_set(others, where) for g in f.rows}
        shared = {g.name for g in font.rows} & other_names
        if shared != set(names.split(",")):
            self.fail(font.name, ",".join(sorted(shared ^ set(names.split(",")))),
                      "shared names", "differ from the list")

    def rule_same_width_as(self, where, font, other, names):
        font, other = self.fonts[font], self.fonts[other]
        same = {g.name for g in font.rows if other.glyph(g.name)
                and other.glyph(g.name).wx == g.wx}
        if same != set(names.split(",")):
            self.fail(font.name, ",".join(sorted(same ^ set(names.split(",")))),
                      f"widths of {other.name}", "differ from the list")

    def rule_edge(self, where, fonts, sides, names):
        index = {"left": 0, "bottom": 1, "right": 2, "top": 3}
        for font in self.font_set(fonts, where):
            for side in sides.split(","):
                i = index[side]
                for name in names.split(","):
                    g = self.need(font, name, "union")
                    if g and g.box[i] != font.header["FontBBox"][i]:
                        self.fail(font.name, name, "union",
                                  f"does not reach the {side} edge of the FontBBox")

    def exact_set(self, where, font, names, test, rule):
        font = self.fonts[font]
        have = {g.name for g in font.rows if test(g)}
        want = set() if names == "-" else set(names.split(","))
        for name in sorted(have ^ want):
            self.fail(font.name, name, rule, "listed but not so" if name in want else "not listed")

    def rule_beyond_advance(self, where, font, names):
        self.exact_set(where, font, names, lambda g: g.box[2] > g.wx, "beyond advance")

    def rule_left_of_origin(self, where, font, names):
        self.exact_set(where, font, names, lambda g: g.box[0] < 0, "left of origin")

    def rule_box_group(self, where, font, names, *box):
        font_obj = self.fonts[font]
        glyphs = [self.need(font_obj, n, "box group") for n in names.split(",")]
        if not all(glyphs):
            return
        boxes = {tuple(g.box) for g in glyphs}
        want = tuple(to_int(v, where) for v in box) if box and box != ("-",) else None
        if len(boxes) != 1 or (want and boxes != {want}):
            self.fail(font, names, "box group", f"boxes {sorted(boxes)}")
        # Complete: every box shared within the font is one of the groups.
        if font in self.groups_checked:
            return
        self.groups_checked.add(font)
        listed = {frozenset(args[1].split(",")) for _, args in self.rules_of("box-group")
                  if args[0] == font}
        by_box = {}
        for g in font_obj.rows:
            by_box.setdefault(tuple(g.box), set()).add(g.name)
        for members in by_box.values():
            if len(members) > 1 and frozenset(members) not in listed:
                self.fail(font, ",".join(sorted(members)), "box group", "share a box, not listed")

    def rule_count(self, where, font, field, value, count):
        font = self.fonts[font]
        low, high = parse_range(value, where)
        found = [g.name for g in font.rows if low <= g.value(field) <= high]
        if len(found) != to_int(count, where):
            self.fail(font.name, "*", f"{field} count",
                      f"{len(found)} glyphs with {field} {value}, expected {count}")

    def rule_outliers(self, where, font, field, value, listed):
        font = self.fonts[font]
        low, high = parse_range(value, where)
        want = {}
        for item in listed.split(","):
            name, _, v = item.partition("=")
            want[name] = to_int(v, where)
        have = {g.name: g.value(field) for g in font.rows[1:]
                if not low <= g.value(field) <= high}
        for name in sorted(set(have) | set(want)):
            if have.get(name) != want.get(name):
                self.fail(font.name, name, f"{field} outliers",
                          f"{field} {have.get(name, 'in range')}, expected "
                          f"{want.get(name, 'in range')}")

    def compare_older_zapfdingbats(self):
        path = self.older_zapfdingbats
        if not os.path.exists(path):
            self.notes.append(f"{path} not found (enscript is not installed): "
                              "ZapfDingbats not compared with version 001.004")
            return
        older, _ = read_afm(path)
        font = self.fonts["ZapfDingbats"]
        for g in font.rows:
            o = older.get(g.name)
            if o is None or o[1] != g.wx or o[2] != g.box:
                self.fail(font.name, g.name, "version 001.004",
                          f"{g.wx} {fmt(g.box)} against {o[1] if o else '-'} "
                          f"{fmt(o[2]) if o else '-'}")
        self.notes.append(f"ZapfDingbats compared with {path}")

    # --- Writing -------------------------------------------------------------

    def render(self):
        strings = StringPool()
        out = []
        w = out.append
        w("// Built-in metrics of the fourteen standard fonts. Generated by")
        w("// tools/metrics/gen_standard_metrics.py from the AFM files in tools/metrics/afm/")
        w("// and the lists in tools/metrics/data/; do not edit, run the generator.")
        w("//")
        w("// The metrics come from Adobe's AFM files:")
        for name, line in self.copyrights:
            w(f"//   {name}.afm: {line}")
        w("//")
        for line in wrap(self.licence, 76):
            w("// " + line)
        w("//")
        w("// Changes: subset to the glyphs listed here, reformatted as C++ tables;")
        w("// the box of ZapfDingbats a117 set to 35 138 655 553.")
        w("")
        w('#include "pdf/metrics/StandardMetrics.h"')
        w("")
        w("// clang-format off")
        w("namespace standardmetrics {")
        w("")
        body = []
        b = body.append

        latin_rows = self.lists[LATIN_LIST]
        b(f"static_assert(kLatinGlyphCount == {len(latin_rows)});")
        b(f"static_assert(kStandardFontCount == {len(self.headers)});")
        b("")
        b("// The names and codes of the Latin rows, shared by the twelve text fonts.")
        b(f"constexpr StandardGlyph kLatinGlyphs[kLatinGlyphCount] = {{")
        for code, name in latin_rows:
            b(f"    {{{strings.add(name)}, {code}}},  // {name}")
        b("};")
        b("")
        b("namespace {")
        table_rows = {}
        for font in self.fonts.values():
            ident = "k" + re.sub(r"[^A-Za-z0-9]", "", font.name)
            if font.list_name == LATIN_LIST:
                b("")
                b(f"constexpr StandardGlyphMetrics {ident}Metrics[kLatinGlyphCount] = {{")
                for g in font.rows:
                    b(f"    {{{g.wx}, {g.box[0]}, {g.box[1]}, {g.box[2]}, {g.box[3]}}},"
                      f"  // {g.name}")
                b("};")
                table_rows[font.name] = (f"kLatinGlyphCount, kLatinGlyphs, {ident}Metrics, "
                                         "nullptr")
            else:
                b("")
                b(f"constexpr StandardSymbolicRow {ident}Rows[] = {{")
                for g in font.rows:
                    b(f"    {{{{{strings.add(g.name)}, {g.code}}}, {{{g.wx}, {g.box[0]}, "
                      f"{g.box[1]}, {g.box[2]}, {g.box[3]}}}}},  // {g.name}")
                b("};")
                table_rows[font.name] = (f"{len(font.rows)}, nullptr, nullptr, {ident}Rows")
        b("")
        b("}  // namespace")
        b("")
        b("// In the order of the StandardFont enumeration.")
        b("constexpr StandardFontTable kStandardFontTables[kStandardFontCount] = {")
        for font in self.fonts.values():
            h = font.header
            mask = sum(1 << i for i, v in enumerate(h["numbers"]) if v is not None)
            if h["IsFixedPitch"]:
                mask |= FIXED_PITCH_BIT
            numbers = ", ".join(str(v if v is not None else 0) for v in h["numbers"])
            strs = [strings.add(h[k]) for k in ("FontName", "FullName", "FamilyName", "Weight")]
            b(f"    // {font.name}")
            b(f"    {{{{{strs[0]}, {strs[1]}, {strs[2]}, {strs[3]}, "
              f"{{{', '.join(map(str, h['FontBBox']))}}}, {strings.add(h['Version'])}, "
              f"{strings.add(h['EncodingScheme'])}, {{{numbers}}}, 0x{mask:03x}}},")
            b(f"     {table_rows[font.name]}}},")
        b("};")
        b("")
        b("}  // namespace standardmetrics")
        b("// clang-format on")

        w("// Every name and header string, each ended by a NUL; the tables hold offsets.")
        w("constexpr char kStandardFontStrings[] =")
        for offset, text in strings.entries:
            w(f'    "{text}\\0"  // {offset}')
        w("    ;")
        w(f"static_assert(sizeof(kStandardFontStrings) == {strings.size + 1});")
        w("")
        return "\n".join(out + body) + "\n"


class StringPool:
    def __init__(self):
        self.entries = []
        self.offsets = {}
        self.size = 0

    def add(self, text):
        if text not in self.offsets:
            if self.size + len(text) + 1 > 0xFFFF:
                raise InputError("the strings exceed 64 KB")
            self.offsets[text] = self.size
            self.entries.append((self.size, text))
            self.size += len(text) + 1
        return self.offsets[text]


def parse_range(text, where):
    match = re.fullmatch(r"(-?\d+)(?:-(-?\d+))?", text)
    if not match:
        raise InputError(f"{where}: not a number or range: {text}")
    low = int(match.group(1))
    high = int(match.group(2)) if match.group(2) is not None else low
    return low, high


def width_counts(font):
    counts = {}
    for g in font.rows:
        counts[g.wx] = counts.get(g.wx, 0) + 1
    return counts


def fmt(box):
    return " ".join(str(v) for v in box)


def wrap(text, width):
    lines, line = [], ""
    for word in text.split():
        if line and len(line) + 1 + len(word) > width:
            lines.append(line)
            line = word
        else:
            line = f"{line} {word}" if line else word
    if line:
        lines.append(line)
    return lines


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--check", action="store_true",
                        help="write nothing; exit 1 when the file in the tree differs")
    parser.add_argument("--afm", default=os.path.join(HERE, "afm"), help="folder of the AFM files")
    parser.add_argument("--data", default=os.path.join(HERE, "data"), help="folder of the lists")
    parser.add_argument("--output", default=OUTPUT, help="the file to write or check")
    parser.add_argument("--zapfdingbats-001004", default=OLDER_ZAPFDINGBATS,
                        dest="older", help="version 001.004 of ZapfDingbats.afm, when present")
    args = parser.parse_args(argv)

    generator = Generator(args.afm, args.data, args.older)
    try:
        generator.load()
        generator.build()
        generator.check()
    except InputError as e:
        print(f"gen_standard_metrics: {e}", file=sys.stderr)
        return EXIT_REFUSED
    for note in generator.notes:
        print(f"gen_standard_metrics: {note}", file=sys.stderr)
    if generator.errors:
        for line in generator.errors:
            print(line, file=sys.stderr)
        print(f"gen_standard_metrics: {len(generator.errors)} broken rules; nothing written",
              file=sys.stderr)
        return EXIT_REFUSED
    try:
        text = generator.render()
    except InputError as e:
        print(f"gen_standard_metrics: {e}", file=sys.stderr)
        return EXIT_REFUSED

    if args.check:
        try:
            with open(args.output, encoding="ascii", newline="") as f:
                current = f.read()
        except (OSError, UnicodeDecodeError):
            current = None
        if current != text:
            print(f"gen_standard_metrics: {args.output} is not what the generator writes; "
                  "run tools/metrics/gen_standard_metrics.py", file=sys.stderr)
            return 1
        return 0
    os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
    temp = args.output + ".tmp"
    with open(temp, "w", encoding="ascii", newline="\n") as f:
        f.write(text)
    os.replace(temp, args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

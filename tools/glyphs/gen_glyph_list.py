#!/usr/bin/env python3
"""Writes pdf/font/generated/GlyphListTable.cpp, the glyph-name table of the
PDF library: the character each glyph name of Adobe's published glyph lists
stands for, and the list it comes from.

Inputs (tools/glyphs/data/, copied unmodified from Adobe's tables):
  glyphlist.txt      the Adobe Glyph List ("name;XXXX" lines): every font's
  zapfdingbats.txt   the ITC Zapf Dingbats glyph list (a1 ... a191): the
                     names of ZapfDingbats' own glyphs, read in that font only

Each entry keeps its list, so that the library reads a dingbat name only in
ZapfDingbats. A name that stands for a sequence of several characters (a
few Hebrew names with their points) is left out: a name reads as one
character. A name given twice, in one list or in both, a value that is not
four upper-case hexadecimal digits, or a surrogate fails the run: the
generator then writes nothing, prints one line per fault and exits with
status 2.

Three names of Symbol's glyphs stand for a further character: Delta, Omega
and mu read as the signs the Glyph List gives them (U+2206, U+2126, U+00B5)
and also stand for the Greek letters the list names Deltagreek, Omegagreek
and mugreek (U+0394, U+03A9, U+03BC), the two characters each of these
glyphs has in Adobe's Symbol mapping. Writing goes by every character of a
name, reading by its own. A list without one of these six names, or that
gives a pair one character, fails the run too.

The table is four constant arrays: the names, NUL-separated and sorted by
their bytes; one entry per name (the offset of its name, its character and
its list), in the same order; the entries' indexes sorted by character, then
name; and the further characters with their entries, sorted by character,
then name. The library searches them by halves and builds nothing at
start-up.

With --check it writes nothing and exits with 1 when the file it would
write differs from the one in the tree.

Standard library only; run it from anywhere.
"""

import argparse
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
DEFAULT_DATA = os.path.join(HERE, "data")
DEFAULT_OUTPUT = os.path.join(ROOT, "pdf", "font", "generated", "GlyphListTable.cpp")
# Each list with the name of its value in the generated table.
LISTS = (("glyphlist.txt", "kAdobe"), ("zapfdingbats.txt", "kZapfDingbats"))
# The names that stand for a further character, each with the name whose
# character that is.
FURTHER = (("Delta", "Deltagreek"), ("Omega", "Omegagreek"), ("mu", "mugreek"))

NAME = re.compile(r"^[A-Za-z0-9_.]+$")
VALUE = re.compile(r"^[0-9A-F]{4}$")


def read_lists(folder):
    """The names of both lists, each with its (character, list), and the
    faults found."""
    pairs = {}
    faults = []
    for listed, origin in LISTS:
        path = os.path.join(folder, listed)
        with open(path, encoding="ascii") as f:
            for number, line in enumerate(f, 1):
                line = line.rstrip("\n")
                if not line or line.startswith("#"):
                    continue
                where = "%s:%d" % (listed, number)
                fields = line.split(";")
                if len(fields) != 2:
                    faults.append("%s: not two fields: %r" % (where, line))
                    continue
                name, value = fields
                if not NAME.match(name):
                    faults.append("%s: not a glyph name: %r" % (where, name))
                    continue
                values = value.split(" ")
                if len(values) > 1:
                    continue  # a sequence of characters: left out
                if not VALUE.match(value):
                    faults.append("%s: %s: not four hexadecimal digits: %r" % (where, name, value))
                    continue
                character = int(value, 16)
                if 0xD800 <= character <= 0xDFFF:
                    faults.append("%s: %s: a surrogate: %s" % (where, name, value))
                    continue
                if name in pairs:
                    faults.append("%s: %s: given twice" % (where, name))
                    continue
                pairs[name] = (character, origin)
    return pairs, faults


def further_characters(pairs):
    """The further character of each name that has one (Delta, Omega, mu),
    and the faults found."""
    adobe = LISTS[0][1]
    further = {}
    faults = []
    for name, other in FURTHER:
        own, of = pairs.get(name), pairs.get(other)
        if not own or own[1] != adobe or not of or of[1] != adobe:
            faults.append("%s: %s and %s are not both in %s" % (name, name, other, LISTS[0][0]))
        elif own[0] == of[0]:
            faults.append("%s: %s gives it its own character" % (name, other))
        else:
            further[name] = of[0]
    return further, faults


def wrapped(pieces):
    """The pieces joined into lines of at most 100 columns, indented by 4."""
    lines = []
    line = "   "
    for piece in pieces:
        if len(line) + len(piece) > 100:
            lines.append(line)
            line = "   "
        line += piece
    lines.append(line)
    return lines


def render(pairs):
    names = sorted(pairs, key=lambda n: n.encode("ascii"))
    index = {name: i for i, name in enumerate(names)}
    offsets = []
    at = 0
    for name in names:
        offsets.append(at)
        at += len(name) + 1
    by_character = sorted(range(len(names)), key=lambda i: (pairs[names[i]][0], i))
    further, _ = further_characters(pairs)
    by_further = sorted((character, index[name]) for name, character in further.items())
    out = [
        "// Generated by tools/glyphs/gen_glyph_list.py from the Adobe Glyph List and",
        "// the ITC Zapf Dingbats glyph list (tools/glyphs/data/). Do not edit.",
        "#include <cstddef>",
        "#include <cstdint>",
        "",
        '#include "pdf/font/internal/GlyphList.h"',
        "",
        "namespace glyphlist {",
        "",
        "namespace {",
        "",
    ]
    out += ["constexpr GlyphNameList %s = GlyphNameList::%s;" % (origin, origin)
            for _, origin in LISTS]
    out += [
        "",
        "}  // namespace",
        "",
        "// %d names, NUL-separated, sorted by their bytes." % len(names),
        "extern const char kNames[] =",
    ]
    names_lines = wrapped(' "%s\\0"' % name for name in names)
    names_lines[-1] += ";"
    out += names_lines
    out += ["", "// Per name: the offset of its name in kNames, its character and its list.",
            "extern const GlyphEntry kEntries[] = {"]
    out += wrapped(" {%d, 0x%04X, %s}," % (offset, pairs[name][0], pairs[name][1])
                   for name, offset in zip(names, offsets))
    out += ["};", "extern const size_t kEntryCount = %d;" % len(names), "",
            "// The entries' indexes sorted by character, then by name.",
            "extern const uint16_t kByCharacter[] = {"]
    out += wrapped(" %d," % i for i in by_character)
    out += ["};", "",
            "// The further characters of names (Delta, Omega, mu: the Greek letters), with",
            "// the names' entries, sorted by character, then by name.",
            "extern const FurtherCharacter kFurther[] = {"]
    out += wrapped(" {0x%04X, %d}," % row for row in by_further)
    out += ["};", "extern const size_t kFurtherCount = %d;" % len(by_further), "",
            "}  // namespace glyphlist"]
    return "\n".join(out) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--data", default=DEFAULT_DATA, help="folder of the two lists")
    parser.add_argument("--output", default=DEFAULT_OUTPUT, help="the generated C++ file")
    parser.add_argument("--check", action="store_true",
                        help="compare with the output file instead of writing it")
    args = parser.parse_args()

    pairs, faults = read_lists(args.data)
    faults += further_characters(pairs)[1]
    if len(pairs) >= 65536:
        faults.append("more names than 16-bit indexes reach: %d" % len(pairs))
    if faults:
        for fault in faults:
            print(fault, file=sys.stderr)
        return 2
    text = render(pairs)
    if args.check:
        try:
            with open(args.output, encoding="ascii") as f:
                current = f.read()
        except OSError as error:
            print("%s: %s" % (args.output, error), file=sys.stderr)
            return 1
        if current != text:
            print("%s differs from what the glyph lists generate" % args.output, file=sys.stderr)
            return 1
        return 0
    with open(args.output, "w", encoding="ascii", newline="\n") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())

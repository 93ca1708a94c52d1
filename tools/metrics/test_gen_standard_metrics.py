#!/usr/bin/env python3
"""The standard-font generator refuses inputs that break its rules.

Each case copies the AFM files and the lists to a temporary folder, breaks
one thing, and expects exit status 2, a message naming the font, the glyph
and the rule, and no file written. The unbroken copy must give the file in
the tree byte for byte, so that the refusals are not the generator failing
on everything. Standard library only.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
GENERATOR = os.path.join(HERE, "gen_standard_metrics.py")
TREE_OUTPUT = os.path.join(HERE, "..", "..", "pdf", "metrics", "generated",
                           "StandardFontTables.cpp")


class Inputs:
    """A copy of the generator's inputs in a temporary folder."""

    def __init__(self, root):
        self.afm = os.path.join(root, "afm")
        self.data = os.path.join(root, "data")
        self.output = os.path.join(root, "out", "StandardFontTables.cpp")
        shutil.copytree(os.path.join(HERE, "afm"), self.afm)
        shutil.copytree(os.path.join(HERE, "data"), self.data)

    def replace(self, folder, name, old, new):
        path = os.path.join(folder, name)
        with open(path, encoding="latin-1", newline="") as f:
            text = f.read()
        if text.count(old) != 1:
            raise AssertionError(f"{old!r} is not once in {name}")
        with open(path, "w", encoding="latin-1", newline="") as f:
            f.write(text.replace(old, new))

    def run(self, *extra):
        return subprocess.run(
            [sys.executable, GENERATOR, "--afm", self.afm, "--data", self.data,
             "--output", self.output, "--zapfdingbats-001004", os.devnull + ".absent", *extra],
            capture_output=True, text=True)


class GeneratorTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.inputs = Inputs(self.folder.name)

    def tearDown(self):
        self.folder.cleanup()

    def assertRefused(self, *expected_lines):
        result = self.inputs.run()
        self.assertEqual(result.returncode, 2, result.stderr)
        for expected in expected_lines:
            self.assertIn(expected, result.stderr)
        self.assertFalse(os.path.exists(self.inputs.output), "a refused run wrote the tables")

    def test_unbroken_inputs_give_the_file_in_the_tree(self):
        result = self.inputs.run()
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(self.inputs.output, "rb") as a, open(TREE_OUTPUT, "rb") as b:
            self.assertEqual(a.read(), b.read())
        self.assertEqual(self.inputs.run("--check").returncode, 0)

    def test_check_reports_a_file_that_differs_by_one_byte(self):
        self.assertEqual(self.inputs.run().returncode, 0)
        with open(self.inputs.output, "a", encoding="ascii") as f:
            f.write("\n")
        self.assertEqual(self.inputs.run("--check").returncode, 1)

    def test_upright_box_in_the_slanted_twin(self):
        self.inputs.replace(self.inputs.afm, "Helvetica-Oblique.afm",
                            "N exclam ; B 90 0 340 718 ;", "N exclam ; B 90 0 187 718 ;")
        self.assertRefused("Helvetica-Oblique: exclam: slanted twin: keeps the upright box",
                           "Helvetica-Oblique: exclam: telling box:")

    def test_euro_left_out_of_the_latin_set(self):
        # WinAnsiEncoding and PDFDocEncoding reach Euro: without its row it
        # would measure 0.
        self.inputs.replace(self.inputs.data, "latin-glyphs.txt", "-1 ecircumflex\n-1 Euro\n",
                            "-1 ecircumflex\n")
        self.assertRefused("Courier: Euro: zero box: listed but has no such row or box",
                           "Times-BoldItalic: *: glyph set: 149 + 165 rows, expected 149 + 166")

    def test_zapfdingbats_glyph_left_without_its_code(self):
        # Real files use the codes 128 to 141: a glyph left unencoded there
        # would measure 0 and overprint.
        self.inputs.replace(self.inputs.data, "zapfdingbats-glyphs.txt", "\n128 a89\n",
                            "\n-1 a89\n")
        self.assertRefused("ZapfDingbats: a89: encoding: listed unencoded, the AFM gives code 128",
                           "ZapfDingbats: *: encoding: no glyph has code 128",
                           "ZapfDingbats: *: glyph set: 201 + 1 rows, expected 202 + 0")

    def test_a_second_glyph_without_a_box(self):
        self.inputs.replace(self.inputs.afm, "Helvetica.afm",
                            "N exclam ; B 90 0 187 718 ;", "N exclam ; B 0 0 0 0 ;")
        self.assertRefused("Helvetica: exclam: zero box: only space and the zero-box glyphs")

    def test_a117_left_at_the_newer_left_side_bearing(self):
        self.inputs.replace(self.inputs.data, "standard-rules.txt",
                            "replace-box ZapfDingbats a117 35 138 655 553",
                            "replace-box ZapfDingbats a117 34 138 655 553")
        self.assertRefused("ZapfDingbats: *: llx count: 174 glyphs with llx 35, expected 175",
                           "ZapfDingbats: *: llx count: 17 glyphs with llx 34, expected 16")

    def test_courier_bbox_of_the_glyph_set_without_dcaron(self):
        # dcaron reaches further right than any glyph of the first tables.
        self.inputs.replace(self.inputs.data, "standard-headers.txt",
                            "Courier | Courier | Courier | Medium | -23 -250 715 805",
                            "Courier | Courier | Courier | Medium | -23 -250 623 805")
        self.assertRefused("Courier: *: union: FontBBox -23 -250 623 805 is not the union",
                           "Courier: dcaron: union: does not reach the right edge")

    def test_central_european_letter_left_out(self):
        # Differences naming nacute would measure 0 without its row.
        self.inputs.replace(self.inputs.data, "latin-glyphs.txt", "\n-1 nacute\n", "\n")
        self.assertRefused("Helvetica: *: glyph set: 149 + 165 rows, expected 149 + 166",
                           "Helvetica: *: accented letter: 87 accented letters, expected 88")

    def test_one_latin_code_changed(self):
        self.inputs.replace(self.inputs.data, "latin-glyphs.txt", "\n39 quoteright\n",
                            "\n39 quotesingle\n")
        self.inputs.replace(self.inputs.data, "latin-glyphs.txt", "\n169 quotesingle\n",
                            "\n169 quoteright\n")
        self.assertRefused("Times-Roman: quotesingle: encoding: listed with code 39, the AFM gives 169",
                           "Times-Roman: quoteright: encoding: listed with code 169, the AFM gives 39")

    def test_unreadable_inputs_are_refused_too(self):
        os.remove(os.path.join(self.inputs.afm, "Symbol.afm"))
        self.assertRefused("Symbol.afm")


if __name__ == "__main__":
    unittest.main()

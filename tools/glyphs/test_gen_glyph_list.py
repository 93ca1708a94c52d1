#!/usr/bin/env python3
"""The glyph-list generator keeps the list each name comes from, and refuses
lists it cannot turn into one table.

Each refusal copies the two lists to a temporary folder, breaks one line,
and expects exit status 2, a message naming the list, the line and the
fault, and no file written. The unbroken copy must give the file in the
tree byte for byte, so that the refusals are not the generator failing on
everything. Standard library only.
"""

import importlib.util
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
GENERATOR = os.path.join(HERE, "gen_glyph_list.py")
TREE_OUTPUT = os.path.join(HERE, "..", "..", "pdf", "font", "generated", "GlyphListTable.cpp")

_spec = importlib.util.spec_from_file_location("gen_glyph_list", GENERATOR)
gen = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(gen)


class Lists(unittest.TestCase):
    def test_each_name_keeps_its_list(self):
        pairs, faults = gen.read_lists(os.path.join(HERE, "data"))
        self.assertEqual(faults, [])
        self.assertEqual(pairs["a1"], (0x2701, "kZapfDingbats"))
        self.assertEqual(pairs["spade"], (0x2660, "kAdobe"))
        self.assertEqual(pairs["a109"], (0x2660, "kZapfDingbats"))
        origins = [origin for _, origin in pairs.values()]
        self.assertEqual(origins.count("kZapfDingbats"), 201)
        self.assertEqual(origins.count("kAdobe"), 4200)
        text = gen.render(pairs)
        self.assertEqual(text.count(", kZapfDingbats},"), 201)
        self.assertEqual(text.count(", kAdobe},"), 4200)

    def test_delta_omega_and_mu_stand_for_the_greek_letters_too(self):
        pairs, _ = gen.read_lists(os.path.join(HERE, "data"))
        further, faults = gen.further_characters(pairs)
        self.assertEqual(faults, [])
        self.assertEqual(further, {"Delta": 0x0394, "Omega": 0x03A9, "mu": 0x03BC})
        # Their own characters stay the signs.
        self.assertEqual([pairs[n][0] for n in ("Delta", "Omega", "mu")], [0x2206, 0x2126, 0x00B5])


class Refusals(unittest.TestCase):
    def run_on(self, list_name=None, old=None, new=None):
        with tempfile.TemporaryDirectory() as root:
            data = os.path.join(root, "data")
            shutil.copytree(os.path.join(HERE, "data"), data)
            if list_name:
                path = os.path.join(data, list_name)
                with open(path, encoding="ascii") as f:
                    text = f.read()
                self.assertEqual(text.count(old), 1, old)
                with open(path, "w", encoding="ascii") as f:
                    f.write(text.replace(old, new))
            output = os.path.join(root, "GlyphListTable.cpp")
            result = subprocess.run(
                [sys.executable, GENERATOR, "--data", data, "--output", output],
                capture_output=True, text=True)
            written = None
            if os.path.exists(output):
                with open(output, encoding="ascii") as f:
                    written = f.read()
            return result, written

    def test_unbroken_lists_give_the_tree_file(self):
        result, written = self.run_on()
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(TREE_OUTPUT, encoding="ascii") as f:
            self.assertEqual(written, f.read())

    def refused(self, list_name, old, new, message):
        result, written = self.run_on(list_name, old, new)
        self.assertEqual(result.returncode, 2)
        self.assertIn(message, result.stderr)
        self.assertIsNone(written)

    def test_a_name_given_twice(self):
        self.refused("zapfdingbats.txt", "\na1;2701\n", "\na1;2701\nalpha;2701\n",
                     "zapfdingbats.txt:")
        self.refused("glyphlist.txt", "\nzacute;017A\n", "\nzacute;017A\nzacute;0179\n",
                     "zacute: given twice")

    def test_a_value_that_is_no_character(self):
        self.refused("glyphlist.txt", "\nzacute;017A\n", "\nzacute;017a\n",
                     "zacute: not four hexadecimal digits")
        self.refused("glyphlist.txt", "\nzacute;017A\n", "\nzacute;D800\n",
                     "zacute: a surrogate")
        self.refused("glyphlist.txt", "\nzacute;017A\n", "\nzacute\n", "not two fields")

    def test_a_greek_letter_without_its_name(self):
        self.refused("glyphlist.txt", "\nDeltagreek;0394\n", "\n",
                     "Delta: Delta and Deltagreek are not both in glyphlist.txt")
        self.refused("glyphlist.txt", "\nmugreek;03BC\n", "\nmugreek;00B5\n",
                     "mu: mugreek gives it its own character")


if __name__ == "__main__":
    unittest.main()

#!/usr/bin/env python3
"""The CID metric generator refuses data that break a rule: each case copies
the data files, breaks one line, and expects exit status 2, nothing written,
and the rule (and the CID, where there is one) named on stderr. A last case
expects --check to answer 1 for a committed file one byte off.

Usage: cid_metrics_generator_refuses.py <path of gen_cid_metrics.py>
"""

import os
import shutil
import subprocess
import sys
import tempfile

# (file, line to replace or None to append, new line, words expected on stderr)
CASES = [
    ("heiseikakugo-w5-choices.txt", None, "box 5000 10 -50 1011 800",
     ["heiseikakugo-w5: rule union", "CID 5000: rule union"]),
    ("heiseikakugo-w5-choices.txt", None, "box 300 0 -120 501 880",
     ["heiseikakugo-w5: CID 300: rule within"]),
    ("heiseikakugo-w5-choices.txt", None, "box 3000 40 -120 960 -20",
     ["heiseikakugo-w5: CID 3000: rule below"]),
    ("heiseimin-w3-choices.txt", "box 9 48 -177 341 676      # urx past 333",
     "box 9 48 -177 330 676", ["heiseimin-w3: CID 9: rule overhang"]),
    ("heiseimin-w3-boxes.txt", "box 8233 0 -120 1000 380", "box 8233 0 -120 1000 381",
     ["heiseimin-w3: CID 8233: rule series"]),
    ("heiseikakugo-w5-choices.txt", "box 7480 0 320 1000 440    # horizontal, heavy",
     "box 7480 0 300 1000 440", ["heiseikakugo-w5: CID 7480: rule edges"]),
    ("heiseimin-w3-widths.txt", "138 1000, 139 889,", "138 999, 139 889,",
     ["rule widths", "CIDs have width 1000, stated 8089"]),
    ("heiseikakugo-w5-choices.txt", None, "box 104 0 0 100 100",
     ["heiseikakugo-w5: CID 104: rule row"]),
]


def run(generator, data, output, check=False):
    command = [sys.executable, generator, "--data", data, "--output", output]
    if check:
        command.append("--check")
    return subprocess.run(command, capture_output=True, text=True)


def main():
    generator = sys.argv[1]
    source = os.path.join(os.path.dirname(generator), "data")
    failed = 0
    with tempfile.TemporaryDirectory() as work:
        for number, (name, old, new, expected) in enumerate(CASES, 1):
            data = os.path.join(work, f"case{number}")
            shutil.copytree(source, data)
            path = os.path.join(data, name)
            with open(path, encoding="ascii") as f:
                text = f.read()
            if old is None:
                text += new + "\n"
            elif old in text:
                text = text.replace(old, new, 1)
            else:
                print(f"case {number}: {old!r} not found in {name}")
                failed += 1
                continue
            with open(path, "w", encoding="ascii") as f:
                f.write(text)
            output = os.path.join(work, f"case{number}.cpp")
            result = run(generator, data, output)
            missing = [w for w in expected if w not in result.stderr]
            if result.returncode != 2 or missing or os.path.exists(output):
                print(f"case {number} ({name}: {new!r}): exit {result.returncode}, "
                      f"missing {missing}, written {os.path.exists(output)}\n{result.stderr}")
                failed += 1

        # The unbroken data generate; --check sees a one-byte change.
        output = os.path.join(work, "good.cpp")
        result = run(generator, source, output)
        if result.returncode != 0:
            print(f"unbroken data: exit {result.returncode}\n{result.stderr}")
            failed += 1
        else:
            if run(generator, source, output, check=True).returncode != 0:
                print("--check: a file just written differs")
                failed += 1
            with open(output, "rb") as f:
                data = bytearray(f.read())
            data[len(data) // 2] ^= 1
            with open(output, "wb") as f:
                f.write(data)
            if run(generator, source, output, check=True).returncode != 1:
                print("--check: a one-byte change is not seen")
                failed += 1
    print(f"{len(CASES) + 1 - failed} of {len(CASES) + 1} passed" if not failed else
          f"{failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

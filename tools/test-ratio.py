#!/usr/bin/env python3
"""Lines of test code against lines of product code: non-blank lines that are
not only comment. Product: core/ ttu/ control/ platform/ (.cpp .h .c .idl);
tests: tests/ (.cpp .h .c .js .vbs .sh .ps1).
usage: tools/test-ratio.py [REPO]   prints "product P tests T ratio T/P"."""
import os
import sys


def counted_lines(path):
    n, in_block = 0, False
    shell = path.endswith(".sh")
    for raw in open(path, encoding="latin-1"):
        line = raw.strip()
        if in_block:
            if "*/" not in line:
                continue
            in_block = False
            line = line.split("*/", 1)[1].strip()
        if not line or line.startswith(("//", "'")) or (shell and line.startswith("#")):
            continue
        if line.startswith("/*"):
            in_block = "*/" not in line
            continue
        if line.startswith("*"):
            continue
        n += 1
    return n


def tree_lines(root, folders, suffixes):
    return sum(counted_lines(os.path.join(base, name))
               for folder in folders
               for base, _, names in os.walk(os.path.join(root, folder))
               for name in names if name.endswith(suffixes))


root = sys.argv[1] if len(sys.argv) > 1 else "."
product = tree_lines(root, ["core", "ttu", "control", "platform"], (".cpp", ".h", ".c", ".idl"))
tests = tree_lines(root, ["tests"], (".cpp", ".h", ".c", ".js", ".vbs", ".sh", ".ps1"))
print("product %d tests %d ratio %.2f" % (product, tests, tests / product if product else 0))

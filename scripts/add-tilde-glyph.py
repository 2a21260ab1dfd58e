#!/usr/bin/python3
# Gives each font file named on the command line a glyph for U+F888, the private-use
# character preset names show "~" with, drawn as the font's own tilde, so that a name reads
# as it was typed. The file is rewritten in place; one that has the glyph already, or no
# tilde, is left as it is.
import sys

from fontTools.ttLib import TTFont

PRIVATE_TILDE = 0xF888


def add_glyph(path):
    font = TTFont(path)
    tables = [t for t in font["cmap"].tables if t.isUnicode()]
    tilde = next((t.cmap[ord("~")] for t in tables if ord("~") in t.cmap), None)
    if tilde is None:
        print(f"{path}: no tilde to draw U+F888 with", file=sys.stderr)
        return False
    if all(PRIVATE_TILDE in t.cmap for t in tables):
        return True
    for table in tables:
        table.cmap[PRIVATE_TILDE] = tilde
    font.save(path)
    return True


if __name__ == "__main__":
    ok = all([add_glyph(path) for path in sys.argv[1:]])
    sys.exit(0 if ok else 1)

#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
"""Writes the window's own Song face: one face of a CJK font collection, cut
down to the characters that the given source files contain (and printable
ASCII), with its embedded bitmaps and hinting kept so it draws exactly as the
full face does, renamed so it never stands in for the installed face.

    make-font-subset.py SOURCE.ttc FACE_NUMBER FAMILY OUTPUT.ttf TEXT_FILE...
"""

import sys

from fontTools import subset

BITMAP_TABLES = ("EBDT", "EBLC", "EBSC")
# Editor bookkeeping of the font's makers, of no use to a renderer.
UNUSED_TABLES = ("BDF ", "FFTM")
# FreeType's automatic hinter measures a CJK face by these characters (its
# standard stem width and blue zones); without them in the cut, glyphs would be
# hinted differently from the full face.
HINTER_REFERENCE = (
    "田囗"
    "他们你來們到和地对對就席我时時會来為能舰說说这這齊齐"
    "军同已愿既星是景民照现現理用置要軍那配里開雷露面顾"
    "个为人他以们你來個們到和大对對就我时時有来為要說说"
    "主些因它想意理生當看着置者自著裡过还进進過道還里面"
)
# Family, full name, PostScript name, typographic family.
FAMILY_NAME_IDS = (1, 4, 6, 16)


def characters(paths):
    text = {chr(code) for code in range(0x20, 0x7F)} | set(HINTER_REFERENCE)
    for path in paths:
        with open(path, encoding="utf-8") as source:
            text.update(ch for ch in source.read() if ch.isprintable())
    return "".join(sorted(text))


def rename(font, family):
    postscript = family.replace(" ", "")
    for record in font["name"].names:
        if record.nameID in FAMILY_NAME_IDS:
            record.string = postscript if record.nameID == 6 else family


def main(argv):
    source, face, family, output, *texts = argv
    options = subset.Options()
    options.font_number = int(face)
    options.drop_tables = [t for t in options.drop_tables if t not in BITMAP_TABLES]
    options.drop_tables += UNUSED_TABLES
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.notdef_outline = True
    font = subset.load_font(source, options)
    subsetter = subset.Subsetter(options)
    subsetter.populate(text=characters(texts))
    subsetter.subset(font)
    rename(font, family)
    font.save(output)


if __name__ == "__main__":
    main(sys.argv[1:])

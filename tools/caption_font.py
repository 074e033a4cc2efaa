#!/usr/bin/env python3
"""Makes the captions font: the faces of the system's Japanese font cut down
to the characters the screens' captions and pictures show, under a family
name of their own.

  caption_font.py --family NAME --captions FILE [--svg FILE ...]
                  --face OUT=FONTFILE:INDEX [--face ...]

Each OUT is written with the glyphs of those characters (and of every form
the font's layout features reach from them) exactly as the source face draws
them: outlines, hints and metrics are kept, so a caption looks the same in
either font. Printable ASCII is always in. The copyright and licence notices
of the source face stay in the name table.
"""
import argparse
import re
import sys

from fontTools import subset
from fontTools.ttLib import TTFont


def characters(captions, svgs):
    chars = {chr(c) for c in range(0x20, 0x7F)}
    with open(captions, encoding="utf-8") as f:
        chars.update(f.read())
    for svg in svgs:
        with open(svg, encoding="utf-8") as f:
            for text in re.findall(r"<text[^>]*>([^<]*)</text>", f.read()):
                chars.update(text)
    chars.discard("\n")
    return "".join(sorted(chars))


def rename(font, family):
    style = font["name"].getDebugName(2) or "Regular"
    postscript = family.replace(" ", "") + "-" + style.replace(" ", "")
    names = {1: family, 3: postscript, 4: f"{family} {style}", 6: postscript}
    table = font["name"]
    table.names = [n for n in table.names if n.nameID in (0, 2, 5, 13, 14)]
    for name_id, text in names.items():
        table.setName(text, name_id, 3, 1, 0x409)
    if "CFF " in font:
        cff = font["CFF "].cff
        cff.fontNames = [postscript]
        top = cff.topDictIndex[0]
        for key in ("FullName", "FamilyName"):
            if hasattr(top, key):
                setattr(top, key, names[4] if key == "FullName" else family)


def make_face(source, index, out, text, family):
    options = subset.Options()
    options.font_number = index
    options.layout_features = ["*"]
    options.name_IDs = ["*"]
    options.name_languages = [0x409]
    options.notdef_outline = True
    # The timestamps and bounds of the source face, so the same fonts give
    # the same bytes.
    options.recalc_bounds = False
    options.recalc_timestamp = False
    font = subset.load_font(source, options, dontLoadGlyphNames=True)
    subsetter = subset.Subsetter(options)
    subsetter.populate(text=text)
    subsetter.subset(font)
    rename(font, family)
    font.save(out, reorderTables=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--family", required=True)
    parser.add_argument("--captions", required=True)
    parser.add_argument("--svg", action="append", default=[])
    parser.add_argument("--face", action="append", required=True)
    args = parser.parse_args()
    text = characters(args.captions, args.svg)
    for face in args.face:
        out, _, source = face.partition("=")
        path, _, index = source.rpartition(":")
        if not out or not path:
            sys.exit(f"caption_font.py: --face {face}: expected OUT=FONTFILE:INDEX")
        make_face(path, int(index or 0), out, text, args.family)


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""Renders the application icon: two frames interlaced in strips under rounded lenses.

    /usr/bin/python3 scripts/make-icon.py packaging/lenzora.png
"""
import sys

from PIL import Image, ImageDraw, ImageFilter

S = 256


def main(path):
    icon = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    body = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    d = ImageDraw.Draw(body)
    d.rounded_rectangle((12, 12, S - 12, S - 12), radius=44, fill=(255, 255, 255, 255))
    mask = body.split()[3]

    strips = Image.new("RGB", (S, S))
    sd = ImageDraw.Draw(strips)
    colours = [(0, 128, 128), (240, 160, 40)]  # teal and amber frames, one strip each
    for x in range(0, S, 16):
        sd.rectangle((x, 0, x + 7, S), fill=colours[0])
        sd.rectangle((x + 8, 0, x + 15, S), fill=colours[1])
    lens = Image.new("L", (S, S), 0)
    ld = ImageDraw.Draw(lens)
    for x in range(0, S, 16):
        ld.line([(x + 4, 0), (x + 4, S)], fill=110, width=3)
    lens = lens.filter(ImageFilter.GaussianBlur(2))
    strips = Image.composite(Image.new("RGB", (S, S), (255, 255, 255)), strips, lens)

    ld = ImageDraw.Draw(strips)
    ld.rectangle((78, 60, 112, 196), fill=(255, 255, 255))
    ld.rectangle((78, 162, 178, 196), fill=(255, 255, 255))
    icon.paste(strips, (0, 0), mask)
    icon.save(path)


if __name__ == "__main__":
    main(sys.argv[1])

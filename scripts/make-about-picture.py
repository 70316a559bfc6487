#!/usr/bin/python3
"""Renders the about window's picture: a lenticular sheet over an interlaced picture,
with the program's name, what it makes, and, under the window's web address area, the maker's
web address. The window writes the version after the name (x 184), so no picture names one. The Chinese picture is the program's own; --english makes the English interface's.

Run with Debian's python3 (python3-pil, fonts-dejavu-core, fonts-wqy-zenhei):
    /usr/bin/python3 scripts/make-about-picture.py src/windows/resources/about.jpg
    /usr/bin/python3 scripts/make-about-picture.py --english src/windows/resources/about-en.jpg
"""
import math
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

W, H = 353, 289
HOT = (72, 258, 72 + 273, 258 + 25)  # the window's web address area, which opens the web page
ADDRESS = "https://lenzora.example/"


def frame(shift):
    """One frame of a small scene: a sun and two hills, seen from a shifted viewpoint."""
    im = Image.new("RGB", (W, H))
    d = ImageDraw.Draw(im)
    for y in range(H):
        t = y / H
        d.line([(0, y), (W, y)], fill=(int(40 + 80 * t), int(90 + 90 * t), int(170 + 60 * t)))
    d.ellipse((250 - shift * 0.3, 30, 310 - shift * 0.3, 90), fill=(255, 214, 90))
    d.polygon([(0, 230), (90 + shift, 120), (220 + shift, 230)], fill=(40, 120, 70))
    d.polygon([(120, 230), (250 - shift, 140), (353, 230)], fill=(30, 95, 60))
    d.rectangle((0, 228, W, H), fill=(34, 60, 40))
    return im


def interlaced(frames, strip):
    out = Image.new("RGB", (W, H))
    n = len(frames)
    for x in range(W):
        q = (x // strip) % n
        out.paste(frames[q].crop((x, 0, x + 1, H)), (x, 0))
    return out


SUBTITLE = {
    "zh": ("光栅立体图与变图制作", "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc", 18),
    "en": ("Lenticular 3D and flip pictures", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 17),
}


def main(path, language):
    picture = interlaced([frame(s) for s in (-12, -4, 4, 12)], 2)
    # The sheet's lenses: a soft highlight on every ridge.
    lenses = Image.new("L", (W, H), 0)
    ld = ImageDraw.Draw(lenses)
    for x in range(0, W, 8):
        ld.line([(x + 2, 0), (x + 2, H)], fill=70)
    lenses = lenses.filter(ImageFilter.GaussianBlur(1.2))
    picture = Image.composite(Image.new("RGB", (W, H), (255, 255, 255)), picture, lenses)

    d = ImageDraw.Draw(picture)
    title = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 34)
    small = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 14)
    subtitle, face, size = SUBTITLE[language]
    subtitle_font = ImageFont.truetype(face, size)
    d.text((22, 150), "Lenzora", font=title, fill=(255, 255, 255),
           stroke_width=2, stroke_fill=(20, 40, 80))
    d.text((24, 196), subtitle, font=subtitle_font, fill=(255, 255, 255),
           stroke_width=1, stroke_fill=(20, 40, 80))
    d.rectangle(HOT, fill=(245, 245, 235))
    tw = d.textlength(ADDRESS, font=small)
    d.text((HOT[0] + (HOT[2] - HOT[0] - tw) / 2, HOT[1] + 4), ADDRESS, font=small,
           fill=(0, 0, 200))
    picture.save(path, "JPEG", quality=88)


if __name__ == "__main__":
    english = sys.argv[1] == "--english"
    main(sys.argv[-1], "en" if english else "zh")

#!/usr/bin/python3
"""Renders the application icon: two frames interlaced in strips under rounded lenses.

    /usr/bin/python3 scripts/make-icon.py

writes packaging/icons/io.github.lenzora.Lenzora.svg, the hicolor PNGs
packaging/icons/<S>x<S>/io.github.lenzora.Lenzora.png and packaging/lenzora.png (the window
icon, the 256 one). Each PNG is drawn at its own size rather than scaled down, so strips are
whole pixels (fewer and wider at small sizes) and the L keeps sharp edges.
"""
import math
import pathlib

from PIL import Image, ImageDraw

NAME = "io.github.lenzora.Lenzora"
SIZES = (16, 24, 32, 48, 64, 128, 256)
TEAL, AMBER = (0, 128, 128), (240, 160, 40)  # the two frames, one strip each
MARGIN, RADIUS, STRIP = 12, 44, 8  # on the 256 grid
L_BARS = ((78, 60, 113, 197), (78, 162, 179, 197))  # stem and foot, left top right bottom


def lens(u):
    """Opacity of the white highlight at u (0..1) across one teal + amber pair."""
    d = abs((u - 0.25 + 0.5) % 1 - 0.5) * 2 * STRIP  # distance from the teal strip's middle
    return 0.23 * math.exp(-d * d / 11.2)  # a soft line, as wide as the old blurred one


def png(s):
    k = s / 256

    def px(v):  # a length on the 256 grid, to whole pixels at this size
        return int(v * k + 0.5)

    m, w = px(MARGIN), max(2, px(STRIP))
    start = s // 2 - w // 2  # a teal strip in the middle, so the strips are symmetric
    row = Image.new("RGB", (s, 1))
    for x in range(s):
        u = ((x - start) % (2 * w) + 0.5) / (2 * w)
        a = lens(u)
        colour = TEAL if u < 0.5 else AMBER
        row.putpixel((x, 0), tuple(round(c + (255 - c) * a) for c in colour))
    icon = row.resize((s, s), Image.NEAREST)
    draw = ImageDraw.Draw(icon)
    for bar in L_BARS:
        x0, y0, x1, y1 = (px(v) for v in bar)
        draw.rectangle((x0, y0, x1 - 1, y1 - 1), fill=(255, 255, 255))
    n = 8  # the corners are the only curves: anti-alias them by drawing the mask 8 times larger
    mask = Image.new("L", (s * n, s * n), 0)
    ImageDraw.Draw(mask).rounded_rectangle(
        (m * n, m * n, (s - m) * n - 1, (s - m) * n - 1), radius=RADIUS * k * n, fill=255
    )
    icon.putalpha(mask.resize((s, s), Image.BOX))
    return icon


def svg():
    side = 256 - 2 * MARGIN
    stops = "\n".join(
        f'<stop offset="{i / 16:g}" stop-color="#fff" stop-opacity="{lens(i / 16):.3f}"/>'
        for i in range(17)
    )
    teal, amber = ("#%02x%02x%02x" % c for c in (TEAL, AMBER))
    x0, y0, x1, _ = L_BARS[0]
    _, fy0, fx1, fy1 = L_BARS[1]
    # one teal + amber pair, repeated across the square
    pair = f'gradientUnits="userSpaceOnUse" x1="{MARGIN}" y1="0" x2="{MARGIN + 2 * STRIP}" y2="0"'
    square = f'x="{MARGIN}" y="{MARGIN}" width="{side}" height="{side}" rx="{RADIUS}"'
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" version="1.1" width="256" height="256" viewBox="0 0 256 256">
<defs>
<linearGradient id="strips" {pair} spreadMethod="repeat">
<stop offset="0" stop-color="{teal}"/><stop offset="0.5" stop-color="{teal}"/>
<stop offset="0.5" stop-color="{amber}"/><stop offset="1" stop-color="{amber}"/>
</linearGradient>
<linearGradient id="lenses" {pair} spreadMethod="repeat">
{stops}
</linearGradient>
</defs>
<rect {square} fill="url(#strips)"/>
<rect {square} fill="url(#lenses)"/>
<path d="M{x0} {y0}H{x1}V{fy0}H{fx1}V{fy1}H{x0}Z" fill="#fff"/>
</svg>
"""


def main():
    out = pathlib.Path(__file__).resolve().parent.parent / "packaging"
    (out / "icons").mkdir(exist_ok=True)
    (out / "icons" / f"{NAME}.svg").write_text(svg())
    for s in SIZES:
        (out / "icons" / f"{s}x{s}").mkdir(exist_ok=True)
        png(s).save(out / "icons" / f"{s}x{s}" / f"{NAME}.png", optimize=True)
    png(256).save(out / "lenzora.png", optimize=True)  # the window icon, built into the program


if __name__ == "__main__":
    main()

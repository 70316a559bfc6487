#!/usr/bin/python3
"""Renders the sample frames kept in samples/:
  scene-1.jpg ... scene-4.jpg  a small scene of spheres and a cube seen from four viewpoints
                               along a horizontal line (a 3D set, frame 1 leftmost view);
  flip-1.jpg, flip-2.jpg       two different pictures for a flip;
  flip-1.png, flip-2.tif       the same two pictures as PNG and TIFF (LZW) frames.

    /usr/bin/python3 scripts/make-samples.py samples
"""
import os
import sys

from PIL import Image, ImageDraw, ImageFont

W, H = 480, 360


def scene(eye_x):
    """Objects at depth z shift by eye_x * (1 / z - 1 / z0): nearer ones move more."""
    im = Image.new("RGB", (W, H))
    d = ImageDraw.Draw(im)
    for y in range(H):
        t = y / H
        d.line([(0, y), (W, y)], fill=(int(200 - 90 * t), int(220 - 80 * t), 255))
    d.rectangle((0, 250, W, H), fill=(90, 140, 70))
    z0 = 4.0
    objects = [  # (x, y, radius, depth, colour), far ones first
        (330, 150, 55, 8.0, (210, 60, 60)),
        (150, 190, 45, 4.0, (240, 200, 40)),
        (250, 250, 38, 2.5, (50, 90, 220)),
    ]
    for x, y, r, z, colour in objects:
        shift = eye_x * (1 / z - 1 / z0) * 40
        cx = x + shift
        d.ellipse((cx - r, y - r, cx + r, y + r), fill=colour, outline=(30, 30, 30), width=2)
        d.ellipse((cx - r * 0.5, y - r * 0.6, cx - r * 0.1, y - r * 0.2), fill=(255, 255, 255))
    cube_shift = eye_x * (1 / 1.8 - 1 / z0) * 40
    d.rectangle((60 + cube_shift, 270, 130 + cube_shift, 340), fill=(120, 70, 160),
                outline=(30, 30, 30), width=2)
    return im


def flip(text, background, foreground):
    im = Image.new("RGB", (W, H), background)
    d = ImageDraw.Draw(im)
    font = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 120)
    tw = d.textlength(text, font=font)
    d.text(((W - tw) / 2, 100), text, font=font, fill=foreground)
    return im


def main(folder):
    os.makedirs(folder, exist_ok=True)
    for i, eye in enumerate((-1.5, -0.5, 0.5, 1.5), start=1):
        scene(eye).save(os.path.join(folder, f"scene-{i}.jpg"), "JPEG", quality=85)
    flip("A", (250, 230, 120), (180, 40, 40)).save(os.path.join(folder, "flip-1.jpg"),
                                                    "JPEG", quality=85)
    flip("B", (120, 200, 250), (30, 40, 140)).save(os.path.join(folder, "flip-2.jpg"),
                                                    "JPEG", quality=85)
    flip("A", (250, 230, 120), (180, 40, 40)).save(os.path.join(folder, "flip-1.png"), "PNG")
    flip("B", (120, 200, 250), (30, 40, 140)).save(os.path.join(folder, "flip-2.tif"), "TIFF",
                                                    compression="tiff_lzw")


if __name__ == "__main__":
    main(sys.argv[1])

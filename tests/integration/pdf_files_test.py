#!/usr/bin/python3
"""PDF files the batch tool writes, read back with poppler's pdfinfo and pdfimages: one page of
the picture's physical size holding the picture once, at the pixels of the BMP the same job
saves, losslessly; ICC-based when the frames carry a profile; the chart as a 1-bit picture.

    pdf_files_test.py LENZORA_CLI SAMPLES_FOLDER
"""
import os
import re
import subprocess
import sys
import tempfile
import zlib
from fractions import Fraction

from PIL import Image, ImageCms

cli, samples = sys.argv[1], sys.argv[2]
failures = []


def check(what, condition):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True).stdout


def embedded_profile(pdf):
    """The stream of the first ICCBased colour space, inflated; None without one."""
    data = open(pdf, "rb").read()
    ref = re.search(rb"/ICCBased (\d+) 0 R", data)
    if not ref:
        return None
    body = re.search(rb"\b" + ref.group(1) + rb" 0 obj.*?stream\r?\n", data, re.S)
    return zlib.decompressobj().decompress(data[body.end():])


with tempfile.TemporaryDirectory() as work:
    profile = ImageCms.ImageCmsProfile(ImageCms.createProfile("sRGB")).tobytes()
    plain = [os.path.join(samples, f"scene-{i}.jpg") for i in (1, 2, 3, 4)]
    tagged = [os.path.join(work, f"scene-{i}.png") for i in (1, 2, 3, 4)]
    for frame, copy in zip(plain, tagged):
        Image.open(frame).save(copy, icc_profile=profile)
    size = ["--width", "60", "--height", "40", "--unit", "mm"]
    # 42.275 lpi and four frames print at 169.1 dpi, a page of 399 x 720 / 1691 points.
    cases = [
        ("composite", "card.PDF", ["compose", *size, *plain], 399, 266, "169.1", "rgb", 8, None),
        ("composite with a profile", "icc.pdf", ["compose", *size, *tagged], 399, 266, "169.1",
         "icc", 8, profile),
        ("chart", "chart.Pdf", ["chart", "--dpi", "300"], 1535, 2717, "300", "gray", 1, None),
    ]
    for what, name, args, width, height, dpi, colour, bits, icc in cases:
        pdf = os.path.join(work, name)
        bmp = os.path.splitext(pdf)[0] + ".bmp"
        for out in (pdf, bmp):
            run(cli, args[0], "-o", out, *args[1:])
        page = re.search(r"Page size:\s+([\d.]+) x ([\d.]+) pts", run("pdfinfo", pdf))
        sides = [Fraction(side) for side in page.groups()] if page else []
        exact = [n * 72 / Fraction(dpi) for n in (width, height)]
        check(f"{what}: page {sides and page.groups()} points, exactly {[float(e) for e in exact]}",
              len(sides) == 2 and all(abs(s - e) < Fraction(1, 100) for s, e in zip(sides, exact)))
        listed = run("pdfimages", "-list", pdf).splitlines()[2:]
        fields = listed[0].split() if len(listed) == 1 else []
        check(f"{what}: one picture, {width} x {height} {colour} of {bits} bits, lossless, sharp",
              fields[3:9] == [str(width), str(height), colour, "1" if bits == 1 else "3",
                              str(bits), "image"] and fields[9] == "no")
        run("pdfimages", "-png", pdf, os.path.join(work, "x"))
        mode = "L" if bits == 1 else "RGB"
        with Image.open(os.path.join(work, "x-000.png")) as back, Image.open(bmp) as saved:
            check(f"{what}: the BMP's pixels",
                  back.convert(mode).tobytes() == saved.convert(mode).tobytes())
        embedded = "the frames' profile" if icc else "no profile"
        check(f"{what}: {embedded} embedded", embedded_profile(pdf) == icc)

sys.exit(1 if failures else 0)

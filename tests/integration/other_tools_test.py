#!/usr/bin/python3
"""Files the batch tool writes open in another program (Pillow) at the right size, depth
and resolution: the composite as BMP and as JPEG, the pitch chart as a 1-bit BMP.

    other_tools_test.py LENZORA_CLI SAMPLES_FOLDER
"""
import os
import subprocess
import sys
import tempfile

from PIL import Image, JpegImagePlugin

cli, samples = sys.argv[1], sys.argv[2]
failures = []


def check(what, condition):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


with tempfile.TemporaryDirectory() as work:
    frames = [os.path.join(samples, f"scene-{i}.jpg") for i in (1, 2, 3, 4)]
    bmp = os.path.join(work, "card.bmp")
    jpg = os.path.join(work, "card.jpg")
    chart = os.path.join(work, "chart.bmp")
    subprocess.run([cli, "compose", "-o", bmp, *frames], check=True, capture_output=True)
    subprocess.run([cli, "compose", "-o", jpg, *frames], check=True, capture_output=True)
    subprocess.run([cli, "chart", "--dpi", "1200", "-o", chart], check=True, capture_output=True)

    with Image.open(bmp) as im:
        check("composite BMP is 24-bit colour", im.format == "BMP" and im.mode == "RGB")
        check("composite BMP is 1910 x 1331", im.size == (1910, 1331))
        # 169.1 dpi is stamped as 6656 pixels per metre, which reads back as 169.06 dpi.
        dpi = im.info.get("dpi", (0, 0))
        check(f"composite BMP carries its resolution ({dpi[0]:.2f} dpi)",
              abs(dpi[0] - 169.1) < 0.1 and abs(dpi[1] - 169.1) < 0.1)

    with Image.open(jpg) as im:
        check("composite JPEG is colour", im.format == "JPEG" and im.mode == "RGB")
        check("composite JPEG is 1910 x 1331", im.size == (1910, 1331))
        check("composite JPEG is baseline", not im.info.get("progressive", False))
        check("composite JPEG keeps full chroma (4:4:4)", JpegImagePlugin.get_sampling(im) == 0)
        check("JFIF density is the whole dpi", im.info.get("dpi") == (169, 169))
        exif = im.getexif()
        check("Exif holds the exact resolution",
              float(exif.get(282, 0)) == 169.1 and float(exif.get(283, 0)) == 169.1
              and exif.get(296) == 2)

    with Image.open(chart) as im:
        check("chart is a 1-bit BMP", im.format == "BMP" and im.mode in ("1", "P"))
        check("chart is 6142 x 10866", im.size == (6142, 10866))
        dpi = im.info.get("dpi", (0, 0))
        check(f"chart carries 1200 dpi ({dpi[0]:.2f})", abs(dpi[0] - 1200) < 0.5)

sys.exit(1 if failures else 0)

#!/usr/bin/python3
"""Files the batch tool writes open in other programs (Pillow, and tiffinfo for TIFF) at the
right size, depth and resolution: the composite as BMP, JPEG, PNG and TIFF, the pitch chart
as a 1-bit BMP, TIFF and PNG; frames written by Pillow as PNG and TIFF are read, and their
colour profile reaches the composite.

    other_tools_test.py LENZORA_CLI SAMPLES_FOLDER
"""
import os
import re
import subprocess
import sys
import tempfile

from PIL import Image, ImageCms, JpegImagePlugin

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

    # Frames in PNG and TIFF (LZW) as another program writes them, all with one profile.
    profile = ImageCms.ImageCmsProfile(ImageCms.createProfile("sRGB")).tobytes()
    others = []
    for i, frame in enumerate(frames):
        with Image.open(frame) as im:
            if i % 2 == 0:
                name = os.path.join(work, f"scene-{i}.PNG")
                im.save(name, icc_profile=profile)
            else:
                name = os.path.join(work, f"scene-{i}.tif")
                im.save(name, compression="tiff_lzw", icc_profile=profile)
            others.append(name)
    tif = os.path.join(work, "card.TIF")
    png = os.path.join(work, "card.png")
    subprocess.run([cli, "compose", "-o", tif, *others], check=True, capture_output=True)
    subprocess.run([cli, "compose", "-o", png, *others], check=True, capture_output=True)
    with Image.open(bmp) as im:
        reference = im.convert("RGB").tobytes()

    with Image.open(tif) as im:
        check("composite TIFF is 8-bit RGB", im.format == "TIFF" and im.mode == "RGB")
        check("composite TIFF is 1910 x 1331", im.size == (1910, 1331))
        dpi = im.info.get("dpi", (0, 0))
        check(f"composite TIFF carries 169.1 dpi to 4 digits ({dpi[0]})",
              f"{float(dpi[0]):.4g}" == "169.1" and f"{float(dpi[1]):.4g}" == "169.1")
        check("composite TIFF carries the frames' profile", im.info.get("icc_profile") == profile)
        check("PNG and TIFF frames give the pixels of the JPEG ones", im.tobytes() == reference)
    info = subprocess.run(["tiffinfo", tif], check=True, capture_output=True, text=True).stdout
    check("tiffinfo: 1910 x 1331", "Image Width: 1910 Image Length: 1331" in info)
    check("tiffinfo: 8 bits, 3 samples",
          "Bits/Sample: 8" in info and "Samples/Pixel: 3" in info)
    check("tiffinfo: exactly 169.1 pixels/inch",
          re.search(r"Resolution: 169\.1, 169\.1 pixels/inch", info) is not None)
    check("tiffinfo: Deflate or LZW",
          re.search(r"Compression Scheme: (AdobeDeflate|Deflate|LZW)", info) is not None)
    check("tiffinfo: the profile is embedded", f"ICC Profile: <present>, {len(profile)} bytes" in info)

    with Image.open(png) as im:
        check("composite PNG is 8-bit RGB", im.format == "PNG" and im.mode == "RGB")
        check("composite PNG is 1910 x 1331", im.size == (1910, 1331))
        dpi = im.info.get("dpi", (0, 0))
        # pHYs holds whole pixels per metre: 6657 reads back as 169.09 dpi.
        check(f"composite PNG carries its resolution ({dpi[0]:.4g} dpi)",
              abs(dpi[0] - 169.1) < 0.02 and abs(dpi[1] - 169.1) < 0.02)
        check("composite PNG carries the frames' profile", im.info.get("icc_profile") == profile)
        check("composite PNG has the composite's pixels", im.tobytes() == reference)

    for name, kind in (("chart.TIFF", "TIFF"), ("chart.png", "PNG")):
        path = os.path.join(work, name)
        subprocess.run([cli, "chart", "--dpi", "1200", "-o", path], check=True,
                       capture_output=True)
        with Image.open(path) as im:
            check(f"chart {kind} is 1-bit", im.format == kind and im.mode == "1")
            check(f"chart {kind} is 6142 x 10866", im.size == (6142, 10866))
            dpi = im.info.get("dpi", (0, 0))
            check(f"chart {kind} carries 1200 dpi ({float(dpi[0]):.5g})",
                  abs(float(dpi[0]) - 1200) < 0.05)
    info = subprocess.run(["tiffinfo", os.path.join(work, "chart.TIFF")], check=True,
                          capture_output=True, text=True).stdout
    check("tiffinfo: chart in CCITT Group 4", "CCITT Group 4" in info)

sys.exit(1 if failures else 0)

#!/usr/bin/env python3
"""Decoding one 12 MP photograph of each kind, as the saver decodes every picture: the
program started as a decoder, writing the picture's bitmap file. Natively every kind; under
Wine the kinds its system decodes (JPEG, PNG). Each figure is the median of a few runs and
its ratio to the JPEG of the same run.
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
NATIVE = os.path.join(ROOT, "build", "linux", "vexaframe")
WINDOWS = os.path.join(ROOT, "build", "windows", "Vexaframe.scr")
WINE_RUN = os.path.join(ROOT, "cmake", "wine-run.sh")
RUNS = 5
SIZE = "4000x3000"
CONVERT = shutil.which("convert-im6.q16") or "convert"


def encode(folder):
    """The photograph (plasma has detail at every scale, as a photograph has) in each kind."""
    png = os.path.join(folder, "photograph.png")
    subprocess.run([CONVERT, "-seed", "7", "-size", SIZE, "plasma:fractal", "-strip", png],
                   check=True)
    made = {kind: os.path.join(folder, "photograph." + kind)
            for kind in ("png", "jpg", "webp", "heic", "avif")}
    commands = {
        "jpg": [CONVERT, png, "-quality", "90", made["jpg"]],
        "webp": ["cwebp", "-quiet", "-q", "90", png, "-o", made["webp"]],
        "heic": ["heif-enc", "-q", "90", "-o", made["heic"], png],
        "avif": ["avifenc", "-s", "8", png, made["avif"]],
    }
    for command in commands.values():
        subprocess.run(command, check=True, capture_output=True)
    return made


def median_seconds(command, environment):
    times = []
    for _ in range(RUNS + 1):  # the first warms the caches
        start = time.monotonic()
        finished = subprocess.run(command, env=environment, capture_output=True)
        times.append(time.monotonic() - start)
        if finished.returncode != 0:
            return None
    return statistics.median(times[1:])


def report(title, program_command, pictures, bitmap):
    environment = dict(os.environ, VEXAFRAME_PICTURE_DECODER="1")
    print(f"== {title}: decoding a {SIZE} photograph, median of {RUNS}")
    jpeg = None
    for kind in ("jpg", "heic", "png", "webp", "avif"):
        seconds = median_seconds(program_command(pictures[kind], bitmap), environment)
        if seconds is None:
            print(f"{kind:5} gives nothing here")
            continue
        jpeg = jpeg or seconds
        print(f"{kind:5} {seconds * 1000:7.0f} ms   {seconds / jpeg:5.2f} of JPEG")


def main():
    with tempfile.TemporaryDirectory(prefix="vexaframe-kinds-") as folder:
        pictures = encode(folder)
        bitmap = os.path.join(folder, "decoded.bmp")
        report("native", lambda picture, out: [NATIVE, picture, out], pictures, bitmap)
        if os.path.exists(WINDOWS):
            report("Wine", lambda picture, out: [WINE_RUN, WINDOWS, "Z:" + picture.replace("/", "\\"),
                                                 "Z:" + out.replace("/", "\\")],
                   pictures, bitmap)
    return 0


if __name__ == "__main__":
    sys.exit(main())

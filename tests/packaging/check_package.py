#!/usr/bin/env python3
"""Makes the build's package with cpack in a scratch folder and checks what a user receives:
the ZIP of the Windows build holds exactly a 64-bit Windows saver and the read-me files as they
are in the source tree; the Debian package installs the module and its description where
XScreenSaver looks for them.

Usage: check_package.py BUILD_DIR ENTRY... where an entry is a path inside the package, or
PATH=SOURCE when the packed file must hold the bytes of SOURCE.
"""

import glob
import os
import subprocess
import sys
import tempfile
import zipfile


def make_package(build_dir, scratch):
    subprocess.run(["cpack", "--config", os.path.join(build_dir, "CPackConfig.cmake"),
                    "-B", scratch], check=True, stdout=subprocess.DEVNULL)
    made = glob.glob(os.path.join(scratch, "*.zip")) + glob.glob(os.path.join(scratch, "*.deb"))
    if len(made) != 1:
        sys.exit(f"cpack made {made}, not one package")
    return made[0]


def zip_contents(package):
    with zipfile.ZipFile(package) as archive:
        return {info.filename: archive.read(info) for info in archive.infolist()
                if not info.is_dir()}


def deb_contents(package):
    listing = subprocess.run(["dpkg-deb", "-c", package], check=True, capture_output=True,
                             text=True).stdout
    # "-rwxr-xr-x root/root 12345 2026-01-01 00:00 ./usr/libexec/..."
    return {line.split()[-1].lstrip("."): None for line in listing.splitlines()
            if not line.startswith("d")}


def is_windows_x64_program(data):
    """An MZ file whose PE header names the x86-64 machine."""
    if data[:2] != b"MZ" or len(data) < 0x40:
        return False
    pe = int.from_bytes(data[0x3C:0x40], "little")
    return data[pe:pe + 4] == b"PE\0\0" and data[pe + 4:pe + 6] == (0x8664).to_bytes(2, "little")


def check(name, data, source):
    if source is not None:
        with open(source, "rb") as original:
            if data != original.read():
                return f"{name} differs from {source}"
    if name.endswith(".scr") and not is_windows_x64_program(data):
        return f"{name} is not a 64-bit Windows program"
    return None


def main():
    build_dir = sys.argv[1]
    expected = dict((entry.split("=", 1) + [None])[:2] for entry in sys.argv[2:])
    with tempfile.TemporaryDirectory() as scratch:
        package = make_package(build_dir, scratch)
        contents = zip_contents(package) if package.endswith(".zip") else deb_contents(package)
    shown = os.path.basename(package)
    if set(contents) != set(expected):
        sys.exit(f"{shown} holds {sorted(contents)}, not {sorted(expected)}")
    faults = [fault for name, data in contents.items() if data is not None
              for fault in [check(name, data, expected[name])] if fault]
    if faults:
        sys.exit(f"{shown}: " + "; ".join(faults))
    print(f"{shown}: {sorted(contents)}")


if __name__ == "__main__":
    main()

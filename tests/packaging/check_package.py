#!/usr/bin/env python3
"""Makes the build's package with cpack in a scratch folder and checks what a user receives:
the ZIP of the Windows build holds exactly a 64-bit Windows saver and the read-me files as they
are in the source tree; the Debian package installs exactly the module, an x86-64 Linux program,
and its description as it is in the source tree, where XScreenSaver looks for them.

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


def deb_contents(package, scratch):
    """Every file the package installs, by its path from /, as dpkg would put it there; a
    program's bytes only where its mode lets it run."""
    root = os.path.join(scratch, "installed")
    subprocess.run(["dpkg-deb", "-x", package, root], check=True)
    contents = {}
    for folder, _, files in os.walk(root):
        for file in files:
            path = os.path.join(folder, file)
            with open(path, "rb") as packed:
                data = packed.read()
            runnable = os.stat(path).st_mode & 0o111 == 0o111
            contents["/" + os.path.relpath(path, root)] = (data, runnable)
    return contents


def is_windows_x64_program(data):
    """An MZ file whose PE header names the x86-64 machine."""
    if data[:2] != b"MZ" or len(data) < 0x40:
        return False
    pe = int.from_bytes(data[0x3C:0x40], "little")
    return data[pe:pe + 4] == b"PE\0\0" and data[pe + 4:pe + 6] == (0x8664).to_bytes(2, "little")


def is_linux_x64_program(data):
    """A 64-bit little-endian ELF file for x86-64 that is a program: a fixed-address
    executable, or a position-independent one, which unlike a library names its interpreter."""
    if data[:6] != b"\x7fELF\x02\x01" or len(data) < 0x40:
        return False
    kind, machine = int.from_bytes(data[16:18], "little"), int.from_bytes(data[18:20], "little")
    if machine != 0x3E:
        return False
    header_offset = int.from_bytes(data[0x20:0x28], "little")
    header_size, count = (int.from_bytes(data[at:at + 2], "little") for at in (0x36, 0x38))
    segment_kinds = [int.from_bytes(data[at:at + 4], "little")
                     for at in range(header_offset, header_offset + header_size * count,
                                     header_size)]
    pt_interp, et_exec, et_dyn = 3, 2, 3
    return kind == et_exec or (kind == et_dyn and pt_interp in segment_kinds)


def check(name, packed, source):
    data, runnable = packed if isinstance(packed, tuple) else (packed, True)
    if source is not None:
        with open(source, "rb") as original:
            if data != original.read():
                return f"{name} differs from {source}"
    if name.endswith(".scr") and not is_windows_x64_program(data):
        return f"{name} is not a 64-bit Windows program"
    if "/libexec/" in name and not (runnable and is_linux_x64_program(data)):
        return f"{name} is not a runnable x86-64 Linux program"
    return None


def main():
    build_dir = sys.argv[1]
    expected = dict((entry.split("=", 1) + [None])[:2] for entry in sys.argv[2:])
    with tempfile.TemporaryDirectory() as scratch:
        package = make_package(build_dir, scratch)
        contents = (zip_contents(package) if package.endswith(".zip") else
                    deb_contents(package, scratch))
    shown = os.path.basename(package)
    if set(contents) != set(expected):
        sys.exit(f"{shown} holds {sorted(contents)}, not {sorted(expected)}")
    faults = [fault for name, packed in contents.items()
              for fault in [check(name, packed, expected[name])] if fault]
    if faults:
        sys.exit(f"{shown}: " + "; ".join(faults))
    print(f"{shown}: {sorted(contents)}")


if __name__ == "__main__":
    main()

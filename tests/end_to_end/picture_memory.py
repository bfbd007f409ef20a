"""The memory a saver and its picture decoders hold, as /proc tells it, and the pictures that
test it: one very large JPEG among small ones. Shared by the native and the Wine tests.
"""

import os
import struct
import subprocess
import time

from end_to_end import RUN_BOUND_SECONDS, Failure, stopping

LARGE_SIDE = 16000
# A decoder is the program started again with this in its environment.
DECODER_MARK = b"VEXAFRAME_PICTURE_DECODER=1"
SAVER_PEAK_BOUND = 300 << 20
DECODER_PEAK_BOUND = 1536 << 20
CHANGES_AFTER_LARGE = 2
# The large picture takes seconds to decode; this only guards against a hang.
LARGE_CYCLE_BOUND_SECONDS = 4 * RUN_BOUND_SECONDS
SAMPLE_SECONDS = 0.05


def large_jpeg(path, side=LARGE_SIDE):
    """A side x side JPEG of a gradient at `path`, made by cjpeg from a pixel stream, as
    ImageMagick's policy refuses pictures this large. Of few megabytes, quickly encoded."""
    row = bytes(value for x in range(side)
                for value in (x * 255 // side, 128, 255 - x * 255 // side))
    with open(path, "wb") as out, stopping(subprocess.Popen(
            ["cjpeg", "-quality", "75"], stdin=subprocess.PIPE, stdout=out)) as encoder:
        encoder.stdin.write(f"P6 {side} {side} 255\n".encode())
        for _ in range(side):
            encoder.stdin.write(row)
        encoder.stdin.close()
        if encoder.wait(RUN_BOUND_SECONDS) != 0:
            raise Failure(f"cjpeg failed with code {encoder.returncode}")
    return path


def status_bytes(pid, field="VmRSS"):
    """A figure of /proc/<pid>/status (VmRSS, VmHWM) in bytes; None once the process is gone."""
    try:
        with open(f"/proc/{pid}/status") as status:
            kilobytes = next(line.split()[1] for line in status if line.startswith(field + ":"))
    except (FileNotFoundError, ProcessLookupError, StopIteration):
        return None
    return int(kilobytes) * 1024


def resident_bytes(pid):
    return status_bytes(pid) or 0


def staged_version(bitmap):
    """What tells one staged picture from the next: each is a new file moved into place."""
    try:
        status = os.stat(bitmap)
    except FileNotFoundError:
        return None
    return status.st_ino, status.st_mtime_ns


def staged_is_square(bitmap):
    """Whether the staged bitmap's header gives it as wide as high."""
    try:
        with open(bitmap, "rb") as file:
            header = file.read(26)
    except FileNotFoundError:
        return False
    if len(header) < 26:
        return False
    width, height = struct.unpack_from("<ii", header, 18)
    return width == abs(height)


def pids_where(matches):
    """The running processes for which `matches(command_line, environment)` holds: the
    command line as bytes, the environment as a list of its entries' bytes."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as file:
                command_line = file.read()
            with open(f"/proc/{pid}/environ", "rb") as file:
                environment = file.read().split(b"\0")
        except OSError:
            continue
        if matches(command_line, environment):
            found.append(int(pid))
    return found


class MemoryPeaks:
    """The most the saver `pid` and each decoder held: the saver's from its own high-water
    mark, the decoders' from theirs, read for as long as each is seen living. `is_decoder`
    tells a decoder as pids_where's `matches` does."""

    def __init__(self, pid, is_decoder):
        self.pid, self.is_decoder = pid, is_decoder
        self.saver_peak, self.decoder_peaks = 0, {}

    def sample(self):
        self.saver_peak = max(self.saver_peak, status_bytes(self.pid, "VmHWM") or 0)
        for pid in set(pids_where(self.is_decoder)) - {self.pid}:
            peak = status_bytes(pid, "VmHWM") or 0
            self.decoder_peaks[pid] = max(self.decoder_peaks.get(pid, 0), peak)

    def report(self):
        print(f"  saver peak resident memory: {self.saver_peak >> 20} MiB", flush=True)
        for pid, peak in self.decoder_peaks.items():
            print(f"  decoder {pid} peak resident memory: {peak >> 20} MiB", flush=True)


def expect_large_picture_in_bounded_memory(saver, is_decoder):
    """Samples the memory of `saver` (its process and its staged `bitmap`) and of the decoders
    `is_decoder` tells (see MemoryPeaks) until the large picture, the only square one at
    whatever size it is staged, and CHANGES_AFTER_LARGE more after it have been staged; the
    saver then held less than SAVER_PEAK_BOUND and each decoder less than DECODER_PEAK_BOUND."""
    peaks = MemoryPeaks(saver.process.pid, is_decoder)
    version, changes_after = staged_version(saver.bitmap), None
    deadline = time.monotonic() + LARGE_CYCLE_BOUND_SECONDS
    while ((changes_after or 0) < CHANGES_AFTER_LARGE and time.monotonic() < deadline
           and saver.process.poll() is None):
        peaks.sample()
        now = staged_version(saver.bitmap)
        if now != version:
            version = now
            if changes_after is not None:
                changes_after += 1
            elif staged_is_square(saver.bitmap):
                changes_after = 0
        time.sleep(SAMPLE_SECONDS)
    peaks.sample()
    peaks.report()
    if saver.process.poll() is not None:
        raise Failure(f"the saver ended with code {saver.process.returncode}: {saver.said()}")
    if changes_after is None:
        raise Failure(f"the large picture was not staged within {LARGE_CYCLE_BOUND_SECONDS} s")
    if changes_after < CHANGES_AFTER_LARGE:
        raise Failure(f"{changes_after} changes after the large picture within "
                      f"{LARGE_CYCLE_BOUND_SECONDS} s")
    if not peaks.decoder_peaks:
        raise Failure("no decoder was seen")
    if peaks.saver_peak >= SAVER_PEAK_BOUND:
        raise Failure(f"the saver held {peaks.saver_peak >> 20} MiB")
    greatest = max(peaks.decoder_peaks.values())
    if greatest >= DECODER_PEAK_BOUND:
        raise Failure(f"a decoder held {greatest >> 20} MiB")

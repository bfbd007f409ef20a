"""What the benchmarks that run the real Vexaframe.scr under Wine share: the command line
that names the build's files, and a Wine session on a virtual display of its own."""

import argparse
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "windows")
sys.path.insert(0, os.path.join(ROOT, "tests", "end_to_end"))
import end_to_end  # noqa: E402  (the end-to-end tests' helpers)
import wine_session  # noqa: E402


def argument_parser(description, prefix_name):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--saver", default=os.path.join(BUILD, "Vexaframe.scr"))
    parser.add_argument("--probe", default=os.path.join(BUILD, "tests", "wine", "window_probe.exe"))
    parser.add_argument("--wine-run", default=os.path.join(ROOT, "cmake", "wine-run.sh"))
    parser.add_argument("--wine-prefix", default=os.path.join(BUILD, "benchmarks", prefix_name))
    parser.add_argument("--samples", default=os.path.join(BUILD, "samples"))
    return parser


def run(options, body, name):
    """Runs body(session) in a fresh session; the exit code says whether it got through."""
    session = wine_session.WineSession(options)
    try:
        session.start()
        body(session)
    except end_to_end.Failure as failure:
        print(f"{name} failed: {failure}")
        return 1
    finally:
        session.close()
    return 0

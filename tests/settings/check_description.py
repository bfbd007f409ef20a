#!/usr/bin/env python3
"""check_description.py DESCRIPTION.xml PRINT_OPTION_TABLE: fails unless every control of
XScreenSaver's description passes a frame or setting option of the table with the table's kind,
default and range, each such option has its control, and the command passes a window flag.
A select passes one choice option by its words, or a switch of its own from each option.
"""
import subprocess
import sys
import xml.etree.ElementTree as ElementTree


def option_name(arg):
    """'--name %' or '--name word' -> ('name', 'word' or None)."""
    if not arg.startswith("--"):
        raise ValueError(f"{arg!r} does not start with two dashes")
    name, _, value = arg[2:].partition(" ")
    return name, value or None


def described(root):
    """The options the description passes: name -> (kind, default, minimum, maximum, choices)."""
    options = {}

    def add(name, entry):
        if name in options:
            raise ValueError(f"--{name} is passed by two controls")
        options[name] = entry

    for number in root.iter("number"):
        name, _ = option_name(number.get("arg"))
        add(name, ("number", number.get("default"), number.get("low"), number.get("high"), ""))
    for chooser in root.iter("file"):
        name, _ = option_name(chooser.get("arg"))
        add(name, ("path", "", "0", "0", ""))
    for box in root.iter("boolean"):
        if box.get("arg-set"):
            name, _ = option_name(box.get("arg-set"))
            add(name, ("switch", "off", "0", "0", ""))
        else:
            name, _ = option_name(box.get("arg-unset"))
            add(name.removeprefix("no-"), ("switch", "on", "0", "0", ""))
    for select in root.iter("select"):
        names, words, default = set(), set(), None
        for option in select.iter("option"):
            if not option.get("arg-set"):
                if default is not None:
                    raise ValueError(f"select {select.get('id')!r} has two options without an arg")
                default = option.get("id")
                continue
            name, word = option_name(option.get("arg-set"))
            if word is None:  # a switch of its own, on only while this option is chosen
                add(name, ("switch", "off", "0", "0", ""))
                continue
            names.add(name)
            if word != option.get("id"):
                raise ValueError(f"option {option.get('id')!r} passes {word!r}")
            words.add(word)
        if len(names) > 1 or default is None:
            raise ValueError(f"select {select.get('id')!r} passes {names} with default {default}")
        if names:
            add(names.pop(), ("choice", default, "0", "0", ",".join(sorted(words | {default}))))
    return options


def tabled(program):
    """name -> (kind, default, minimum, maximum, choices), and the groups of the names."""
    options, groups = {}, {}
    lines = subprocess.run([program], check=True, capture_output=True, text=True).stdout
    for line in lines.splitlines():
        name, kind, group, default, minimum, maximum, choices = line.split("\t")
        options[name] = (kind, default, minimum, maximum, ",".join(sorted(choices.split(","))))
        groups[name] = group
    return options, groups


def main():
    root = ElementTree.parse(sys.argv[1]).getroot()
    table, groups = tabled(sys.argv[2])
    faults = []

    command = root.find("command").get("arg")
    name, _ = option_name(command)
    if groups.get(name) != "window" or table[name][0] != "flag":
        faults.append(f"the command passes {command!r}, which is no window flag of the table")

    expected = {name: entry for name, entry in table.items()
                if groups[name] in ("frames", "setting")}
    given = described(root)
    for name in sorted(expected.keys() | given.keys()):
        if name not in given:
            faults.append(f"--{name} has no control in the description")
        elif name not in expected:
            faults.append(f"the description passes --{name}, which the table does not describe")
        elif given[name] != expected[name]:
            faults.append(f"--{name}: the description gives {given[name]}, "
                          f"the table {expected[name]}")
    for fault in faults:
        print(fault)
    print(f"{len(expected)} options compared, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())

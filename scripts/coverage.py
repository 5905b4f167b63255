#!/usr/bin/env python3
"""Line coverage of the product from a coverage build's counts (scripts/coverage.sh runs it).

    coverage.py <build folder> [--functions N]

Reads the notes (.gcno) of the product's own objects (the two libraries and the exe) with
the x86_64 mingw gcov, counts (.gcda) where a run left them, a note without counts as never
run. A line is covered when any object's count for it is above zero: a header's line is
compiled into many objects. Prints the lines covered per product folder and in all, then the
functions that leave the most lines unrun.
"""
import argparse
import json
import os
import subprocess
import sys

GCOV = "x86_64-w64-mingw32-gcov"
FOLDERS = ("common", "settings", "filecopy", "process", "launcher", "ui", "skin")
# The product's objects; the tests' own and GoogleTest's are left out.
OBJECT_DIRS = ("stowlet_pure.dir", "stowlet_core.dir", "Stowlet.dir")


def notes(build):
    for target in OBJECT_DIRS:
        top = os.path.join(build, "CMakeFiles", target)
        for folder, _, names in os.walk(top):
            for name in sorted(names):
                if name.endswith(".gcno"):
                    yield os.path.join(folder, name)


def read_counts(note, source_top):
    """Yields (relative path, line, count, function) for each line of the product in one object."""
    run = subprocess.run([GCOV, "--json-format", "--stdout", "--object-directory", os.path.dirname(note), note],
                         capture_output=True, text=True, check=False)
    for message in run.stderr.splitlines():
        # A missing count file only means nothing of that object ran; an object may hold no code
        # (common/time_mark.cpp without its build option).
        if "cannot open data file" not in message and "no functions found" not in message:
            print(f"coverage: {os.path.basename(note)}: {message}", file=sys.stderr)
    for text in run.stdout.splitlines():
        if not text.strip():
            continue
        for record in json.loads(text)["files"]:
            path = os.path.normpath(os.path.join(source_top, record["file"]))
            relative = os.path.relpath(path, source_top)
            if relative.split(os.sep)[0] not in FOLDERS:
                continue
            names = {f["name"]: f["demangled_name"] for f in record["functions"]}
            for line in record["lines"]:
                function = line.get("function_name", "")
                yield relative, line["line_number"], line["count"], names.get(function, function)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--functions", type=int, default=15, help="how many of the least-run functions to list")
    options = parser.parse_args()
    source_top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

    lines = {}  # (path, line) -> run
    functions = {}  # (path, function) -> {line: run}
    found = False
    for note in notes(options.build):
        found = True
        for path, number, count, function in read_counts(note, source_top):
            run = count > 0
            lines[(path, number)] = lines.get((path, number), False) or run
            body = functions.setdefault((path, function), {})
            body[number] = body.get(number, False) or run
    if not found:
        sys.exit(f"coverage: no notes (.gcno) under {options.build}: build the coverage preset first")

    print(f"{'folder':<10} {'lines':>7} {'run':>7} {'cover':>7}")
    total = covered = 0
    for folder in FOLDERS:
        runs = [run for (path, _), run in lines.items() if path.split(os.sep)[0] == folder]
        total += len(runs)
        covered += sum(runs)
        share = 100.0 * sum(runs) / len(runs) if runs else 0.0
        print(f"{folder:<10} {len(runs):>7} {sum(runs):>7} {share:>6.1f}%")
    print(f"{'total':<10} {total:>7} {covered:>7} {100.0 * covered / max(total, 1):>6.1f}%")

    print(f"\nThe {options.functions} functions with the most lines never run:")
    ranked = sorted(functions.items(), key=lambda item: (-sum(not run for run in item[1].values()), item[0]))
    for (path, function), body in ranked[: options.functions]:
        unrun = sum(not run for run in body.values())
        print(f"  {unrun:>4} of {len(body):>4} lines unrun  {path}: {function}")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Checks a release zip: its name and checksum file, that it unpacks, that the exe inside is
byte for byte the build's exe (machine and version included), the sample settings file, the
licence, and that every page of the guide finds the pages and pictures it links to.

usage: check_release.py --exe <built Stowlet.exe> --arch <win32|win64> --version <version>
                        (--zip <zip> | --cpack <cpack> --config <CPackConfig.cmake> --work <folder>)
With --cpack the zip is made afresh into the work folder first. Prints one line per failed
check and exits 1 when any failed.
"""
import argparse
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import zipfile

# The keys of a task section, as the settings file holds them.
KEYS = {
    "CopySource", "CopySubFolders", "CopyTarget", "CopyOverwrite", "Program", "Parameters", "WorkingDir",
    "Unhide", "Show", "AskExecute", "Term", "CopyAfterExecute", "AskCopy", "Timeout", "CopyBeforeExecute",
    "AskCopyBefore", "CopyModifiedFiles", "CopyModifiedFilesHour", "CopyModifiedFilesMinute",
}
MACHINES = {"win32": 0x14C, "win64": 0x8664}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def make_zip(args, name):
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    run = subprocess.run([args.cpack, "-G", "ZIP", "--config", args.config, "-B", args.work],
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if run.returncode != 0:
        print(run.stdout)
    check(run.returncode == 0, "cpack failed")
    return os.path.join(args.work, name)


def check_checksum(zip_path):
    sums = zip_path + ".sha256"
    if not check(os.path.isfile(sums), "no checksum file %s" % os.path.basename(sums)):
        return
    fields = open(sums, encoding="ascii").read().split()
    digest = hashlib.sha256(open(zip_path, "rb").read()).hexdigest()
    check(len(fields) == 2 and fields[0].lower() == digest, "the checksum file does not match the zip")
    check(len(fields) == 2 and fields[1] == os.path.basename(zip_path), "the checksum file names %r" % fields[1:])


def pe_machine(data):
    at = struct.unpack_from("<I", data, 0x3C)[0]
    return struct.unpack_from("<H", data, at + 4)[0] if data[at:at + 4] == b"PE\0\0" else None


def check_exe(path, args):
    data = open(path, "rb").read()
    check(data == open(args.exe, "rb").read(), "Stowlet.exe in the zip is not the build's exe")
    check(pe_machine(data) == MACHINES[args.arch], "Stowlet.exe is not a %s program" % args.arch)
    wanted = "FileVersion\0".encode("utf-16-le")
    at = data.find(wanted)
    version = None
    if at >= 0:
        text = data[at + len(wanted):at + len(wanted) + 128].decode("utf-16-le", errors="replace")
        version = text.lstrip("\0").split("\0")[0]
    check(version == args.version, "the exe's FileVersion is %r, the package's %r" % (version, args.version))


def check_sample(path):
    raw = open(path, "rb").read()
    check(b"\n" not in raw.replace(b"\r\n", b""), "the sample settings file has line ends other than CRLF")
    text = raw.decode("ascii")
    check(not re.search(r"@\w+@", text), "the sample settings file holds a placeholder")
    sections = []
    for number, line in enumerate(text.split("\r\n"), 1):
        line = line.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("["):
            sections.append(line)
            continue
        key = line.split("=", 1)[0]
        check("=" in line and key in KEYS, "sample line %d: %r is no key of a task" % (number, line))
    check(sections == ["[PREVIOUS]", "[OPTIONS]"], "the sample's sections are %s" % sections)


def check_licence(path):
    text = open(path, "rb").read().decode("ascii")
    check("MIT License" in text and "The Stowlet developers" in text, "LICENSE.txt is not the MIT licence of the project")


def check_guide(folder):
    pages = sorted(name for name in os.listdir(folder) if name.endswith(".md"))
    check("guide.md" in pages, "the guide has no guide.md")
    linked = set()
    for page in pages:
        text = open(os.path.join(folder, page), encoding="utf-8").read()
        for target in re.findall(r"\]\(([^)\s#]+)(?:#[^)]*)?\)", text):
            if re.match(r"[a-z]+:", target):
                continue
            linked.add(target)
            check(os.path.isfile(os.path.join(folder, target)), "guide/%s links %s, which the zip lacks" % (page, target))
    for name in os.listdir(folder):
        check(name in linked or name == "guide.md", "guide/%s is linked from no page" % name)


def main():
    parser = argparse.ArgumentParser()
    for option in ("--exe", "--arch", "--version"):
        parser.add_argument(option, required=True)
    for option in ("--zip", "--cpack", "--config", "--work"):
        parser.add_argument(option)
    args = parser.parse_args()
    top = "Stowlet-%s-%s" % (args.version, args.arch)
    zip_path = args.zip or make_zip(args, top + ".zip")
    if not check(os.path.basename(zip_path) == top + ".zip", "the zip is named %s" % os.path.basename(zip_path)):
        zip_path = None
    if zip_path and check(os.path.isfile(zip_path), "no %s" % zip_path):
        check_checksum(zip_path)
        unpacked = os.path.join(os.path.dirname(os.path.abspath(zip_path)), "unpacked-" + args.arch)
        shutil.rmtree(unpacked, ignore_errors=True)
        with zipfile.ZipFile(zip_path) as archive:
            check(archive.testzip() is None, "the zip is damaged")
            names = archive.namelist()
            check(all(n.startswith(top + "/") for n in names), "the zip has entries outside %s/" % top)
            archive.extractall(unpacked)
        root = os.path.join(unpacked, top)
        files = sorted(os.path.relpath(os.path.join(d, f), root).replace(os.sep, "/")
                       for d, _, fs in os.walk(root) for f in fs)
        for name in ("Stowlet.exe", "Stowlet.sample.ini", "LICENSE.txt"):
            check(name in files, "the zip lacks %s" % name)
        others = [f for f in files if f not in ("Stowlet.exe", "Stowlet.sample.ini", "LICENSE.txt")
                  and not f.startswith("guide/")]
        check(not others, "the zip holds more than the exe, the sample, the licence and the guide: %s" % others)
        # No settings file of the exe's own name: a double-click must show the help, not run tasks.
        check("Stowlet.ini" not in files, "the zip holds Stowlet.ini beside the exe")
        if "Stowlet.exe" in files:
            check_exe(os.path.join(root, "Stowlet.exe"), args)
        if "Stowlet.sample.ini" in files:
            check_sample(os.path.join(root, "Stowlet.sample.ini"))
        if "LICENSE.txt" in files:
            check_licence(os.path.join(root, "LICENSE.txt"))
        if check(os.path.isdir(os.path.join(root, "guide")), "the zip has no guide folder"):
            check_guide(os.path.join(root, "guide"))
        shutil.rmtree(unpacked, ignore_errors=True)
    for failure in failures:
        print("FAIL: " + failure)
    print("%s: %d checks failed" % (zip_path or top + ".zip", len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

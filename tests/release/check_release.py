#!/usr/bin/env python3
"""Checks a release zip: its name and checksum file, that it unpacks, that the exe inside is
byte for byte the build's exe (machine and version included), README.txt and CHANGES.txt, the
sample settings file, the licence, that every HTML page of the guide finds the pages, anchors
and pictures it links to, offline, and that no file holds a placeholder web address.

usage: check_release.py --exe <built Stowlet.exe> --arch <win32|win64> --version <version>
                        (--zip <zip> | --cpack <cpack> --config <CPackConfig.cmake> --work <folder>)
With --cpack the zip is made afresh into the work folder first. Prints one line per failed
check and exits 1 when any failed.
"""
import argparse
import html.parser
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


def read_windows_text(path, name):
    """The text of a file a Windows user opens with Notepad: ASCII, CRLF, no @PLACEHOLDER@."""
    raw = open(path, "rb").read()
    check(b"\n" not in raw.replace(b"\r\n", b""), "%s has line ends other than CRLF" % name)
    text = raw.decode("ascii", errors="replace")
    check(not re.search(r"@\w+@", text), "%s holds a placeholder" % name)
    return text


def check_readme(path, args):
    text = read_windows_text(path, "README.txt")
    lines = text.split("\r\n")
    check(len(lines) <= 30 and max(len(line) for line in lines) <= 80, "README.txt is longer than a screenful")
    check(args.version in lines[0] and {"win32": "32-bit", "win64": "64-bit"}[args.arch] in lines[0],
          "README.txt's first line names neither version nor build: %r" % lines[0])
    for needed in ("Stowlet.exe", "guide\\guide.html", "Stowlet.sample.ini", "CHANGES.txt"):
        check(needed in text, "README.txt does not mention %s" % needed)


def check_changes(path, args):
    text = read_windows_text(path, "CHANGES.txt")
    check(args.version in text, "CHANGES.txt has no entry for %s" % args.version)


def check_sample(path):
    text = read_windows_text(path, "the sample settings file")
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


class PageParser(html.parser.HTMLParser):
    """The links, pictures and anchors of one HTML page."""

    def __init__(self):
        super().__init__()
        self.links, self.pictures, self.anchors = [], [], set()

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if attrs.get("id"):
            self.anchors.add(attrs["id"])
        if tag == "a" and "href" in attrs:
            self.links.append(attrs["href"])
        if tag in ("img", "script", "link") and (attrs.get("src") or attrs.get("href")):
            self.pictures.append(attrs.get("src") or attrs.get("href"))


def check_guide(folder):
    names = sorted(os.listdir(folder))
    pages = [n for n in names if n.endswith(".html")]
    check("guide.html" in pages, "the guide has no guide.html")
    check(not [n for n in names if n.endswith(".md")], "the guide holds Markdown pages")
    parsed = {}
    for page in pages:
        raw = open(os.path.join(folder, page), "rb").read()
        check(raw.startswith(b"<!DOCTYPE html>") and b'charset="utf-8"' in raw, "guide/%s is no HTML page" % page)
        parser = PageParser()
        parser.feed(raw.decode("utf-8"))
        parsed[page] = parser
    used = {"guide.html"}
    for page, parser in parsed.items():
        for target in parser.links + parser.pictures:
            # Readable offline: every link and picture is a file of the guide.
            if not check(not re.match(r"[a-z][a-z0-9+.-]*:|//", target, re.I),
                         "guide/%s points outside the guide: %s" % (page, target)):
                continue
            file, _, anchor = target.partition("#")
            file = file or page
            used.add(file)
            if not check(file in names, "guide/%s links %s, which the zip lacks" % (page, file)):
                continue
            if anchor and file in parsed:
                check(anchor in parsed[file].anchors, "guide/%s links %s#%s, which has no such anchor" % (page, file, anchor))
    for name in names:
        check(name in used, "guide/%s is linked from no page" % name)


def check_no_placeholder_address(root, files):
    # Reserved example domains (RFC 2606) stand for an address nobody filled in; the exe holds
    # its texts in ANSI and, in its resources, in UTF-16.
    pattern = re.compile(rb"[a-z0-9-]+\.(example|invalid)\b|\bexample\.(com|net|org)\b", re.I)
    for name in files:
        data = open(os.path.join(root, name), "rb").read()
        found = pattern.search(data) or pattern.search(data.replace(b"\0", b""))
        check(not found, "%s holds the placeholder address %r" % (name, found and found.group(0)))


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
        top_files = ("Stowlet.exe", "README.txt", "CHANGES.txt", "Stowlet.sample.ini", "LICENSE.txt")
        for name in top_files:
            check(name in files, "the zip lacks %s" % name)
        others = [f for f in files if f not in top_files and not f.startswith("guide/")]
        check(not others, "the zip holds more than %s and the guide: %s" % (", ".join(top_files), others))
        check_no_placeholder_address(root, files)
        # No settings file of the exe's own name: a double-click must show the help, not run tasks.
        check("Stowlet.ini" not in files, "the zip holds Stowlet.ini beside the exe")
        if "Stowlet.exe" in files:
            check_exe(os.path.join(root, "Stowlet.exe"), args)
        if "README.txt" in files:
            check_readme(os.path.join(root, "README.txt"), args)
        if "CHANGES.txt" in files:
            check_changes(os.path.join(root, "CHANGES.txt"), args)
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

#!/usr/bin/env python3
"""Checks a release zip: its name and checksum file, that it unpacks, that the exe inside is
byte for byte the build's exe (machine and version included), README.txt and CHANGES.txt, the
sample settings file, the licence, that every HTML page of the guide finds the pages, anchors
and pictures it links to, offline, that no file holds a placeholder web address, and that each
page shows what its Markdown page reads: no raw fence, no settings example run into one inline
line, as many code blocks as the Markdown has, step numbers as written and running on, a
contents list on a long page.

usage: check_release.py --exe <built Stowlet.exe> --arch <win32|win64> --version <version>
                        (--zip <zip> | --cpack <cpack> --config <CPackConfig.cmake> --work <folder>)
                        [--docs <the guide's Markdown folder, default docs/ of this source tree>]
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
# A page with this many sections (## headings) or more needs a contents list.
CONTENTS_FROM = 3
DOCS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs")

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
    # The version resource's own FileVersion: the program's code names the key too.
    wanted = "FileVersion\0".encode("utf-16-le")
    resource = data.find("VS_VERSION_INFO\0".encode("utf-16-le"))
    at = data.find(wanted, resource) if resource >= 0 else -1
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
    # The two tasks, then the optional [RUN] section, whose keys the sample leaves commented out.
    check(sections in (["[PREVIOUS]", "[OPTIONS]"], ["[PREVIOUS]", "[OPTIONS]", "[RUN]"]),
          "the sample's sections are %s" % sections)


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


class ShownParser(html.parser.HTMLParser):
    """What a browser shows of a page: its code blocks, its inline code, the numbers of its
    ordered list items in reading order, the heading each list falls under, and its text."""

    def __init__(self):
        super().__init__()
        self.blocks = 0
        self.inline_code = []
        self.numbers = []   # (section, depth, first item of its list, number)
        self.lists = []     # the open lists: [ordered, next number, depth]
        self.section = ""
        self.sections = 0
        self.contents = False
        self.text = []
        self.in_pre = 0
        self.code = None
        self.heading = None
        self.open_tags = []         # the elements open around the one being read
        self.pre_in_paragraph = 0   # code blocks a paragraph holds: a browser breaks them out
        self.continued_lists = []   # (section, start) of ordered lists that begin past 1

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag not in ("br", "img", "hr", "meta", "link", "input"):
            self.open_tags.append(tag)
        if tag == "pre":
            if "p" in self.open_tags[:-1]:
                self.pre_in_paragraph += 1
            self.in_pre += 1
            self.blocks += 1
        elif tag == "code" and not self.in_pre:
            self.code = []
        elif tag in ("ol", "ul"):
            start = int(attrs.get("start") or 1) if tag == "ol" else 0
            if tag == "ol" and start != 1:
                self.continued_lists.append((self.section, start))
            self.lists.append([tag == "ol", start, True])
        elif tag == "li" and self.lists and self.lists[-1][0]:
            depth = sum(1 for open_list in self.lists if open_list[0])
            self.numbers.append((self.section, depth, self.lists[-1][2], self.lists[-1][1]))
            self.lists[-1][1] += 1
            self.lists[-1][2] = False
        elif tag in ("h1", "h2", "h3"):
            self.heading = []
            if tag == "h2":
                self.sections += 1
        elif tag == "nav" and "toc" in (attrs.get("class") or "").split():
            self.contents = True

    def handle_endtag(self, tag):
        if tag in self.open_tags:
            while self.open_tags and self.open_tags.pop() != tag:
                pass
        if tag == "pre":
            self.in_pre -= 1
        elif tag == "code" and self.code is not None:
            self.inline_code.append("".join(self.code))
            self.code = None
        elif tag in ("ol", "ul") and self.lists:
            self.lists.pop()
        elif tag in ("h1", "h2", "h3") and self.heading is not None:
            self.section = "".join(self.heading)
            self.heading = None

    def handle_data(self, data):
        self.text.append(data)
        if self.code is not None:
            self.code.append(data)
        if self.heading is not None:
            self.heading.append(data)


def markdown_shape(text):
    """The code blocks and the ordered list items' numbers, in reading order, that a Markdown
    page is written with."""
    blocks, numbers = 0, []
    fence = None
    for line in text.splitlines():
        stripped = line.strip()
        if fence:
            if stripped == fence:
                fence = None
            continue
        opening = re.match(r"(`{3,}|~{3,})", stripped)
        if opening:
            fence = opening.group(1)
            blocks += 1
            continue
        item = re.match(r"\s*(\d+)\. ", line)
        if item:
            numbers.append(int(item.group(1)))
    return blocks, numbers


def check_page_shows_its_markdown(page, raw, markdown_text):
    shown = ShownParser()
    shown.feed(raw)
    text = "".join(shown.text)
    check("```" not in text and "~~~" not in text, "guide/%s shows a raw code fence" % page)
    # A settings example is a block of lines: in one inline line it cannot be pasted.
    keys = "|".join(sorted(KEYS))
    for code in shown.inline_code:
        lines = re.findall(r"\[(?:OPTIONS|PREVIOUS)\]|\b(?:%s)=" % keys, code)
        inline = len(lines) > 1 or re.match(r"\s*ini\s", code)
        check(not inline, "guide/%s shows a settings example inline: %r" % (page, code[:60]))
    # A list item that starts again at 1 under the same heading as an earlier list of the same
    # depth restarts one procedure's steps.
    seen = set()
    for section, depth, first, number in shown.numbers:
        check(not (first and number == 1 and (section, depth) in seen),
              "guide/%s: the steps under %r start again at 1" % (page, section))
        seen.add((section, depth))
    # A code block inside a paragraph is what a list item's block turns into when its indent
    # falls out of step: the browser shows it outside the step it belongs to.
    check(shown.pre_in_paragraph == 0,
          "guide/%s holds %d code block(s) inside a paragraph" % (page, shown.pre_in_paragraph))
    # A numbered list that begins past 1 carries on a list that broke off: one procedure shown
    # as two lists.
    for section, start in shown.continued_lists:
        check(False, "guide/%s: the steps under %r break off and restart at %d" % (page, section, start))
    check(shown.sections < CONTENTS_FROM or shown.contents,
          "guide/%s has %d sections and no contents list" % (page, shown.sections))
    if markdown_text is None:
        return
    blocks, numbers = markdown_shape(markdown_text)
    check(shown.blocks >= blocks,
          "guide/%s shows %d code blocks, its Markdown has %d" % (page, shown.blocks, blocks))
    check([n[3] for n in shown.numbers] == numbers,
          "guide/%s numbers its steps %s, its Markdown %s" % (page, [n[3] for n in shown.numbers], numbers))


def check_guide(folder, docs=DOCS):
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
        source = os.path.join(docs, page[:-5] + ".md")
        markdown_text = open(source, encoding="utf-8").read() if os.path.isfile(source) else None
        check(markdown_text is not None, "guide/%s has no Markdown page %s" % (page, source))
        check_page_shows_its_markdown(page, raw.decode("utf-8"), markdown_text)
    # Every page of the guide is in the zip; docs/architecture.md is for developers.
    for source in sorted(os.listdir(docs)):
        if source.endswith(".md") and source != "architecture.md":
            check(source[:-3] + ".html" in pages, "the guide lacks %s.html (docs/%s)" % (source[:-3], source))
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
    parser.add_argument("--docs", default=DOCS)
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
            check_guide(os.path.join(root, "guide"), args.docs)
        shutil.rmtree(unpacked, ignore_errors=True)
    for failure in failures:
        print("FAIL: " + failure)
    print("%s: %d checks failed" % (zip_path or top + ".zip", len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

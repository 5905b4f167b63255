#!/usr/bin/env python3
"""Turns the user guide's Markdown pages into HTML pages for the release zip, with Debian's
python3-markdown and python3-pymdownx: one page per Markdown page, links between pages pointing
at the .html pages, the pictures copied beside them. The pages need nothing but the files beside
them, so they read offline in any browser.

Code blocks inside list items are fenced blocks indented to the item's text (superfences); list
items nest and continue at four spaces; a list keeps the number its first item is written with
(sane_lists), and a page with three sections or more gets a contents list under its back link.

usage: guide_html.py <version> <output folder> <page.md>... <picture>...
"""
import html
import os
import shutil
import sys

import markdown
from markdown.treeprocessors import Treeprocessor

PAGE = """<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>{title} - Stowlet {version}</title>
<style>
body {{ font-family: "Segoe UI", Tahoma, sans-serif; max-width: 52em; margin: 1em auto; padding: 0 1em; line-height: 1.45; color: #202020; }}
code, pre {{ font-family: Consolas, "Courier New", monospace; background: #f3f3f3; }}
pre {{ padding: .6em; overflow-x: auto; }}
table {{ border-collapse: collapse; margin: .8em 0; }}
th, td {{ border: 1px solid #c8c8c8; padding: .25em .5em; text-align: left; vertical-align: top; }}
th {{ background: #ececec; }}
img {{ max-width: 100%; border: 1px solid #c8c8c8; }}
.toc {{ border-left: 3px solid #c8c8c8; padding-left: 1em; margin: 1em 0; }}
.toc p {{ margin: 0; font-weight: bold; }}
.toc ul {{ margin: .3em 0; }}
.footer {{ margin-top: 2em; font-size: smaller; color: #606060; }}
</style>
</head>
<body>
{body}
<p class="footer">Stowlet {version} user guide</p>
</body>
</html>
"""


class LocalLinks(Treeprocessor):
    """Links to a guide page (page.md or page.md#part) point at its HTML page."""

    def run(self, root):
        for element in root.iter("a"):
            target = element.get("href", "")
            page, hash_mark, part = target.partition("#")
            if page.endswith(".md") and ":" not in page:
                element.set("href", page[:-3] + ".html" + hash_mark + part)


class LocalLinksExtension(markdown.Extension):
    def extendMarkdown(self, md):
        md.treeprocessors.register(LocalLinks(md), "stowlet_local_links", 5)


def title_of(text):
    for line in text.splitlines():
        if line.startswith("# "):
            return line[2:].strip()
    return "Stowlet"


# A page with this many sections or more gets a contents list.
CONTENTS_FROM = 3


def contents_of(tokens):
    """The page's sections (its ## headings) as a contents list, or nothing for a short page."""
    sections = [section for top in tokens for section in top["children"]]
    if len(sections) < CONTENTS_FROM:
        return ""
    items = "".join('<li><a href="#%s">%s</a></li>\n' % (html.escape(s["id"]), html.escape(html.unescape(s["name"]))) for s in sections)
    return '<nav class="toc">\n<p>Contents</p>\n<ul>\n%s</ul>\n</nav>\n' % items


def convert(version, source, target):
    with open(source, encoding="utf-8") as f:
        text = f.read()
    # Code blocks stay plain <pre><code>: the page carries no colouring style sheet.
    md = markdown.Markdown(extensions=["tables", "pymdownx.highlight", "pymdownx.superfences", "sane_lists", "toc", LocalLinksExtension()],
                           extension_configs={"pymdownx.highlight": {"use_pygments": False}}, output_format="html")
    body = md.convert(text)
    contents = contents_of(md.toc_tokens)
    if contents:
        # Before the first section, under the back link and the page's opening words.
        at = body.find("<h2")
        body = body[:at] + contents + body[at:]
    with open(target, "w", encoding="utf-8", newline="\r\n") as f:
        f.write(PAGE.format(title=html.escape(title_of(text)), version=html.escape(version), body=body))


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    version, out = argv[0], argv[1]
    os.makedirs(out, exist_ok=True)
    for path in argv[2:]:
        name = os.path.basename(path)
        if name.endswith(".md"):
            convert(version, path, os.path.join(out, name[:-3] + ".html"))
        else:
            shutil.copyfile(path, os.path.join(out, name))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

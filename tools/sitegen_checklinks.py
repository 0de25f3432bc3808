#!/usr/bin/env python3
"""Checks that a stored mirror browses offline: every local link of every
stored HTML page and style sheet must name a file that exists.

  sitegen_checklinks.py DIR [--ignore URL-SUFFIX ...] [--list]

Links with a scheme (http:, mailto:, javascript:, ...), protocol-relative
links and pure fragments are not local and are skipped. Prints one summary
line "pages N links M broken K" (and each broken link with --list); exits 1
when a broken link remains.
"""

import argparse
import html
import os
import re
import sys
import urllib.parse

ATTR = re.compile(rb"""(?i)\b(?:href|src|background|code|codebase)\s*=\s*("[^"]*"|'[^']*'|[^\s>]+)""")
CSS_URL = re.compile(rb"""(?i)url\(\s*(["']?)([^"')]*)\1\s*\)""")
SCHEME = re.compile(r"^[A-Za-z][A-Za-z0-9+.-]*:")


def links_of(data, is_css):
    found = []
    if not is_css:
        for m in ATTR.finditer(data):
            v = m.group(1)
            if v[:1] in (b'"', b"'"):
                v = v[1:-1]
            found.append(v)
    for m in CSS_URL.finditer(data):
        found.append(m.group(2))
    return found


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("dir")
    ap.add_argument("--ignore", action="append", default=[],
                    help="skip links whose path ends with this text")
    ap.add_argument("--list", action="store_true")
    a = ap.parse_args()
    pages = links = 0
    broken = []
    for root, _dirs, files in os.walk(a.dir):
        for name in files:
            low = name.lower()
            is_css = low.endswith(".css")
            if not (is_css or low.endswith(".html") or low.endswith(".htm")):
                continue
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                data = f.read()
            pages += 1
            for raw in links_of(data, is_css):
                text = html.unescape(raw.decode("latin-1")).strip()
                if not text or text.startswith("#") or text.startswith("//"):
                    continue
                if SCHEME.match(text):
                    continue
                target = text.split("#", 1)[0].split("?", 1)[0]
                if not target:
                    continue
                links += 1
                if any(target.endswith(s) for s in a.ignore):
                    continue
                local = os.path.normpath(os.path.join(root, urllib.parse.unquote(target, "latin-1")))
                if not os.path.exists(local):
                    broken.append((path, text))
    print("pages %d links %d broken %d" % (pages, links, len(broken)))
    if a.list:
        for page, text in broken:
            print("  %s: %s" % (page, text))
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())

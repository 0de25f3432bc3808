#!/usr/bin/env python3
"""Writes a small site built the way sites are built today, for the crawl
tests, the browser check and the benchmark.

The site has pages at names without an extension (/about,
/blog/2024/first-post, /docs/intro), a directory page /docs/ that /docs
redirects to, srcset and picture sources, lazy images (data-src), an @import
chain in all its spellings, web fonts, an SVG sprite and an SVG image, an
OBJECT diagram, video with poster, track and source, audio, an image input,
a style attribute with url(), style sheets and scripts behind query strings,
and a search-index script full of dotted strings that are not links.

    python3 tools/modernsite.py --root DIR --script FILE --expected FILE

--root      the files are written below DIR (served by tools/testserver)
--script    the test server's answers for the pages without an extension
            (served as text/html) and for /about/ (redirected to /about);
            the /docs redirect is the test server's own answer for a
            directory named without its slash
--expected  every request target a complete mirror makes, one per line:
            each file the site serves and its pages use, and nothing else

Python 3 standard library only; the output is the same on every run.
"""

import argparse
import json
import os
import struct
import zlib

GIF = (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00"
       b"\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;")


def png_1x1():
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    header = struct.pack(">IIBBBBB", 1, 1, 8, 6, 0, 0, 0)
    pixels = zlib.compress(b"\x00\x20\x40\x60\xff")
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", pixels) + chunk(b"IEND", b"")


PNG = png_1x1()
# Browsers tell pictures by their bytes, not by their names: the .jpg and
# .webp pictures of the site are small GIF and PNG files.
JPG = GIF
WEBP = PNG
SVG_SPRITE = ('<svg xmlns="http://www.w3.org/2000/svg">'
              '<symbol id="logo" viewBox="0 0 10 10"><circle cx="5" cy="5" r="4"/></symbol>'
              '<symbol id="menu" viewBox="0 0 10 10"><rect width="10" height="2"/></symbol>'
              '</svg>\n')
SVG_DIAGRAM = ('<svg xmlns="http://www.w3.org/2000/svg" width="120" height="40">'
               '<rect width="120" height="40" fill="#eee"/>'
               '<text x="10" y="25">a -&gt; b</text></svg>\n')


def head(title, prefix):
    """The head every page shares; `prefix` leads from the page to the root."""
    return f"""<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>{title}</title>
<link rel="stylesheet" href="{prefix}static/app.css?v=3">
<link rel="icon" href="{prefix}favicon.ico">
<link rel="manifest" href="{prefix}site.webmanifest">
<link rel="preload" as="image" href="{prefix}img/hero.webp">
<script src="{prefix}static/app.js?v=3" defer></script>
</head>
"""


NAV = """<nav><a href="/">Home</a> <a href="/about">About</a> <a href="/docs">Docs</a>
<a href="/blog/2024/first-post">Blog</a></nav>
"""

INDEX = head("Home", "") + "<body>\n" + NAV + """<h1>Home</h1>
<svg class="icon" width="20" height="20"><use href="/static/sprite.svg#logo"></use></svg>
<svg class="icon" width="20" height="20"><use xlink:href="static/sprite.svg#menu"></use></svg>
<picture>
 <source type="image/webp" srcset="/img/photo.webp 1x, /img/photo@2x.webp 2x">
 <img src="/img/photo.jpg" srcset="/img/photo-640.jpg 640w,/img/photo-1280.jpg 1280w"
      sizes="(max-width: 700px) 640px, 1280px" alt="A photo">
</picture>
<img class="lazy" src="img/placeholder.gif" data-src="img/lazy.png"
     data-srcset="img/lazy.png 1x, img/lazy@2x.png 2x" alt="">
<div class="banner" style="background-image: url('/img/banner.png'); height: 10px"></div>
<svg width="20" height="20"><image href="/img/badge.png" width="20" height="20"/></svg>
<object data="/diagrams/graph.svg" type="image/svg+xml">graph</object>
<video controls poster="/media/poster.jpg" width="160">
 <source src="/media/clip.mp4" type="video/mp4">
 <track src="/media/clip.vtt" kind="captions" srclang="en">
</video>
<audio controls src="/media/sound.mp3"></audio>
<form action="/"><input type="image" src="/img/go.png" alt="Go"></form>
<p><a href="a.html">An old page</a></p>
<script>
  var logo = "img/x.gif";
  var sizes = {"h1": "1.2em", "sel": "div.body", "version": "3.6.1"};
  var view = "defaultView.getComputedStyle";
  document.querySelectorAll("img.lazy").forEach(function (img) {
    img.src = img.dataset.src;
  });
</script>
<script src="/static/search-index.js"></script>
</body>
</html>
"""

ABOUT = head("About", "/") + "<body>\n" + NAV + """<h1>About</h1>
<p><a href="blog/2024/first-post">Read the first post</a></p>
<img src="img/team.jpg" alt="team">
</body>
</html>
"""

POST = head("First post", "../../") + "<body>\n" + NAV + """<h1>First post</h1>
<img src="cover.jpg" srcset="cover.jpg 1x, cover@2x.jpg 2x" alt="cover">
<p><a href="../../about">About us</a> <a href="../../docs/intro">Intro</a>
<a href="/about/">About (written with a slash, redirected back)</a></p>
</body>
</html>
"""

DOCS = head("Docs", "../") + "<body>\n" + NAV + """<h1>Docs</h1>
<p><a href="intro">Introduction</a></p>
<object data="../diagrams/flow.svg" type="image/svg+xml">flow</object>
</body>
</html>
"""

INTRO = head("Intro", "../") + "<body>\n" + NAV + """<h1>Introduction</h1>
<p><a href="./">Docs</a> <a href="../about">About</a></p>
<img src="img/step.png" alt="step">
</body>
</html>
"""

OLD = """<html><head><title>Old</title></head>
<body background="img/tile.gif"><a href="./">back</a></body></html>
"""

APP_CSS = """@charset "utf-8";
@import url("base.css");
@import "theme.css" screen;
/* @import "never.css"; url(never.png) */
@font-face {
  font-family: "Inter";
  src: url(fonts/inter.woff2) format("woff2"), url('fonts/inter.woff') format("woff");
}
body { font-family: "Inter", sans-serif; }
.hero { background-image: image-set("../img/hero.webp" 1x, url(../img/hero@2x.webp) 2x); }
.bg { background: url(/img/bg.png) repeat; }
"""

BASE_CSS = """@import 'reset.css';
nav a { background: url("../img/dot.gif") no-repeat; }
"""

THEME_CSS = "h1 { color: #234; }\n"
RESET_CSS = "* { margin: 0; }\n"

APP_JS = """document.documentElement.className = "js";
var help = "/docs/guide.html";
"""
# "/docs/guide.html" above is a string the program takes for a file name: it
# has a known extension. The site serves it, so the mirror is complete
# either way.

SEARCH_INDEX = """Search.setIndex({
  "docnames": ["about", "api/x.config.ConfigItem", "api/x.modeling.Model"],
  "filenames": ["about.rst", "api/x.config.ConfigItem.rst", "api/x.modeling.Model.rst"],
  "objects": {"x.config": [[1, "ConfigItem.__call__"]], "x.modeling": [[2, "Model.param_names"]]},
  "objnames": {"0": ["py", "class", "Python class"]},
  "terms": {"x.config.configitem": 1, "defaultview.getcomputedstyle": 0, "1.2em": 0},
  "envversion": {"sphinx.domains.python": 4, "version": "3.6.1"},
  "titles": ["About", "x.config.ConfigItem", "x.modeling.Model"]
});
"""

MANIFEST = '{"name": "Modern", "start_url": "/", "display": "standalone"}\n'
VTT = "WEBVTT\n\n00:00.000 --> 00:01.000\nHello\n"

# Served files: path -> bytes. Pages without an extension are answered by
# the test server script with the type text/html.
FILES = {
    "index.html": INDEX,
    "about": ABOUT,
    "blog/2024/first-post": POST,
    "blog/2024/cover.jpg": JPG,
    "blog/2024/cover@2x.jpg": JPG,
    "docs/index.html": DOCS,
    "docs/intro": INTRO,
    "docs/guide.html": "<p>Guide</p>\n",
    "docs/img/step.png": PNG,
    "a.html": OLD,
    "favicon.ico": PNG,
    "site.webmanifest": MANIFEST,
    "static/app.css": APP_CSS,
    "static/base.css": BASE_CSS,
    "static/theme.css": THEME_CSS,
    "static/reset.css": RESET_CSS,
    "static/app.js": APP_JS,
    "static/search-index.js": SEARCH_INDEX,
    "static/sprite.svg": SVG_SPRITE,
    "static/fonts/inter.woff2": b"wOF2" + bytes(60),
    "static/fonts/inter.woff": b"wOFF" + bytes(60),
    "diagrams/graph.svg": SVG_DIAGRAM,
    "diagrams/flow.svg": SVG_DIAGRAM,
    "img/x.gif": GIF,
    "img/tile.gif": GIF,
    "img/placeholder.gif": GIF,
    "img/dot.gif": GIF,
    "img/lazy.png": PNG,
    "img/lazy@2x.png": PNG,
    "img/banner.png": PNG,
    "img/badge.png": PNG,
    "img/bg.png": PNG,
    "img/go.png": PNG,
    "img/team.jpg": JPG,
    "img/photo.jpg": JPG,
    "img/photo-640.jpg": JPG,
    "img/photo-1280.jpg": JPG,
    "img/photo.webp": WEBP,
    "img/photo@2x.webp": WEBP,
    "img/hero.webp": WEBP,
    "img/hero@2x.webp": WEBP,
    "media/poster.jpg": JPG,
    "media/clip.mp4": b"\x00\x00\x00\x18ftypmp42" + bytes(12),
    "media/clip.vtt": VTT,
    "media/sound.mp3": b"ID3\x03\x00\x00\x00\x00\x00\x00" + bytes(16),
    # Served but used by no page: a complete mirror never asks for it.
    "unused/orphan.html": "<p>nobody links here</p>\n",
}

PAGES_WITHOUT_EXTENSION = ["about", "blog/2024/first-post", "docs/intro"]

# What a complete mirror requests: every used file once, the query-string
# assets as written, and the directory named without its slash (answered
# with a redirect to /docs/).
EXTRA_TARGETS = ["/", "/docs", "/docs/", "/about/", "/static/app.css?v=3", "/static/app.js?v=3"]
NOT_REQUESTED = {"index.html", "docs/index.html", "static/app.css", "static/app.js",
                 "unused/orphan.html"}


def expected_targets():
    targets = set(EXTRA_TARGETS)
    for name in FILES:
        if name not in NOT_REQUESTED:
            targets.add("/" + name)
    return sorted(targets)


def write(root, script, expected):
    for name, body in FILES.items():
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(body.encode("utf-8") if isinstance(body, str) else body)
    answers = {
        "/" + name: {"body_file": name, "headers": {"Content-Type": "text/html; charset=utf-8"}}
        for name in PAGES_WITHOUT_EXTENSION
    }
    # A page asked for with a slash it does not have is sent back without it.
    answers["/about/"] = {"status": 301, "headers": {"Location": "/about"}, "body": ""}
    if script:
        with open(script, "w", encoding="utf-8") as f:
            json.dump(answers, f, indent=1, sort_keys=True)
    if expected:
        with open(expected, "w", encoding="utf-8") as f:
            f.write("".join(t + "\n" for t in expected_targets()))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--root", required=True)
    ap.add_argument("--script")
    ap.add_argument("--expected")
    args = ap.parse_args()
    write(args.root, args.script, args.expected)


if __name__ == "__main__":
    main()

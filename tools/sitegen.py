#!/usr/bin/env python3
"""Generates a synthetic static web site for mirroring tests and benchmarks.

  sitegen.py --out DIR [--pages 5000] [--per-dir 50] [--links 25]
             [--images 12] [--seed 1]

The site: DIR/index.html links to every directory's index; directories
d000, d001, ... each hold --per-dir pages p000.html ... of 6-10 KB with about
--links links (to pages of the same and of other directories, relative),
two inline images from the directory's pool, the directory's style sheet
(style.css, whose url() references sit inside rules) and script (script.js).
Every file is reachable from DIR/index.html. Deterministic for a seed.
"""

import argparse
import os
import random
import struct
import zlib

WORDS = ("mirror crawl page link site local copy offline fetch store host path file "
         "index limit level queue thread slot parser style script image tree list").split()


def png(w, h, rgb):
    raw = b"".join(b"\x00" + bytes(rgb) * w for _ in range(h))

    def chunk(kind, data):
        c = kind + data
        return struct.pack(">I", len(data)) + c + struct.pack(">I", zlib.crc32(c) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--out", required=True)
    ap.add_argument("--pages", type=int, default=5000)
    ap.add_argument("--per-dir", type=int, default=50)
    ap.add_argument("--links", type=int, default=25)
    ap.add_argument("--images", type=int, default=12)
    ap.add_argument("--seed", type=int, default=1)
    a = ap.parse_args()
    rnd = random.Random(a.seed)
    ndirs = max(1, (a.pages + a.per_dir - 1) // a.per_dir)
    pages = []  # (dir index, page index)
    for d in range(ndirs):
        for p in range(min(a.per_dir, a.pages - d * a.per_dir)):
            pages.append((d, p))
    os.makedirs(a.out, exist_ok=True)
    dname = lambda d: "d%03d" % d
    pname = lambda p: "p%03d.html" % p
    counts = {}
    for d in range(ndirs):
        n = sum(1 for x in pages if x[0] == d)
        counts[d] = n
        base = os.path.join(a.out, dname(d))
        os.makedirs(base, exist_ok=True)
        for i in range(a.images):
            with open(os.path.join(base, "img%02d.png" % i), "wb") as f:
                f.write(png(4 + i % 5, 4 + i % 3, (rnd.randrange(256), rnd.randrange(256), rnd.randrange(256))))
        with open(os.path.join(base, "bg.png"), "wb") as f:
            f.write(png(8, 8, (240, 240, 240)))
        with open(os.path.join(base, "style.css"), "w") as f:
            f.write("body { font-family: serif; background: #fff url(bg.png) repeat; }\n"
                    "h1 { color: #333; }\n"
                    ".note { background-image: url(img%02d.png); }\n" % (a.images - 1))
        with open(os.path.join(base, "script.js"), "w") as f:
            f.write("// Navigation helpers of %s.\nfunction go(n) { window.location = n; }\n"
                    "var home = 'index.html';\n" % dname(d))
        with open(os.path.join(base, "index.html"), "w") as f:
            f.write("<html><head><title>%s</title><link rel=\"stylesheet\" href=\"style.css\"></head>\n<body>\n"
                    % dname(d))
            for p in range(n):
                f.write("<a href=\"%s\">page %d</a>\n" % (pname(p), p))
            f.write("<a href=\"../index.html\">up</a>\n</body></html>\n")
    with open(os.path.join(a.out, "index.html"), "w") as f:
        f.write("<html><head><title>Generated site</title></head>\n<body>\n")
        for d in range(ndirs):
            f.write("<a href=\"%s/index.html\">%s</a>\n" % (dname(d), dname(d)))
        f.write("</body></html>\n")
    for d, p in pages:
        target = rnd.randrange(6000, 10000)
        parts = ["<html><head><title>%s %s</title>\n" % (dname(d), pname(p)),
                 "<link rel=\"stylesheet\" href=\"style.css\">\n",
                 "<script src=\"script.js\"></script>\n</head>\n<body>\n",
                 "<h1>Page %d of %s</h1>\n" % (p, dname(d)),
                 "<img src=\"img%02d.png\" alt=\"a\"> <img src=\"img%02d.png\" alt=\"b\">\n"
                 % (rnd.randrange(a.images), rnd.randrange(a.images))]
        links = []
        if p + 1 < counts[d]:
            links.append(pname(p + 1))
        links.append("index.html")
        while len(links) < a.links:
            od, op = pages[rnd.randrange(len(pages))]
            links.append(pname(op) if od == d else "../%s/%s" % (dname(od), pname(op)))
        body = []
        for i, l in enumerate(links):
            body.append("<p>%s <a href=\"%s\">link %d</a></p>\n" % (" ".join(rnd.choice(WORDS) for _ in range(8)), l, i))
        text = "".join(parts) + "".join(body)
        filler = []
        size = len(text)
        while size < target - 30:
            line = "<p>%s</p>\n" % " ".join(rnd.choice(WORDS) for _ in range(12))
            filler.append(line)
            size += len(line)
        text += "".join(filler) + "</body></html>\n"
        with open(os.path.join(a.out, dname(d), pname(p)), "w") as f:
            f.write(text)


if __name__ == "__main__":
    main()

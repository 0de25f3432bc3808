#!/usr/bin/env python3
"""Writes a small Java applet (two class files) and a Flash movie for the demo
site, and optionally the seed corpora of the class-file and Flash fuzzers.

  gen_demo_binaries.py --out DIR [--page flash-page.html]
      DIR/Greeter.class  applet whose init() creates a Helper
      DIR/Helper.class   plain class (refers only to java/lang/Object)
      DIR/movie.swf      uncompressed movie; its button does GetURL(page)
  gen_demo_binaries.py --corpus tests/fuzz/corpus
      seeds in CORPUS/class/ and CORPUS/flash/

Only the standard library is used.
"""

import argparse
import os
import struct


# ---------------------------------------------------------------- class files

class ConstantPool:
    def __init__(self):
        self.data = b""
        self.next = 1
        self._utf8 = {}

    def _add(self, raw, slots=1):
        index = self.next
        self.data += raw
        self.next += slots
        return index

    def utf8(self, text):
        if text not in self._utf8:
            b = text.encode("utf-8")
            self._utf8[text] = self._add(struct.pack(">BH", 1, len(b)) + b)
        return self._utf8[text]

    def cls(self, name):
        return self._add(struct.pack(">BH", 7, self.utf8(name)))

    def name_and_type(self, name, desc):
        return self._add(struct.pack(">BHH", 12, self.utf8(name), self.utf8(desc)))

    def methodref(self, cls, nat):
        return self._add(struct.pack(">BHH", 10, cls, nat))

    def long(self, value):
        return self._add(struct.pack(">Bq", 5, value), 2)

    def double(self, value):
        return self._add(struct.pack(">Bd", 6, value), 2)


def code_attr(pool, max_stack, code):
    body = struct.pack(">HHI", max_stack, 1, len(code)) + code + struct.pack(">HH", 0, 0)
    return struct.pack(">HI", pool.utf8("Code"), len(body)) + body


def method(pool, name, code, max_stack):
    return struct.pack(">HHHH", 0x0001, pool.utf8(name), pool.utf8("()V"), 1) + \
        code_attr(pool, max_stack, code)


def class_file(name, super_name, creates=(), extra_constants=False):
    """A public class with a constructor calling super() and, when `creates`
    is not empty, an init() that creates one object of each named class."""
    pool = ConstantPool()
    this_c = pool.cls(name)
    super_c = pool.cls(super_name)
    init = pool.name_and_type("<init>", "()V")
    super_init = pool.methodref(super_c, init)
    if extra_constants:
        pool.long(1 << 40)
        pool.double(2.5)
    news = []
    for other in creates:
        c = pool.cls(other)
        news.append((c, pool.methodref(c, init)))
    methods = [method(pool, "<init>", b"\x2a\xb7" + struct.pack(">H", super_init) + b"\xb1", 1)]
    if news:
        code = b""
        for c, ctor in news:
            # new c; dup; invokespecial c.<init>; pop
            code += b"\xbb" + struct.pack(">H", c) + b"\x59\xb7" + struct.pack(">H", ctor) + b"\x57"
        methods.append(method(pool, "init", code + b"\xb1", 2))
    source = pool.utf8("SourceFile")
    source_name = pool.utf8(name.rsplit("/", 1)[-1] + ".java")
    out = struct.pack(">IHHH", 0xCAFEBABE, 3, 45, pool.next) + pool.data
    out += struct.pack(">HHHHH", 0x0021, this_c, super_c, 0, 0)
    out += struct.pack(">H", len(methods)) + b"".join(methods)
    out += struct.pack(">HHIH", 1, source, 2, source_name)
    return out


# ---------------------------------------------------------------- Flash movies

class Bits:
    def __init__(self):
        self.bits = []

    def put(self, value, count):
        self.bits += [(value >> i) & 1 for range_i in [range(count - 1, -1, -1)] for i in range_i]

    def bytes(self):
        b = self.bits + [0] * (-len(self.bits) % 8)
        return bytes(int("".join(map(str, b[i:i + 8])), 2) for i in range(0, len(b), 8))


def rect(x1, y1, nbits=16):
    w = Bits()
    w.put(nbits, 5)
    for v in (0, x1, 0, y1):
        w.put(v, nbits)
    return w.bytes()


def identity_matrix():
    w = Bits()
    w.put(0, 1)  # no scale
    w.put(0, 1)  # no rotate
    w.put(0, 5)  # no translate bits
    return w.bytes()


def tag(code, body, long_form=False):
    if len(body) < 63 and not long_form:
        return struct.pack("<H", code << 6 | len(body)) + body
    return struct.pack("<HI", code << 6 | 63, len(body)) + body


def action(code, data=b""):
    if code < 0x80:
        return bytes([code])
    return bytes([code]) + struct.pack("<H", len(data)) + data


def get_url(url, target=""):
    return action(0x83, url.encode() + b"\0" + target.encode() + b"\0")


def push_string(text):
    return action(0x96, b"\0" + text.encode() + b"\0")


def button2(button_id, char_id, conditions):
    records = bytes([0x0F]) + struct.pack("<HH", char_id, 1) + identity_matrix() + \
        b"\x00" + b"\x00"  # colour transform without terms, end of records
    body = struct.pack("<HB", button_id, 0) + struct.pack("<H", 2 + len(records)) + records
    for i, actions in enumerate(conditions):
        last = i + 1 == len(conditions)
        body += struct.pack("<HH", 0 if last else 4 + len(actions), 0x0008) + actions
    return tag(34, body)


def button1(button_id, char_id, actions):
    records = bytes([0x0F]) + struct.pack("<HH", char_id, 1) + identity_matrix() + b"\x00"
    return tag(7, struct.pack("<H", button_id) + records + actions)


def movie(tags, version=5, header_length=None, trailer=b""):
    head = rect(550 * 20, 400 * 20) + b"\x00\x0c" + struct.pack("<H", 1)
    body = head + tags + tag(0, b"")
    length = 8 + len(body) if header_length is None else header_length
    return b"FWS" + bytes([version]) + struct.pack("<I", length) + body + trailer


def demo_movie(page):
    place = tag(26, b"\x02" + struct.pack("<HH", 1, 1))  # PlaceObject2: depth 1, character 1
    return movie(tag(9, b"\xff\xff\xff") +
                 button2(1, 2, [get_url(page, "_self") + b"\x00"]) +
                 place +
                 tag(12, action(0x07) + b"\x00") +  # stop on the first frame
                 tag(1, b""))


# ---------------------------------------------------------------- output

def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def write_demo(out, page):
    os.makedirs(out, exist_ok=True)
    write(os.path.join(out, "Greeter.class"),
          class_file("Greeter", "java/applet/Applet", creates=["Helper"]))
    write(os.path.join(out, "Helper.class"), class_file("Helper", "java/lang/Object"))
    write(os.path.join(out, "movie.swf"), demo_movie(page))


def write_corpus(root):
    cdir = os.path.join(root, "class")
    fdir = os.path.join(root, "flash")
    os.makedirs(cdir, exist_ok=True)
    os.makedirs(fdir, exist_ok=True)
    applet = class_file("demo/Greeter", "java/applet/Applet", creates=["demo/Helper", "x/Y"],
                        extra_constants=True)
    write(os.path.join(cdir, "applet.class"), applet)
    write(os.path.join(cdir, "helper.class"), class_file("Helper", "java/lang/Object"))
    write(os.path.join(cdir, "truncated.class"), applet[:40])
    write(os.path.join(cdir, "badmagic.class"), b"\xca\xfe\xd0\x0d" + applet[4:60])

    write(os.path.join(fdir, "demo.swf"), demo_movie("page.html"))
    actions = get_url("a.html", "_top") + push_string("b.swf") + \
        action(0x96, b"\x01\x00\x00\x80\x3f\x00c.html\x00") + action(0x04) + b"\x00"
    write(os.path.join(fdir, "actions.swf"),
          movie(tag(12, actions) + tag(12, get_url("long.html") + b"\x00", long_form=True)))
    write(os.path.join(fdir, "buttons.swf"),
          movie(button1(1, 2, get_url("b1.html") + b"\x00") +
                button2(3, 2, [get_url("c1.html") + b"\x00", push_string("c2.html") + b"\x00"])))
    write(os.path.join(fdir, "odd.swf"),
          movie(tag(12, get_url("x.html") + b"\x00PAD"), header_length=7, trailer=b"abc"))
    write(os.path.join(fdir, "compressed.swf"), b"CWS" + demo_movie("p.html")[3:])


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--out", help="directory for Greeter.class, Helper.class and movie.swf")
    ap.add_argument("--page", default="flash-page.html", help="page the movie's button opens")
    ap.add_argument("--corpus", help="fuzz corpus root (writes class/ and flash/ below it)")
    args = ap.parse_args()
    if not args.out and not args.corpus:
        ap.error("give --out and/or --corpus")
    if args.out:
        write_demo(args.out, args.page)
    if args.corpus:
        write_corpus(args.corpus)


if __name__ == "__main__":
    main()

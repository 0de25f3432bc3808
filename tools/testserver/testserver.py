#!/usr/bin/env python3
"""Scripted HTTP/1.0 test server for integration tests.

Listens on 127.0.0.1 only (free port), serves a directory and scripted
answers, records every request, and stops by itself. See README.md beside
this file for the command line and the script format.
"""

import argparse
import base64
import gzip
import ssl
import zlib
import email.utils
import http
import json
import mimetypes
import os
import re
import select
import signal
import socket
import struct
import sys
import threading
import time
import urllib.parse

MAX_HEADER_BYTES = 64 * 1024
MAX_BODY_BYTES = 16 * 1024 * 1024
READ_TIMEOUT = 30.0
PATTERN = b"0123456789abcdef"
CONTROL_PATHS = ("/__requests", "/__script", "/__clear", "/__ping")


class ScriptError(Exception):
    pass


def validate_script(obj):
    if not isinstance(obj, dict):
        raise ScriptError("script must be a JSON object mapping paths to answers")
    for key, value in obj.items():
        entries = value if isinstance(value, list) else [value]
        if not entries:
            raise ScriptError("empty answer list for %r" % key)
        for entry in entries:
            if not isinstance(entry, dict):
                raise ScriptError("answer for %r must be an object" % key)
    return obj


class State:
    def __init__(self, args):
        self.root = os.path.realpath(args.root) if args.root else None
        self.proxy = args.proxy
        self.quiet = args.quiet
        self.keep_alive = max(0, args.keep_alive)
        self.tls = None
        self.tls_stall = args.tls_stall_handshake
        if args.tls_cert:
            self.tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            self.tls.load_cert_chain(args.tls_cert, args.tls_key)
        self.lock = threading.Lock()
        self.script = {}
        self.counters = {}
        self.requests = []
        self.seq = 0
        self.conn_id = 0
        self.stop = threading.Event()
        self.log = open(args.log, "a", encoding="utf-8") if args.log else None
        self.mime = mimetypes.MimeTypes()  # built-in table only: same on every machine

    def merge_script(self, obj):
        validate_script(obj)
        with self.lock:
            for key, value in obj.items():
                self.script[key] = value
                for ck in [ck for ck in self.counters if ck[0] == key]:
                    del self.counters[ck]

    def clear(self):
        with self.lock:
            self.requests = []
            self.counters = {}

    def next_conn(self):
        with self.lock:
            self.conn_id += 1
            return self.conn_id

    def record(self, rec):
        with self.lock:
            self.seq += 1
            rec["seq"] = self.seq
            self.requests.append(rec)
            if self.log:
                self.log.write(json.dumps(rec) + "\n")
                self.log.flush()

    def requests_json(self):
        with self.lock:
            return json.dumps(self.requests).encode("utf-8")

    def lookup(self, path, full):
        """The answer object for a request path, advancing sequence counters."""
        with self.lock:
            key = None
            if full in self.script:
                key = full
            elif path in self.script:
                key = path
            else:
                best = -1
                for k in self.script:
                    if k.endswith("*") and path.startswith(k[:-1]) and len(k) > best:
                        key, best = k, len(k)
            if key is None:
                return None
            value = self.script[key]
            if not isinstance(value, list):
                return value
            n = self.counters.get((key, path), 0)
            self.counters[(key, path)] = n + 1
            return value[min(n, len(value) - 1)]

    def content_type(self, name):
        lower = name.lower()
        if lower.endswith((".html", ".htm")):
            return "text/html"
        guessed, _ = self.mime.guess_type(lower, strict=False)
        return guessed or "application/octet-stream"


# ---------------------------------------------------------------- requests


def read_request(conn):
    """Reads request line + header (+ body). Returns (head, body) or None."""
    data = b""
    while True:
        end = header_end(data)
        if end is not None:
            break
        if len(data) > MAX_HEADER_BYTES:
            return data, b"", "header too large"
        try:
            chunk = conn.recv(65536)
        except OSError:
            chunk = b""
        if not chunk:
            return (data, b"", "incomplete") if data else None
        data += chunk
    head, rest = data[:end], data[end:]
    length = 0
    for name, value in parse_headers(head)[1]:
        if name.lower() == "content-length":
            try:
                length = max(0, min(int(value.strip()), MAX_BODY_BYTES))
            except ValueError:
                length = 0
    body = rest
    while len(body) < length:
        try:
            chunk = conn.recv(min(65536, length - len(body)))
        except OSError:
            break
        if not chunk:
            break
        body += chunk
    return head, body[:length] if length else body, None


def header_end(data):
    """Index just past the blank line, or past the line of an HTTP/0.9 request."""
    candidates = [i + n for i, n in ((data.find(b"\r\n\r\n"), 4), (data.find(b"\n\n"), 2)) if i >= 0]
    if candidates:
        return min(candidates)
    nl = data.find(b"\n")
    if nl >= 0:
        parts = data[:nl].split()
        if len(parts) == 2:  # "GET /path": no version, no header
            return nl + 1
    return None


def parse_headers(head):
    lines = head.decode("latin-1").split("\n")
    lines = [l[:-1] if l.endswith("\r") else l for l in lines]
    request_line = lines[0] if lines else ""
    headers = []
    for line in lines[1:]:
        if not line:
            continue
        if line[0] in " \t" and headers:
            headers[-1][1] += " " + line.strip()
            continue
        name, sep, value = line.partition(":")
        if sep:
            headers.append([name, value.strip()])
    return request_line, headers


def split_target(target):
    """(path, path+query, absolute?) of a request target."""
    lower = target.lower()
    absolute = lower.startswith("http://") or lower.startswith("https://")
    full = target
    if absolute:
        rest = target.split("://", 1)[1]
        ends = [i for i in (rest.find("/"), rest.find("?"), rest.find("#")) if i >= 0]
        full = rest[min(ends):] if ends else "/"
        if not full.startswith("/"):
            full = "/" + full
    full = full.split("#", 1)[0]
    return full.split("?", 1)[0], full, absolute


def get_header(headers, name):
    name = name.lower()
    for n, v in headers:
        if n.lower() == name:
            return v
    return None


# ---------------------------------------------------------------- answers


class Reply:
    def __init__(self):
        self.status = 200
        self.body = b""
        self.mtime = None
        self.ctype = None
        self.extra = []  # automatic headers beyond the usual ones (Location)


def static_reply(state, path, query_path):
    r = Reply()
    if not state.root:
        return not_found(r)
    raw = urllib.parse.unquote_to_bytes(path)
    if b"\0" in raw:
        return not_found(r)
    fs = os.path.realpath(os.path.join(os.fsencode(state.root), raw.lstrip(b"/")))
    root = os.fsencode(state.root)
    if fs != root and not fs.startswith(root + b"/"):
        return not_found(r)
    if os.path.isdir(fs):
        if not path.endswith("/"):
            r.status = 301
            r.extra.append(("Location", path + "/"))
            r.body = b"<html><body>301 Moved Permanently</body></html>\n"
            r.ctype = "text/html"
            return r
        fs = os.path.join(fs, b"index.html")
    try:
        with open(fs, "rb") as f:
            r.mtime = int(os.fstat(f.fileno()).st_mtime)
            r.body = f.read()
    except OSError:
        return not_found(r)
    r.ctype = state.content_type(os.fsdecode(fs))
    return r


def not_found(r):
    r.status = 404
    r.body = b"<html><body>404 Not Found</body></html>\n"
    r.ctype = "text/html"
    return r


def http_date(t):
    return email.utils.formatdate(t, usegmt=True)


def parse_http_date(value):
    try:
        dt = email.utils.parsedate_to_datetime(value)
        return int(dt.timestamp())
    except (TypeError, ValueError, IndexError, OverflowError):
        return None


def parse_range(value, size):
    """(start, end) inclusive, 'bad' when unsatisfiable, None when absent/unusable."""
    if value is None:
        return None
    value = value.strip()
    if not value.lower().startswith("bytes="):
        return None
    spec = value[6:].strip()
    if "," in spec:
        return None
    first, sep, last = spec.partition("-")
    if not sep:
        return None
    try:
        if first.strip() == "":
            n = int(last)
            if n <= 0:
                return "bad"
            return (max(0, size - n), size - 1) if size else "bad"
        start = int(first)
        end = int(last) if last.strip() else size - 1
    except ValueError:
        return None
    if start >= size:
        return "bad"
    if start < 0 or end < start:
        return None
    return start, min(end, size - 1)


GEN_BLOCK = 1 << 20
_gen_base = []


def gen_block(k):
    if not _gen_base:
        _gen_base.append((PATTERN * (GEN_BLOCK // len(PATTERN) + 1))[:GEN_BLOCK])
    head = b"%015x\n" % k
    return head + _gen_base[0][len(head):]


class GenBody:
    """`size` generated bytes made while they are sent (a body too large to
    hold): 1 MiB blocks of the pattern, each starting with its number in hex
    and a newline."""

    def __init__(self, size, start=0):
        self.size, self.start = size, start

    def __len__(self):
        return self.size

    def __getitem__(self, s):
        a, b, _ = s.indices(self.size)
        b = max(a, b)
        if b - a > GEN_BLOCK:
            return GenBody(b - a, self.start + a)
        out, pos, end = [], self.start + a, self.start + b
        while pos < end:
            k, off = divmod(pos, GEN_BLOCK)
            take = min(end - pos, GEN_BLOCK - off)
            out.append(gen_block(k)[off:off + take])
            pos += take
        return b"".join(out)


def load_body(state, a):
    if "body" in a:
        return str(a["body"]).encode("utf-8")
    if "body_base64" in a:
        return base64.b64decode(a["body_base64"])
    if "body_size" in a:
        n = int(a["body_size"])
        return (PATTERN * (n // len(PATTERN) + 1))[:n]
    if "gen_size" in a:
        return GenBody(int(a["gen_size"]))
    return None


def fill_template(body, path):
    """Fills a body's placeholders from the request path: {n} and {n+1} are
    the last decimal number in the path (0 when none) and that plus one,
    {n:W} and {n+1:W} the same zero-padded to W digits, {name} the last
    segment without its extension."""
    nums = re.findall(r"[0-9]+", path)
    n = int(nums[-1]) if nums else 0
    name = path.rsplit("/", 1)[-1].split(".", 1)[0]

    def value(m):
        v = n + 1 if m.group(1) else n
        return str(v).zfill(int(m.group(2))) if m.group(2) else str(v)

    body = re.sub(rb"\{n(\+1)?(?::([0-9]+))?\}", lambda m: value(m).encode(), body)
    return body.replace(b"{name}", name.encode("utf-8"))


def build_reply(state, req, a):
    """Returns (head bytes, body bytes) for a parsed request and an answer object."""
    r = None
    body = load_body(state, a)
    if body is not None and a.get("template"):
        body = fill_template(body, req["path"])
    if body is not None:
        r = Reply()
        r.body = body
        r.ctype = state.content_type(req["path"]) if "." in req["path"].rsplit("/", 1)[-1] else "text/html"
    elif "body_file" in a:
        r = Reply()
        name = a["body_file"]
        fs = name if os.path.isabs(name) or not state.root else os.path.join(state.root, name)
        try:
            with open(fs, "rb") as f:
                r.body = f.read()
                r.mtime = int(os.fstat(f.fileno()).st_mtime)
        except OSError as e:
            r.status = 500
            r.body = ("body_file: %s\n" % e).encode("utf-8")
        r.ctype = state.content_type(name)
    else:
        r = static_reply(state, req["path"], req["full"])
        if "status" in a and r.status != 200:
            r.body, r.extra, r.ctype = b"", [], "text/html"
    if "status" in a:
        r.status = int(a["status"])
    if "last_modified" in a:
        lm = a["last_modified"]
        r.mtime = int(lm) if isinstance(lm, (int, float)) else parse_http_date(str(lm))

    headers = req["headers"]
    auto = [("Date", http_date(time.time()))]
    if r.mtime is not None:
        auto.append(("Last-Modified", http_date(r.mtime)))

    if r.status == 200 and r.mtime is not None and a.get("ims", "honour") == "honour":
        ims = get_header(headers, "If-Modified-Since")
        since = parse_http_date(ims) if ims else None
        if since is not None and r.mtime <= since:
            r.status, r.body = 304, b""

    mode = a.get("range", "honour")
    if r.status == 200 and mode != "ignore":
        size = len(r.body)
        asked = parse_range(get_header(headers, "Range"), size)
        if mode in ("honour", "always") and isinstance(asked, tuple):
            start, end = asked
            r.status = 206
            auto.append(("Content-Range", "bytes %d-%d/%d" % (start, end, size)))
            r.body = r.body[start:end + 1]
        elif mode in ("honour", "always") and asked == "bad":
            r.status = 416
            auto.append(("Content-Range", "bytes */%d" % size))
            r.body = b""
        elif mode == "always" or (mode == "wrong" and asked is not None):
            r.status = 206
            if size:
                auto.append(("Content-Range", "bytes 0-%d/%d" % (size - 1, size)))
        if mode in ("honour", "always"):
            auto.append(("Accept-Ranges", "bytes"))

    if r.status != 304 and r.ctype:
        auto.append(("Content-Type", r.ctype))
    encoding = a.get("encoding")
    if encoding and r.body:
        r.body = gzip.compress(r.body) if encoding == "gzip" else zlib.compress(r.body)
        auto.append(("Content-Encoding", encoding))
    if a.get("chunked"):
        size = max(1, int(a.get("chunk_size", 7)))
        pieces = [r.body[i:i + size] for i in range(0, len(r.body), size)]
        r.body = b"".join(b"%x\r\n%s\r\n" % (len(p), p) for p in pieces) + b"0\r\nX-Trailer: t\r\n\r\n"
        auto.append(("Transfer-Encoding", "chunked"))
    else:
        auto.append(("Content-Length", str(len(r.body))))
    auto.extend(r.extra)

    scripted = a.get("headers", [])
    if isinstance(scripted, dict):
        scripted = list(scripted.items())
    names = {str(n).lower() for n, _ in scripted}
    final = [(n, v) for n, v in auto if n.lower() not in names]
    final += [(str(n), str(v)) for n, v in scripted if v is not None]
    if "long_header" in a:
        prefix = "X-Long-Header: "
        final.append(("X-Long-Header", "a" * max(1, int(a["long_header"]) - len(prefix))))

    eol = "\n" if a.get("lf_only") else "\r\n"
    try:
        reason = a.get("reason") or http.HTTPStatus(r.status).phrase
    except ValueError:
        reason = "Unknown"
    version = a.get("version", "HTTP/1.1" if state.keep_alive else "HTTP/1.0")
    lines = ["%s %d %s" % (version, r.status, reason)]
    lines += ["%s: %s" % (n, v) for n, v in final]
    head = (eol.join(lines) + eol + eol).encode("utf-8")
    if a.get("no_header") or req["version"] == "":
        head = b""
    body = b"" if req["method"] == "HEAD" else r.body
    return head, body


# ---------------------------------------------------------------- sending


def reset(conn):
    try:
        conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    except OSError:
        pass
    conn.close()


def send_answer(state, conn, head, body, a, keep=False):
    """Sends head and body with the scripted delays, cuts and resets.
    Returns True when the connection stays open for another request."""
    wait = lambda ms: not state.stop.wait(max(0, float(ms)) / 1000.0)
    if a.get("header_delay_ms") and not wait(a["header_delay_ms"]):
        return reset(conn)
    if head:
        conn.sendall(head)
    limit = len(body)
    if "cut_at" in a:
        limit = min(limit, max(0, int(a["cut_at"])))
    do_reset = "reset_at" in a
    if do_reset:
        limit = min(limit, max(0, int(a["reset_at"])))
    stall_at = int(a["body_stall_at"]) if "body_stall_at" in a else None
    stall_ms = a.get("body_stall_ms", 0)
    drip = max(0, int(a.get("drip_bytes", 0)))
    drip_ms = a.get("drip_ms", 0)
    pos = 0
    while True:
        if stall_at is not None and pos >= stall_at:
            stall_at = None
            if not wait(stall_ms):
                return reset(conn)
        if pos >= limit:
            break
        end = min(limit, pos + GEN_BLOCK)
        if drip:
            end = min(end, pos + drip)
        if stall_at is not None and pos < stall_at:
            end = min(end, stall_at)
        conn.sendall(body[pos:end])
        pos = end
        if drip and pos < limit and not (stall_at is not None and pos >= stall_at):
            if not wait(drip_ms):
                return reset(conn)
    if do_reset:
        return reset(conn)
    if a.get("tls_cut_record") and state.tls:
        return cut_record(conn)
    if keep and "cut_at" not in a:
        return True
    if a.get("close_delay_ms") and not wait(a["close_delay_ms"]):
        return reset(conn)
    graceful_close(conn)


def tunnel(conn, target):
    """A proxy's CONNECT: relays bytes to a server on 127.0.0.0/8 only."""
    host, _, port = target.rpartition(":")
    if not host.startswith("127.") or not port.isdigit():
        return simple(conn, 403, b"only 127.0.0.0/8\n")
    try:
        upstream = socket.create_connection((host, int(port)), timeout=5)
    except OSError:
        return simple(conn, 502, b"cannot connect\n")
    conn.sendall(b"HTTP/1.1 200 Connection established\r\n\r\n")
    ends = [conn, upstream]
    try:
        while True:
            ready, _, _ = select.select(ends, [], [], READ_TIMEOUT)
            if not ready:
                break
            for r in ready:
                data = r.recv(65536)
                if not data:
                    raise OSError("closed")
                (upstream if r is conn else conn).sendall(data)
    except OSError:
        pass
    upstream.close()
    conn.close()


def cut_record(conn):
    """Sends the start of a TLS record that never ends, then closes."""
    try:
        raw = socket.socket(fileno=os.dup(conn.fileno()))
        raw.sendall(b"\x17\x03\x03\x40\x00" + b"\x00" * 100)
        raw.close()
    except OSError:
        pass
    reset(conn)


def graceful_close(conn):
    if isinstance(conn, ssl.SSLSocket):
        try:
            conn.settimeout(2.0)
            conn = conn.unwrap()  # close_notify first: a TLS client sees an orderly end
        except (OSError, ValueError):
            pass
    try:
        conn.shutdown(socket.SHUT_WR)
        # Read what the client still sends so that close() does not turn into a reset.
        conn.settimeout(2.0)
        total = 0
        while total < 1 << 20:
            chunk = conn.recv(65536)
            if not chunk:
                break
            total += len(chunk)
    except OSError:
        pass
    conn.close()


def simple(conn, status, body, ctype="text/plain"):
    reason = http.HTTPStatus(status).phrase
    head = "HTTP/1.0 %d %s\r\nContent-Type: %s\r\nContent-Length: %d\r\n\r\n" % (
        status, reason, ctype, len(body))
    conn.sendall(head.encode("latin-1") + body)
    graceful_close(conn)


def control(state, conn, method, path, body):
    if path == "/__requests" and method == "GET":
        return simple(conn, 200, state.requests_json(), "application/json")
    if path == "/__ping":
        return simple(conn, 200, b"ok\n")
    if path == "/__clear" and method == "POST":
        state.clear()
        return simple(conn, 200, b"ok\n")
    if path == "/__script" and method == "POST":
        try:
            state.merge_script(json.loads(body.decode("utf-8")))
        except (ValueError, ScriptError) as e:
            return simple(conn, 400, ("bad script: %s\n" % e).encode("utf-8"))
        return simple(conn, 200, b"ok\n")
    return simple(conn, 405, b"method not allowed\n")


def handle(state, conn):
    try:
        conn.settimeout(READ_TIMEOUT)
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        if state.tls:
            if state.tls_stall:
                state.stop.wait(READ_TIMEOUT)  # the handshake never gets an answer
                return conn.close()
            try:
                conn = state.tls.wrap_socket(conn, server_side=True)
            except (OSError, ssl.SSLError) as e:
                if not state.quiet:
                    print("testserver: TLS handshake failed: %s" % e, file=sys.stderr)
                return conn.close()
        answered = 0
        conn_id = state.next_conn()
        while handle_one(state, conn, conn_id, answered):
            answered += 1
    except OSError:
        try:
            conn.close()
        except OSError:
            pass
    except Exception as e:  # a bug here must not take the whole server down
        print("testserver: internal error: %r" % (e,), file=sys.stderr)
        try:
            conn.close()
        except OSError:
            pass


def handle_one(state, conn, conn_id, answered):
    """Answers one request; True when the connection stays for another."""
    got = read_request(conn)
    if got is None:
        return conn.close()
    head, body, problem = got
    request_line, headers = parse_headers(head)
    parts = request_line.split()
    method, target, version = "", "", ""
    if len(parts) == 3:
        method, target, version = parts
    elif len(parts) == 2:
        method, target = parts
    else:
        problem = problem or "bad request line"
    path, full, absolute = split_target(target)
    if not problem and not absolute and path in CONTROL_PATHS:
        return control(state, conn, method, path, body)
    rec = {
        "seq": 0, "time": time.time(), "conn": conn_id,
        "method": method, "target": target, "path": path, "version": version,
        "headers": headers, "raw": head.decode("latin-1"), "body": body.decode("latin-1"),
    }
    state.record(rec)
    if not problem and state.proxy and method == "CONNECT":
        tunnel(conn, target)
        return False
    if not problem and state.proxy and not absolute:
        problem = "origin-form target on a proxy"
    if not problem and not version.startswith("HTTP/") and version != "":
        problem = "bad version"
    if problem:
        if not state.quiet:
            print("testserver: 400 (%s) %r" % (problem, request_line[:200]), file=sys.stderr)
        return simple(conn, 400, ("%s\n" % problem).encode("utf-8"))
    a = state.lookup(path, full) or {}
    if a.get("reset_now"):
        return reset(conn)
    if "raw" in a or "raw_base64" in a:
        data = a["raw"].encode("utf-8") if "raw" in a else base64.b64decode(a["raw_base64"])
        h, b = b"", data
    else:
        h, b = build_reply(state, {"method": method, "path": path, "full": full,
                                   "version": version, "headers": headers}, a)
    if not state.quiet:
        print("testserver: %s %s -> %s" % (method, target, h.split(b"\n", 1)[0].strip().decode("utf-8", "replace") or "(no header)"),
              file=sys.stderr)
    # With --keep-alive N a connection carries N answers, then closes
    # without having said so (as servers with a request limit do).
    keep = state.keep_alive > 0 and answered + 1 < state.keep_alive
    return send_answer(state, conn, h, b, a, keep) is True


# ---------------------------------------------------------------- main


def parent_alive(pid, original_ppid):
    if pid <= 0:
        return True
    if pid == original_ppid and os.getppid() != original_ppid:
        return False  # re-parented: our parent has died
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        pass
    return True


def main():
    p = argparse.ArgumentParser(description="Scripted HTTP test server (127.0.0.1 only)")
    p.add_argument("--root")
    p.add_argument("--script")
    p.add_argument("--port-file")
    p.add_argument("--log")
    p.add_argument("--lifetime", type=float, default=120.0)
    p.add_argument("--parent-pid", type=int, default=0)
    p.add_argument("--proxy", action="store_true")
    p.add_argument("--quiet", action="store_true")
    p.add_argument("--keep-alive", type=int, default=0)
    p.add_argument("--tls-cert")
    p.add_argument("--tls-key")
    p.add_argument("--tls-stall-handshake", action="store_true")
    args = p.parse_args()

    original_ppid = os.getppid()
    state = State(args)
    if args.script:
        try:
            with open(args.script, "rb") as f:
                state.merge_script(json.loads(f.read().decode("utf-8")))
        except (OSError, ValueError, ScriptError) as e:
            print("testserver: cannot load script %s: %s" % (args.script, e), file=sys.stderr)
            return 2
    if args.root and not os.path.isdir(args.root):
        print("testserver: root %s is not a directory" % args.root, file=sys.stderr)
        return 2

    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(512)
    listener.settimeout(0.25)
    port = listener.getsockname()[1]

    def on_signal(signum, frame):
        state.stop.set()

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)

    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d\n" % port)
        os.replace(tmp, args.port_file)
    print("PORT %d" % port, flush=True)

    deadline = time.monotonic() + args.lifetime if args.lifetime > 0 else None
    next_parent_check = 0.0
    while not state.stop.is_set():
        now = time.monotonic()
        if deadline is not None and now >= deadline:
            if not args.quiet:
                print("testserver: lifetime over, stopping", file=sys.stderr)
            break
        if now >= next_parent_check:
            next_parent_check = now + 0.5
            if not parent_alive(args.parent_pid, original_ppid):
                print("testserver: parent gone, stopping", file=sys.stderr)
                break
        try:
            conn, _ = listener.accept()
        except socket.timeout:
            continue
        except OSError:
            if state.stop.is_set():
                break
            time.sleep(0.01)
            continue
        t = threading.Thread(target=handle, args=(state, conn), daemon=True)
        t.start()
    state.stop.set()
    listener.close()
    if state.log:
        with state.lock:
            state.log.flush()
    return 0


if __name__ == "__main__":
    sys.exit(main())

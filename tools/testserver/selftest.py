#!/usr/bin/env python3
"""Self-test of testserver.py: starts it on 127.0.0.1 and checks each scripted
behaviour with raw sockets. Exits non-zero when a check fails."""

import json
import os
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(HERE, "testserver.py")
MTIME = 1_600_000_000  # Sun, 13 Sep 2020 12:26:40 GMT


def start(args, cwd=None):
    proc = subprocess.Popen([sys.executable, SERVER, "--lifetime", "60", "--parent-pid",
                             str(os.getpid()), "--quiet"] + args,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=cwd)
    line = proc.stdout.readline().decode()
    if not line.startswith("PORT "):
        proc.kill()
        raise RuntimeError("no PORT line: %r %r" % (line, proc.stderr.read()))
    return proc, int(line.split()[1])


def exchange(port, request, timeout=10.0):
    """Sends request bytes, reads to EOF. Returns (data, 'eof'|'reset'|'timeout', first-byte delay)."""
    s = socket.create_connection(("127.0.0.1", port), timeout=timeout)
    t0 = time.monotonic()
    first = None
    s.sendall(request)
    data = b""
    end = "eof"
    try:
        while True:
            chunk = s.recv(65536)
            if not chunk:
                break
            if first is None:
                first = time.monotonic() - t0
            data += chunk
    except ConnectionResetError:
        end = "reset"
    except socket.timeout:
        end = "timeout"
    s.close()
    return data, end, first


def get(port, target, extra=b"", version=b"HTTP/1.0"):
    return exchange(port, b"GET " + target.encode() + b" " + version + b"\r\n" + extra + b"\r\n")


def split(data):
    sep = b"\r\n\r\n" if b"\r\n\r\n" in data else b"\n\n"
    head, _, body = data.partition(sep)
    lines = head.replace(b"\r\n", b"\n").split(b"\n")
    status = int(lines[0].split()[1]) if lines and len(lines[0].split()) > 1 else 0
    headers = {}
    for l in lines[1:]:
        n, _, v = l.decode("latin-1").partition(":")
        headers.setdefault(n.strip().lower(), v.strip())
    return status, headers, body


def control(port, method, path, body=None):
    req = urllib.request.Request("http://127.0.0.1:%d%s" % (port, path), data=body, method=method)
    with urllib.request.urlopen(req, timeout=10) as r:
        return r.status, r.read()


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, name, cond, detail=""):
        if cond:
            self.passed += 1
        else:
            self.failed += 1
            print("FAIL %s %s" % (name, detail))


SCRIPT = {
    "/moved": {"status": 302, "reason": "Found It", "headers": {"Location": "/a.txt"}},
    "/liar": {"body": "short", "headers": [["Content-Length", "1000"]]},
    "/nolen": {"body": "x", "headers": {"Content-Length": None}},
    "/cut": {"body_size": 10000, "cut_at": 100},
    "/reset": {"body_size": 10000, "reset_at": 50},
    "/reset-now": {"reset_now": True},
    "/late": {"body": "late", "header_delay_ms": 300},
    "/stall": {"body_size": 20, "body_stall_at": 10, "body_stall_ms": 300},
    "/old": {"no_header": True, "body": "<HTML>\n<p>old</p>\n</HTML>\n"},
    "/lf": {"lf_only": True, "body": "lf"},
    "/long": {"long_header": 9000, "body": "x"},
    "/drip": {"body_size": 30, "drip_bytes": 10, "drip_ms": 150},
    "/flaky": [{"status": 503}, {"status": 503}, {"body": "finally"}],
    "/raw": {"raw": "HTTP/1.0 200 OK\r\nX-Raw: 1\r\n\r\nraw body"},
    "/b.bin": {"range": "ignore"},
    "/c.bin": {"range": "always"},
    "/d.bin": {"range": "wrong"},
    "/e.bin": {"ims": "ignore"},
    "/wild/*": {"status": 410},
    "/t/*": {"body": "{n}-{n+1}-{n+1:3}-{name}", "template": True},
    "/wild/exact": {"status": 200, "body": "exact"},
    "/modified": {"body": "m", "last_modified": MTIME},
}


def run_checks(c, port, root, log):
    # Static files.
    st, h, body = split(get(port, "/a.txt")[0])
    c.check("static 200", st == 200 and body == b"hello\n", (st, body))
    c.check("static length", h.get("content-length") == "6", h)
    c.check("static type", h.get("content-type") == "text/plain", h)
    c.check("static last-modified", h.get("last-modified") == "Sun, 13 Sep 2020 12:26:40 GMT", h)
    st, h, body = split(get(port, "/dir/")[0])
    c.check("index.html", st == 200 and body == b"<html>index</html>" and
            h.get("content-type") == "text/html", (st, h, body))
    st, h, _ = split(get(port, "/dir")[0])
    c.check("dir redirect", st == 301 and h.get("location") == "/dir/", (st, h))
    for target in ("/missing", "/../selftest.py", "/%2e%2e/x", "/a.txt%00"):
        c.check("404 " + target, split(get(port, target)[0])[0] == 404)
    st, h, body = split(get(port, "/sp%20ace.txt?q=1")[0])
    c.check("escaped path", st == 200 and body == b"space", (st, body))
    data, _, _ = exchange(port, b"HEAD /a.txt HTTP/1.0\r\n\r\n")
    st, h, body = split(data)
    c.check("HEAD", st == 200 and body == b"" and h.get("content-length") == "6", data)

    # If-Modified-Since.
    for path, since, want in (("/a.txt", "Sun, 13 Sep 2020 12:26:40 GMT", 304),
                              ("/a.txt", "Mon, 14 Sep 2020 00:00:00 GMT", 304),
                              ("/a.txt", "Sat, 12 Sep 2020 00:00:00 GMT", 200),
                              ("/a.txt", "garbage", 200),
                              ("/e.bin", "Mon, 14 Sep 2020 00:00:00 GMT", 200),
                              ("/modified", "Mon, 14 Sep 2020 00:00:00 GMT", 304)):
        st, _, body = split(get(port, path, b"If-Modified-Since: " + since.encode() + b"\r\n")[0])
        c.check("ims %s %s" % (path, since), st == want and (st != 304 or body == b""), st)

    # Ranges: file is "0123456789" in every .bin.
    for path, rng, want_st, want_body, want_cr in (
            ("/a.bin", "bytes=2-4", 206, b"234", "bytes 2-4/10"),
            ("/a.bin", "bytes=7-", 206, b"789", "bytes 7-9/10"),
            ("/a.bin", "bytes=-2", 206, b"89", "bytes 8-9/10"),
            ("/a.bin", "bytes=20-", 416, b"", "bytes */10"),
            ("/a.bin", "bytes=1-2,4-5", 200, b"0123456789", None),
            ("/a.bin", None, 200, b"0123456789", None),
            ("/b.bin", "bytes=2-4", 200, b"0123456789", None),
            ("/c.bin", None, 206, b"0123456789", "bytes 0-9/10"),
            ("/c.bin", "bytes=2-4", 206, b"234", "bytes 2-4/10"),
            ("/d.bin", "bytes=5-", 206, b"0123456789", "bytes 0-9/10"),
            ("/d.bin", None, 200, b"0123456789", None)):
        extra = ("Range: %s\r\n" % rng).encode() if rng else b""
        st, h, body = split(get(port, path, extra)[0])
        c.check("range %s %s" % (path, rng),
                st == want_st and body == want_body and h.get("content-range") == want_cr,
                (st, body, h.get("content-range")))

    # Scripted headers and bodies.
    st, h, body = split(get(port, "/moved")[0])
    c.check("redirect", st == 302 and h.get("location") == "/a.txt", (st, h))
    c.check("reason", get(port, "/moved")[0].startswith(b"HTTP/1.0 302 Found It\r\n"))
    st, h, body = split(get(port, "/liar")[0])
    c.check("lying length", h.get("content-length") == "1000" and body == b"short", (h, body))
    st, h, body = split(get(port, "/nolen")[0])
    c.check("omitted length", "content-length" not in h and body == b"x", h)
    data, end, _ = get(port, "/cut")
    st, h, body = split(data)
    c.check("cut", end == "eof" and len(body) == 100 and h.get("content-length") == "10000",
            (end, len(body)))
    data, end, _ = get(port, "/reset")
    c.check("reset", end == "reset" and len(split(data)[2]) <= 50, (end, len(data)))
    data, end, _ = get(port, "/reset-now")
    c.check("reset now", end == "reset" and data == b"", (end, data))
    data, end, first = get(port, "/late")
    c.check("header delay", first is not None and first >= 0.28 and data.endswith(b"late"),
            first)
    got = []
    s = socket.create_connection(("127.0.0.1", port), timeout=10)
    s.sendall(b"GET /stall HTTP/1.0\r\n\r\n")
    t0 = time.monotonic()
    while True:
        chunk = s.recv(65536)
        if not chunk:
            break
        got.append((time.monotonic() - t0, chunk))
    s.close()
    whole = b"".join(ch for _, ch in got)
    body = split(whole)[2]
    at_ten = next((t for t, _ in got if t > 0.25), None)
    c.check("body stall", body == b"0123456789abcdef0123" and at_ten is not None, got)
    data, _, _ = get(port, "/old")
    c.check("no header", data == b"<HTML>\n<p>old</p>\n</HTML>\n", data)
    data, _, _ = get(port, "/lf")
    c.check("lf only", b"\r" not in data and data.endswith(b"\n\nlf") and
            data.startswith(b"HTTP/1.0 200 OK\n"), data)
    data, _, _ = get(port, "/long")
    longest = max(len(l) for l in data.split(b"\r\n"))
    c.check("long header", longest >= 9000 and split(data)[2] == b"x", longest)
    t0 = time.monotonic()
    st, _, body = split(get(port, "/drip")[0])
    took = time.monotonic() - t0
    c.check("drip", body == b"0123456789abcdef0123456789abcd" and took >= 0.28, took)
    seq = [split(get(port, "/flaky")[0])[0] for _ in range(4)]
    c.check("sequence", seq == [503, 503, 200, 200], seq)
    data, _, _ = get(port, "/raw")
    c.check("raw", data == b"HTTP/1.0 200 OK\r\nX-Raw: 1\r\n\r\nraw body", data)
    c.check("wildcard", split(get(port, "/wild/any/thing")[0])[0] == 410)
    c.check("exact before wildcard", split(get(port, "/wild/exact")[0])[2] == b"exact")
    c.check("template", split(get(port, "/t/7/a41.jsp")[0])[2] == b"41-42-042-a41")

    # Odd requests.
    data, _, _ = exchange(port, b"GET /a.txt\r\n")
    c.check("http/0.9 request", data == b"hello\n", data)
    data, _, _ = exchange(port, b"BROKEN\r\n\r\n")
    c.check("bad request line", split(data)[0] == 400, data)
    data, _, _ = exchange(port, b"GET http://127.0.0.1:9/a.txt?x HTTP/1.0\r\nHost: 127.0.0.1:9\r\n\r\n")
    c.check("absolute target", split(data)[2] == b"hello\n", data)
    data, _, _ = exchange(port, b"POST /post HTTP/1.0\r\nContent-Length: 5\r\n\r\nabcde")
    c.check("post answered", split(data)[0] == 404, data)

    # Run-time script and request log.
    st, _ = control(port, "POST", "/__script", json.dumps({"/added": {"status": 418}}).encode())
    c.check("add script", st == 200)
    c.check("added answer", split(get(port, "/added")[0])[0] == 418)
    try:
        control(port, "POST", "/__script", b"[1,2]")
        c.check("bad script refused", False)
    except urllib.error.HTTPError as e:
        c.check("bad script refused", e.code == 400)
    _, raw = control(port, "GET", "/__requests")
    reqs = json.loads(raw)
    c.check("no control requests logged", all(not r["path"].startswith("/__") for r in reqs))
    c.check("seq increasing", [r["seq"] for r in reqs] == list(range(1, len(reqs) + 1)))
    absolute = [r for r in reqs if r["target"] == "http://127.0.0.1:9/a.txt?x"]
    c.check("absolute recorded", len(absolute) == 1 and absolute[0]["path"] == "/a.txt" and
            absolute[0]["headers"] == [["Host", "127.0.0.1:9"]], absolute)
    post = [r for r in reqs if r["path"] == "/post"]
    c.check("body recorded", post and post[0]["body"] == "abcde" and post[0]["method"] == "POST",
            post)
    old = [r for r in reqs if r["raw"] == "GET /a.txt\r\n"]
    c.check("0.9 recorded", old and old[0]["version"] == "", old)
    with open(log, encoding="utf-8") as f:
        lines = [json.loads(l) for l in f]
    c.check("log file", [r["seq"] for r in lines] == [r["seq"] for r in reqs], len(lines))
    control(port, "POST", "/__clear")
    c.check("clear", json.loads(control(port, "GET", "/__requests")[1]) == [])
    c.check("clear restarts sequence", split(get(port, "/flaky")[0])[0] == 503)

    # Many connections at once: 64 answers stalled 0.3 s each must overlap
    # (one after the other they would take 19 s).
    results = []
    lock = threading.Lock()

    def one():
        r = get(port, "/late")[0]
        with lock:
            results.append(r.endswith(b"late"))

    t0 = time.monotonic()
    threads = [threading.Thread(target=one) for _ in range(64)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    took = time.monotonic() - t0
    c.check("64 concurrent", len(results) == 64 and all(results) and took < 10.0, took)

    # Throughput of small files, 4 clients.
    n = 2000
    counter = [0]

    def worker(k):
        for i in range(k):
            if split(get(port, "/a.txt")[0])[0] == 200:
                with lock:
                    counter[0] += 1

    t0 = time.monotonic()
    threads = [threading.Thread(target=worker, args=(n // 4,)) for _ in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    took = time.monotonic() - t0
    print("throughput: %d small files in %.2f s (%.0f/s)" % (counter[0], took, counter[0] / took))
    c.check("throughput all served", counter[0] == n, counter[0])


def run_lifecycle(c, tmp):
    # Proxy mode refuses origin-form targets and answers absolute ones.
    proc, port = start(["--proxy", "--root", os.path.join(tmp, "root")])
    c.check("proxy origin-form refused", split(get(port, "/a.txt")[0])[0] == 400)
    data, _, _ = exchange(port, b"GET http://127.0.0.1:1/a.txt HTTP/1.0\r\n\r\n")
    c.check("proxy absolute", split(data)[2] == b"hello\n", data)
    # SIGTERM ends it promptly with status 0.
    proc.send_signal(signal.SIGTERM)
    try:
        rc = proc.wait(timeout=5)
    except subprocess.TimeoutExpired:
        proc.kill()
        rc = None
    c.check("sigterm", rc == 0, rc)

    # Lifetime.
    portfile = os.path.join(tmp, "port")
    proc = subprocess.Popen([sys.executable, SERVER, "--lifetime", "1", "--quiet",
                             "--port-file", portfile], stdout=subprocess.PIPE)
    line = proc.stdout.readline().decode()
    with open(portfile) as f:
        c.check("port file", f.read().strip() == line.split()[1], line)
    try:
        rc = proc.wait(timeout=5)
    except subprocess.TimeoutExpired:
        proc.kill()
        rc = None
    c.check("lifetime", rc == 0, rc)

    # Parent death.
    parent = subprocess.Popen(["sleep", "0.5"])
    proc = subprocess.Popen([sys.executable, SERVER, "--lifetime", "30", "--quiet",
                             "--parent-pid", str(parent.pid)], stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL)
    proc.stdout.readline()
    parent.wait()
    try:
        rc = proc.wait(timeout=5)
    except subprocess.TimeoutExpired:
        proc.kill()
        rc = None
    c.check("parent death", rc == 0, rc)

    # A broken script is refused at start.
    bad = os.path.join(tmp, "bad.json")
    with open(bad, "w") as f:
        f.write('{"/x": 5}')
    rc = subprocess.run([sys.executable, SERVER, "--script", bad, "--lifetime", "5"],
                        capture_output=True, timeout=10).returncode
    c.check("bad script exit", rc == 2, rc)


def main():
    c = Checks()
    with tempfile.TemporaryDirectory() as tmp:
        root = os.path.join(tmp, "root")
        os.makedirs(os.path.join(root, "dir"))
        files = {"a.txt": b"hello\n", "dir/index.html": b"<html>index</html>",
                 "sp ace.txt": b"space"}
        for name in ("a", "b", "c", "d", "e"):
            files[name + ".bin"] = b"0123456789"
        for name, data in files.items():
            path = os.path.join(root, name)
            with open(path, "wb") as f:
                f.write(data)
            os.utime(path, (MTIME, MTIME))
        with open(os.path.join(tmp, "outside.txt"), "w") as f:
            f.write("secret")
        script = os.path.join(tmp, "script.json")
        with open(script, "w") as f:
            json.dump(SCRIPT, f)
        log = os.path.join(tmp, "log.jsonl")
        proc, port = start(["--root", root, "--script", script, "--log", log])
        try:
            run_checks(c, port, root, log)
        except Exception as e:  # report, do not hang
            c.check("exception", False, repr(e))
        finally:
            proc.terminate()
            proc.wait(timeout=10)
        run_lifecycle(c, tmp)
    print("%d passed, %d failed" % (c.passed, c.failed))
    return 1 if c.failed else 0


if __name__ == "__main__":
    sys.exit(main())

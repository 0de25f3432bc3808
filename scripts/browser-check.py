#!/usr/bin/env python3
"""Opens stored pages of a mirror in headless Chromium from file:// and counts
the sub-resource loads that fail. Used by scripts/browser-check.sh.

    python3 scripts/browser-check.py CHROMIUM PAGE.html [PAGE.html ...]

Chromium is driven over its DevTools pipe (file descriptors 3 and 4), so no
port is opened. It is always started with every host name mapped to "not
found": nothing the pages name can make it look up or reach another machine.
Prints one line per failed load and a summary line
"pages N requests R failed F missing M refused B". A failed load is missing
when its file is not there (or it names another machine); it is refused when
the file is stored but Chromium does not let a file:// page load it (a web
app manifest, an external SVG <use>: file:// pages count as opaque origins).
Exits 0 when M is 0, 1 otherwise.
"""

import json
import os
import urllib.parse
import subprocess
import sys
import tempfile
import time

SETTLE_SECONDS = 1.5  # after the load event: lazy images, fonts, media
PAGE_TIMEOUT = 20.0

FLAGS = [
    "--host-resolver-rules=MAP * ~NOTFOUND",
    "--headless",
    "--no-sandbox",
    "--disable-gpu",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    "--no-first-run",
    "--remote-debugging-pipe",
]


class Browser:
    def __init__(self, binary):
        self.profile = tempfile.mkdtemp(prefix="tx-browser-check-")
        to_chrome_r, self.to_chrome = os.pipe()
        self.from_chrome, from_chrome_w = os.pipe()
        # Chromium reads commands from fd 3 and writes answers to fd 4.
        def child_fds():
            # Moved out of the way first: either pipe may already sit at 3 or 4.
            r = os.dup(to_chrome_r) if to_chrome_r > 4 else os.dup2(to_chrome_r, 10)
            w = os.dup(from_chrome_w) if from_chrome_w > 4 else os.dup2(from_chrome_w, 11)
            os.dup2(r, 3)
            os.dup2(w, 4)
        self.proc = subprocess.Popen(
            [binary, *FLAGS, "--user-data-dir=" + self.profile, "about:blank"],
            preexec_fn=child_fds, pass_fds=(3, 4),
            stdout=subprocess.DEVNULL, stderr=(None if os.environ.get("TX_BROWSER_DEBUG") else subprocess.DEVNULL))
        os.close(to_chrome_r)
        os.close(from_chrome_w)
        self.buf = b""
        self.next_id = 0
        self.events = []

    def send(self, method, params=None, session=None):
        self.next_id += 1
        msg = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            msg["sessionId"] = session
        os.write(self.to_chrome, json.dumps(msg).encode() + b"\0")
        return self.next_id

    def read(self, deadline):
        """The next message, or None when the deadline passes."""
        import select
        while b"\0" not in self.buf:
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            ready, _, _ = select.select([self.from_chrome], [], [], left)
            if not ready:
                return None
            chunk = os.read(self.from_chrome, 65536)
            if not chunk:
                raise RuntimeError("chromium ended")
            self.buf += chunk
        msg, self.buf = self.buf.split(b"\0", 1)
        return json.loads(msg)

    def call(self, method, params=None, session=None, timeout=PAGE_TIMEOUT):
        wanted = self.send(method, params, session)
        deadline = time.monotonic() + timeout
        while True:
            msg = self.read(deadline)
            if msg is None:
                raise RuntimeError("no answer to " + method)
            if msg.get("id") == wanted:
                if "error" in msg:
                    raise RuntimeError(method + ": " + json.dumps(msg["error"]))
                return msg.get("result", {})
            self.events.append(msg)

    def close(self):
        try:
            self.send("Browser.close")
            self.proc.wait(timeout=10)
        except Exception:
            self.proc.kill()
            self.proc.wait()
        subprocess.run(["rm", "-rf", self.profile], check=False)


def check_page(browser, url):
    """(requests, failures) of one page opened in a fresh tab."""
    target = browser.call("Target.createTarget", {"url": "about:blank"})["targetId"]
    session = browser.call("Target.attachToTarget",
                           {"targetId": target, "flatten": True})["sessionId"]
    browser.call("Network.enable", session=session)
    browser.call("Page.enable", session=session)
    browser.events.clear()
    browser.call("Page.navigate", {"url": url}, session=session)
    requests = {}
    failures = []
    loaded_at = None
    deadline = time.monotonic() + PAGE_TIMEOUT
    pending = list(browser.events)
    browser.events.clear()
    while True:
        now = time.monotonic()
        if loaded_at is not None and now >= loaded_at + SETTLE_SECONDS:
            break
        msg = pending.pop(0) if pending else browser.read(
            min(deadline, (loaded_at or deadline) + SETTLE_SECONDS))
        if msg is None:
            if loaded_at is None and time.monotonic() < deadline:
                continue
            break
        if msg.get("sessionId") != session:
            continue
        method = msg.get("method")
        p = msg.get("params", {})
        if method == "Network.requestWillBeSent":
            requests[p["requestId"]] = p["request"]["url"]
        elif method == "Network.loadingFailed":
            failures.append((requests.get(p["requestId"], "?"), p.get("errorText", ""),
                             p.get("blockedReason", "")))
        elif method == "Page.loadEventFired":
            loaded_at = time.monotonic()
    browser.call("Target.closeTarget", {"targetId": target})
    # The page itself is no sub-resource.
    subs = [u for u in requests.values() if u != url]
    return len(subs), [f for f in failures if f[0] != url]


def stored(url):
    """Whether a file:// URL names a file that is there."""
    parts = urllib.parse.urlsplit(url)
    return parts.scheme == "file" and os.path.isfile(urllib.parse.unquote(parts.path))


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    browser = Browser(sys.argv[1])
    total_requests = 0
    total_failed = 0
    missing = 0
    pages = 0
    try:
        for page in sys.argv[2:]:
            url = "file://" + os.path.abspath(page)
            n, failed = check_page(browser, url)
            pages += 1
            total_requests += n
            total_failed += len(failed)
            for what, error, reason in failed:
                kind = "REFUSED" if stored(what) else "MISSING"
                missing += kind == "MISSING"
                print(f"{kind} {what} {error} {reason} (on {url})")
    finally:
        browser.close()
    print(f"pages {pages} requests {total_requests} failed {total_failed} missing {missing} "
          f"refused {total_failed - missing}")
    return 0 if missing == 0 else 1


if __name__ == "__main__":
    sys.exit(main())

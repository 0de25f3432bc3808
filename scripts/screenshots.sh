#!/usr/bin/env bash
# Pictures of the desktop program for the README, in two steps.
#
# 1. Without any X server (QT_QPA_PLATFORM=offscreen): the "pictures"
#    functions of the Qt Test programs crawl examples/demo-site served on
#    127.0.0.1 with the main window as host and grab it after the crawl in
#    Chinese and English (screenshot-main-zh.png, screenshot-main-en.png), and
#    grab the new-project wizard's pages, its first page and its rules page
#    in English (wizard-page1-en.png, wizard-rules-en.png) and in Chinese
#    (wizard-page1.png ... wizard-page9.png, wizard-rules.png).
# 2. Chinese only: serves the demo site slowed down (so that the slot status
#    window has something to show), makes a project with trawlonix-cli, runs
#    `trawlonix` under Xvfb, starts the crawl from the toolbar and writes PNGs
#    of the main window (both trees, each result list), the slot status window
#    and the results window with ImageMagick `import`.
#
#   scripts/screenshots.sh [BUILD_DIR]       (default build/dev) both steps
#   TX_SHOTS_LANG=en scripts/screenshots.sh  step 1 only (no X server needed)
#
# Step 1 needs the targets tst_endtoend, tst_english and tst_wizard. Step 2
# needs xvfb-run, ImageMagick, xwininfo, python3 and libXtst (keys and clicks
# are sent through the XTEST extension). No window manager runs, so the main
# window sits exactly where its remembered placement puts it.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build/dev}" && pwd)
APP=$BUILD/src/ui/trawlonix
CLI=$BUILD/src/cli/trawlonix-cli
OUT=$ROOT/docs

offscreen_pictures() {
  local work program
  work=$(mktemp -d)
  for program in tst_endtoend tst_english tst_wizard; do
    [ -x "$BUILD/tests/ui/$program" ] ||
      { echo "missing $BUILD/tests/ui/$program (build the target $program)" >&2; rm -rf "$work"; return 1; }
    # The programs pick their own language where a picture needs one; the
    # rest is Chinese, as under ctest.
    if ! env QT_QPA_PLATFORM=offscreen LC_ALL=zh_CN.UTF-8 TX_DIALOG_SHOTS="$OUT" \
      TRAWLONIX_SETTINGS="$work/settings.conf" XDG_RUNTIME_DIR="$work" \
      "$BUILD/tests/ui/$program" pictures > "$work/$program.log" 2>&1; then
      cat "$work/$program.log" >&2
      rm -rf "$work"
      return 1
    fi
  done
  rm -rf "$work"
  ls "$OUT" | grep -E '^(screenshot-main-..|wizard-.*)\.png$' | sed 's|^|wrote docs/|'
}

if [ -z "${TX_SHOTS_INSIDE:-}" ]; then
  mkdir -p "$OUT"
  offscreen_pictures
  [ "${TX_SHOTS_LANG:-zh}" = en ] && exit 0
  for f in "$APP" "$CLI"; do
    [ -x "$f" ] || { echo "missing $f (build the targets trawlonix and trawlonix-cli)" >&2; exit 1; }
  done
  export TX_SHOTS_INSIDE=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$BUILD"
fi

WORK=$(mktemp -d)
SERVER_PID=
APP_PID=
cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
  [ -n "$SERVER_PID" ] && kill "$SERVER_PID" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

export TRAWLONIX_SETTINGS=$WORK/settings.conf
cat > "$TRAWLONIX_SETTINGS" <<EOF
[Options]
MaxThreads=4
LogLines=200
ShowLinkStructure=1
Runs=1
[Placement]
Left=20
Top=20
EOF

echo '{"*": {"header_delay_ms": 700}}' > "$WORK/script.json"
python3 "$ROOT/tools/testserver/testserver.py" --root "$ROOT/examples/demo-site" \
  --script "$WORK/script.json" --port-file "$WORK/port" --lifetime 300 --quiet \
  --parent-pid $$ > /dev/null &
SERVER_PID=$!
for _ in $(seq 100); do [ -s "$WORK/port" ] && break; sleep 0.1; done
PORT=$(cat "$WORK/port")
mkdir -p "$WORK/mirror"
"$CLI" new "http://127.0.0.1:$PORT/" --dir "$WORK/mirror" --name demo \
  --collect other-servers -o "$WORK/demo.txp" > /dev/null

"$APP" --lang zh "$WORK/demo.txp" > "$WORK/app.log" 2>&1 &
APP_PID=$!

OUT="$OUT" python3 - <<'PY'
import ctypes, os, re, subprocess, sys, time

out = os.environ["OUT"]
x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XStringToKeysym.restype = ctypes.c_ulong
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
for f in (xtst.XTestFakeKeyEvent, xtst.XTestFakeButtonEvent, xtst.XTestFakeMotionEvent):
    f.argtypes = None
dpy = ctypes.c_void_p(x11.XOpenDisplay(None))
if not dpy:
    sys.exit("no X display")

def flush():
    x11.XFlush(dpy)

def key(name):
    code = x11.XKeysymToKeycode(dpy, x11.XStringToKeysym(name.encode()))
    xtst.XTestFakeKeyEvent(dpy, code, 1, 0)
    xtst.XTestFakeKeyEvent(dpy, code, 0, 0)
    flush()

def click(x, y):
    xtst.XTestFakeMotionEvent(dpy, -1, x, y, 0)
    flush()
    time.sleep(0.15)
    xtst.XTestFakeButtonEvent(dpy, 1, 1, 0)
    xtst.XTestFakeButtonEvent(dpy, 1, 0, 0)
    flush()

def windows():
    """(id, title, width, height, x, y) of the program's mapped windows."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True,
                          text=True).stdout
    found = []
    pat = re.compile(r'^\s*(0x[0-9a-f]+) "(.*)": \("trawlonix" "[^"]*"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)')
    for line in tree.splitlines():
        m = pat.match(line)
        # Qt also makes a 1x1 helper window of the same class.
        if m and int(m.group(3)) > 1 and int(m.group(4)) > 1:
            found.append((m.group(1), m.group(2), int(m.group(3)), int(m.group(4)),
                          int(m.group(5)), int(m.group(6))))
    return found

def viewable(wid):
    info = subprocess.run(["xwininfo", "-id", wid], capture_output=True, text=True).stdout
    return "IsViewable" in info

def wait_for(title, timeout=30):
    end = time.time() + timeout
    while time.time() < end:
        for w in windows():
            if w[1] == title and viewable(w[0]):
                return w
        time.sleep(0.2)
    subprocess.run(["import", "-window", "root", "/tmp/trawlonix-shots-failed.png"])
    sys.exit("window %r did not appear (screen: /tmp/trawlonix-shots-failed.png)" % title)

def shot(win, name):
    time.sleep(0.6)
    subprocess.run(["import", "-window", win[0], os.path.join(out, name)], check=True)
    print("wrote docs/" + name)

wait_for("Morvek Trawlonix")
time.sleep(1.5)
# The main window and the splash window share the caption; the main window
# is the larger one.
main = max((w for w in windows() if w[1] == "Morvek Trawlonix" and viewable(w[0])),
           key=lambda w: w[2] * w[3])
key("Return")                             # the splash window's OK
time.sleep(1.0)
mx, my = main[4], main[5]
click(mx + 204, my + 43)                  # toolbar: 开始
time.sleep(1.5)
click(mx + 293, my + 43)                  # toolbar: 状态
status = wait_for("下载线程的状态:")
shot(status, "screenshot-status.png")
results = wait_for("方案结果", timeout=120)
shot(results, "screenshot-results.png")
key("Return")
time.sleep(1.0)
xtst.XTestFakeMotionEvent(dpy, -1, 1000, 750, 0)
flush()
shot(main, "screenshot-dirtree.png")
click(mx + 108, my + 91)                  # tab: 链接结构
shot(main, "screenshot-linktree.png")
for name, dx in (("links", 277), ("emails", 372), ("broken", 463)):
    click(mx + dx, my + 90)               # tabs of the three lists
    shot(main, "screenshot-%s.png" % name)
PY

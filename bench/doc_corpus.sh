#!/usr/bin/env bash
# Mirrors real HTML documentation nobody here wrote (a Debian -doc package,
# default python-astropy-doc) served by nginx on 127.0.0.1, with trawlonix-cli
# and with wget --mirror -k -p -E, and compares what each asked the server
# for (requests, 404 answers, files the other one fetched that this one did
# not) and, with scripts/browser-check.sh, the failed sub-resource loads of a
# sample of stored pages opened from file://.
#
#   bench/doc_corpus.sh [--package NAME] [--dir HTMLDIR] [--pages N] [--keep]
#
# Environment: BUILD_DIR (default build/dev) for trawlonix-cli.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
PACKAGE=python-astropy-doc
HTMLDIR=""
PAGES=40
KEEP=0
while [ $# -gt 0 ]; do
  case "$1" in
    --package) PACKAGE=$2; shift 2 ;;
    --dir) HTMLDIR=$2; shift 2 ;;
    --pages) PAGES=$2; shift 2 ;;
    --keep) KEEP=1; shift ;;
    *) echo "usage: $0 [--package NAME] [--dir HTMLDIR] [--pages N] [--keep]" >&2; exit 2 ;;
  esac
done
[ -n "$HTMLDIR" ] || HTMLDIR=/usr/share/doc/$PACKAGE/html
if [ ! -d "$HTMLDIR" ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$PACKAGE"
fi
CLI="$ROOT/${BUILD_DIR:-build/dev}/src/cli/trawlonix-cli"
[ -x "$CLI" ] || { echo "build trawlonix-cli first" >&2; exit 1; }

W=$(mktemp -d /tmp/doc-corpus.XXXXXX)
chmod 755 "$W"  # nginx workers run as another user
NGINX_PID=""
cleanup() {
  if [ -n "$NGINX_PID" ]; then kill "$NGINX_PID" 2>/dev/null || true; wait "$NGINX_PID" 2>/dev/null || true; fi
  if [ "$KEEP" = 0 ]; then rm -rf "$W"; else echo "kept $W"; fi
}
trap cleanup EXIT

PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
mkdir -p "$W/nginx"
cat >"$W/nginx/nginx.conf" <<CONF
worker_processes 1;
daemon off;
pid $W/nginx/nginx.pid;
error_log $W/nginx/error.log;
events { worker_connections 1024; }
http {
  log_format req '\$status \$request_uri';
  access_log $W/nginx/access.log req;
  include /etc/nginx/mime.types;
  default_type application/octet-stream;
  client_body_temp_path $W/nginx/body;
  proxy_temp_path $W/nginx/proxy;
  fastcgi_temp_path $W/nginx/fastcgi;
  uwsgi_temp_path $W/nginx/uwsgi;
  scgi_temp_path $W/nginx/scgi;
  server { listen 127.0.0.1:$PORT; root $HTMLDIR; }
}
CONF
timeout 3600 /usr/sbin/nginx -c "$W/nginx/nginx.conf" -p "$W/nginx" &
NGINX_PID=$!
for _ in $(seq 1 100); do
  python3 -c "import socket; socket.create_connection(('127.0.0.1',$PORT),0.2)" 2>/dev/null && break
  sleep 0.1
done
URL="http://127.0.0.1:$PORT/"
echo "== nginx serves $HTMLDIR at $URL"

# take NAME: the access-log lines of the run just made go to $W/NAME.log.
TAKEN=0
take() {
  local n
  n=$(wc -l <"$W/nginx/access.log")
  tail -n +$((TAKEN + 1)) "$W/nginx/access.log" | head -n $((n - TAKEN)) >"$W/$1.log"
  TAKEN=$n
}

printf '[Options]\nMaxThreads=10\n' >"$W/settings.conf"
/usr/bin/time -f "%e" -o "$W/trawlonix.time" env TRAWLONIX_SETTINGS="$W/settings.conf" \
  "$CLI" mirror "$URL" "$W/trawlonix" --quiet >"$W/trawlonix.out" 2>&1 || true
take trawlonix
/usr/bin/time -f "%e" -o "$W/wget.time" wget -q --mirror -k -p -E -e robots=off --no-parent \
  -P "$W/wget" "$URL" || true
take wget

python3 - "$W" <<'PY'
import collections, re, sys
w = sys.argv[1]
def load(name):
    rows = [l.split(" ", 1) for l in open(f"{w}/{name}.log").read().splitlines() if l]
    return [(int(s), u) for s, u in rows]
t, g = load("trawlonix"), load("wget")
ok = lambda rows: {u.split("?")[0] for s, u in rows if s < 400}
broken = 0
for line in open(f"{w}/trawlonix.out", encoding="utf-8", errors="replace"):
    m = re.match(r"错误链接: (\d+)", line)
    if m: broken = int(m.group(1))
for name, rows in (("trawlonix-cli", t), ("wget", g)):
    c = collections.Counter(s for s, _ in rows)
    print(f"{name}: requests {len(rows)}, 404 {c.get(404, 0)}, "
          f"time {open(f'{w}/{name.split(chr(45))[0]}.time').read().split()[-1]} s")
print(f"trawlonix-cli broken-link list: {broken} rows")
print(f"trawlonix-cli requests / wget requests: {len(t) / max(len(g), 1):.3f}")
lost = sorted(ok(g) - ok(t))
print(f"files wget fetched that trawlonix-cli did not: {len(lost)}", lost[:20])
extra = sorted(ok(t) - ok(g))
print(f"files trawlonix-cli fetched that wget did not: {len(extra)}", extra[:20])
PY

echo "== browser check, $PAGES pages each"
host_dir=$(find "$W/trawlonix" -maxdepth 1 -type d -name '127.0.0.1*' | head -n1)
wget_dir=$(find "$W/wget" -maxdepth 1 -type d -name '127.0.0.1*' | head -n1)
echo "-- trawlonix-cli"; scripts/browser-check.sh --pages "$host_dir" "$PAGES" | grep -v -e '^REFUSED' -e '^MISSING' || true
echo "-- wget"; scripts/browser-check.sh --pages "$wget_dir" "$PAGES" | grep -v -e '^REFUSED' -e '^MISSING' || true

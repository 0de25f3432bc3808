#!/usr/bin/env bash
# Mirrors real HTML documentation nobody here wrote (a Debian -doc package,
# default python-astropy-doc) served by nginx on 127.0.0.1, with trawlonix-cli
# and with wget --mirror -k -p -E, and compares what each asked the server
# for (requests, 404 answers, files the other one fetched that this one did
# not), wall and CPU time, peak RSS and the connections each opened, and,
# with scripts/browser-check.sh, the failed sub-resource loads of a sample of
# stored pages opened from file://. With --https both mirror over TLS (a
# throwaway CA made with openssl, given to both).
#
#   bench/doc_corpus.sh [--package NAME] [--dir HTMLDIR] [--pages N] [--https] [--keep]
#
# Environment: BUILD_DIR (default build/dev) for trawlonix-cli.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
PACKAGE=python-astropy-doc
HTMLDIR=""
PAGES=40
KEEP=0
HTTPS=0
while [ $# -gt 0 ]; do
  case "$1" in
    --package) PACKAGE=$2; shift 2 ;;
    --dir) HTMLDIR=$2; shift 2 ;;
    --pages) PAGES=$2; shift 2 ;;
    --keep) KEEP=1; shift ;;
    --https) HTTPS=1; shift ;;
    *) echo "usage: $0 [--package NAME] [--dir HTMLDIR] [--pages N] [--https] [--keep]" >&2; exit 2 ;;
  esac
done
[ -n "$HTMLDIR" ] || HTMLDIR=/usr/share/doc/$PACKAGE/html
if [ ! -d "$HTMLDIR" ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$PACKAGE"
fi
CLI="$ROOT/${BUILD_DIR:-build/dev}/src/cli/trawlonix-cli"
[ -x "$CLI" ] || { echo "build trawlonix-cli first" >&2; exit 1; }

. bench/lib/nginx.sh
W=$(mktemp -d /tmp/doc-corpus.XXXXXX)
cleanup() {
  bench_nginx_stop
  if [ "$KEEP" = 0 ]; then rm -rf "$W"; else echo "kept $W"; fi
}
trap cleanup EXIT

CERTS=""
if [ "$HTTPS" = 1 ]; then
  bench_make_certs "$W/tls"
  CERTS="$W/tls"
fi
bench_nginx_start "$HTMLDIR" "$CERTS"
URL="http://127.0.0.1:$NGINX_PORT/"
CLI_TLS=()
WGET_TLS=()
if [ "$HTTPS" = 1 ]; then
  URL="https://127.0.0.1:$NGINX_TLS_PORT/"
  CLI_TLS=(--ca-certificate "$CERTS/ca.pem")
  WGET_TLS=(--ca-certificate="$CERTS/ca.pem")
fi
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
/usr/bin/time -f "%e %U %S %M" -o "$W/trawlonix.time" env TRAWLONIX_SETTINGS="$W/settings.conf" \
  "$CLI" mirror "$URL" "$W/trawlonix" --quiet "${CLI_TLS[@]}" >"$W/trawlonix.out" 2>&1 || true
take trawlonix
/usr/bin/time -f "%e %U %S %M" -o "$W/wget.time" wget -q --mirror -k -p -E -e robots=off \
  --no-parent "${WGET_TLS[@]}" -P "$W/wget" "$URL" || true
take wget

python3 - "$W" <<'PY'
import collections, glob, os, re, sys
w = sys.argv[1]
def load(name):
    rows = [l.split(" ", 2) for l in open(f"{w}/{name}.log").read().splitlines() if l]
    return [(c, int(s), u) for c, s, u in rows]
def stored(name):
    return sum(len(f) for d in glob.glob(f"{w}/{name}/127.0.0.1*") for _, _, f in os.walk(d))
def times(name):
    # GNU time puts "Command exited with non-zero status" before the figures.
    wall, user, system, rss = open(f"{w}/{name}.time").read().split("\n")[-2].split()
    return float(wall), float(user) + float(system), int(rss) / 1024
t, g = load("trawlonix"), load("wget")
ok = lambda rows: {u.split("?")[0] for _, s, u in rows if s < 400}
broken = 0
for line in open(f"{w}/trawlonix.out", encoding="utf-8", errors="replace"):
    m = re.match(r"(?:错误链接|Broken links): (\d+)", line)  # the locale picks the language
    if m: broken = int(m.group(1))
print("| tool | wall s | CPU s | peak RSS MB | files stored | requests | answered 404 | connections | connections per 1,000 files | wall ratio to wget |")
print("|---|---|---|---|---|---|---|---|---|---|")
wget_wall = times("wget")[0]
for name, rows in (("trawlonix", t), ("wget", g)):
    wall, cpu, rss = times(name)
    files = stored(name)
    conns = len({c for c, _, _ in rows})
    c = collections.Counter(s for _, s, _ in rows)
    print(f"| {'trawlonix-cli' if name == 'trawlonix' else name} | {wall:.2f} | {cpu:.2f} | {rss:.1f} | "
          f"{files} | {len(rows)} | {c.get(404, 0)} | {conns} | {1000 * conns / max(files, 1):.1f} | "
          f"{wall / max(wget_wall, 0.001):.2f} |")
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

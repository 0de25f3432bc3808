#!/usr/bin/env bash
# Mirrors a generated site served by nginx on 127.0.0.1 with trawlonix-cli,
# wget and httrack, alternating, RUNS times each, and prints wall time, CPU
# time, peak RSS, files stored, files per second, broken local links, requests
# and connections the server saw, and the ratios to trawlonix-cli (medians).
# With --https the same site is mirrored over TLS as well (a throwaway CA made
# with openssl; trawlonix-cli and wget are given its certificate).
#
#   bench/mirror_bench.sh [--pages N] [--runs R] [--threads T] [--https] [--keep]
#                         [--site DIR] [--tools "trawlonix wget httrack"]
#
# --site serves DIR (for instance the HTML of a Debian -doc package) instead
# of a generated site; --tools picks the tools to run.
#
# Environment: BUILD_DIR (default build/dev) for trawlonix-cli.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
PAGES=5000
RUNS=3
THREADS=10
KEEP=0
HTTPS=0
SITE=""
TOOLS="trawlonix wget httrack"
while [ $# -gt 0 ]; do
  case "$1" in
    --pages) PAGES=$2; shift 2 ;;
    --runs) RUNS=$2; shift 2 ;;
    --threads) THREADS=$2; shift 2 ;;
    --keep) KEEP=1; shift ;;
    --https) HTTPS=1; shift ;;
    --site) SITE=$(cd "$2" && pwd); shift 2 ;;
    --tools) TOOLS=$2; shift 2 ;;
    *) echo "usage: $0 [--pages N] [--runs R] [--threads T] [--https] [--keep]" >&2; exit 2 ;;
  esac
done
BUILD=${BUILD_DIR:-build/dev}
CLI="$ROOT/$BUILD/src/cli/trawlonix-cli"
[ -x "$CLI" ] || { echo "build trawlonix-cli first (cmake --build $BUILD --target trawlonix-cli)" >&2; exit 1; }
for t in nginx wget httrack python3; do
  command -v "$t" >/dev/null || [ -x "/usr/sbin/$t" ] || { echo "missing $t (scripts/install-deps.sh)" >&2; exit 1; }
done
TIME=/usr/bin/time
[ -x "$TIME" ] || { echo "missing /usr/bin/time (package time)" >&2; exit 1; }

. bench/lib/nginx.sh
W=$(mktemp -d /tmp/mirror-bench.XXXXXX)
cleanup() {
  bench_nginx_stop
  if [ "$KEEP" = 0 ]; then rm -rf "$W"; else echo "kept $W"; fi
}
trap cleanup EXIT

if [ -z "$SITE" ]; then
  echo "== generating a site of $PAGES pages"
  python3 tools/sitegen.py --out "$W/site" --pages "$PAGES"
  SITE="$W/site"
fi
SITE_FILES=$(find -L "$SITE" -type f | wc -l)

CERTS=""
if [ "$HTTPS" = 1 ]; then
  bench_make_certs "$W/tls"
  CERTS="$W/tls"
fi
bench_nginx_start "$SITE" "$CERTS"
PORT=$NGINX_PORT
TLSPORT=$NGINX_TLS_PORT
URL="http://127.0.0.1:$PORT/"
TLSURL="https://127.0.0.1:$TLSPORT/"
echo "== nginx serves $SITE_FILES files at $URL"
[ "$HTTPS" = 1 ] && echo "   and over TLS at $TLSURL"

cat >"$W/settings.conf" <<CONF
[Options]
MaxThreads=$THREADS
CONF

# run TOOL N: one mirror into $W/out/TOOL-N; appends "tool wall cpu rss files broken
# requests connections" to results. Tools ending in "-https" mirror over TLS.
run() {
  local tool=$1 n=$2 out="$W/out/$1-$2"
  rm -rf "$out"; mkdir -p "$out"
  local t="$W/time-$tool-$n"
  : >"$W/nginx/access.log"
  case "$tool" in
    trawlonix)
      TRAWLONIX_SETTINGS="$W/settings.conf" $TIME -f "%e %U %S %M" -o "$t" \
        "$CLI" mirror "$URL" "$out" --quiet >"$W/cli-$n.out" 2>&1 || { cat "$W/cli-$n.out" >&2; } ;;
    trawlonix-https)
      TRAWLONIX_SETTINGS="$W/settings.conf" $TIME -f "%e %U %S %M" -o "$t" \
        "$CLI" mirror "$TLSURL" "$out" --quiet --ca-certificate "$W/tls/ca.pem" \
        >"$W/cli-$n.out" 2>&1 || { cat "$W/cli-$n.out" >&2; } ;;
    wget)
      $TIME -f "%e %U %S %M" -o "$t" wget -q --mirror --convert-links --page-requisites \
        --no-parent -e robots=off -P "$out" "$URL" || true ;;
    wget-https)
      $TIME -f "%e %U %S %M" -o "$t" wget -q --mirror --convert-links --page-requisites \
        --no-parent -e robots=off --ca-certificate="$W/tls/ca.pem" -P "$out" "$TLSURL" || true ;;
    httrack)
      (cd "$out" && $TIME -f "%e %U %S %M" -o "$t" httrack "$URL" -O "$out" -c10 -s0 -A0 '-%c0' '-%!' \
        -q -Q >/dev/null 2>&1 || true) ;;
  esac
  local files broken
  # Stored documents only: the tools' own bookkeeping files are not counted.
  files=$(find "$out" -type f \( -name '*.html' -o -name '*.css' -o -name '*.js' -o -name '*.png' \) \
          ! -path '*/hts-cache/*' ! -name 'backblue.*' ! -name 'fade.*' | wc -l)
  local top="$out"
  [ "$tool" = httrack ] && top=$(find "$out" -maxdepth 1 -type d -name '127.0.0.1*' | head -n1)
  [ "$tool" = wget-https ] && top="$out/127.0.0.1:$TLSPORT"
  local requests connections
  requests=$(bench_requests "$W/nginx/access.log")
  connections=$(bench_connections "$W/nginx/access.log")
  broken=$( (python3 tools/sitegen_checklinks.py "$top" || true) | sed -n 's/.*broken \([0-9]*\).*/\1/p')
  # GNU time puts "Command exited with non-zero status" before the figures.
  read -r wall user sys rss < <(tail -n 1 "$t")
  echo "$tool $wall $(python3 -c "print(round($user+$sys,2))") $rss $files ${broken:-0} $requests $connections" >>"$W/results"
  echo "   $tool run $n: wall ${wall}s cpu $(python3 -c "print(round($user+$sys,2))")s rss $((rss/1024)) MB files $files broken $broken requests $requests connections $connections"
}

: >"$W/results"
for n in $(seq 1 "$RUNS"); do
  for tool in $TOOLS; do run "$tool" "$n"; done
  if [ "$HTTPS" = 1 ]; then
    for tool in $TOOLS; do
      case "$tool" in trawlonix | wget) run "$tool-https" "$n" ;; esac
    done
  fi
done

python3 - "$W/results" <<'PY'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    t, wall, cpu, rss, files, broken, requests, conns = line.split()
    rows.setdefault(t, []).append((float(wall), float(cpu), int(rss), int(files), int(broken or 0),
                                   int(requests), int(conns)))
med = {}
for t, r in rows.items():
    m = lambda i: statistics.median(x[i] for x in r)
    med[t] = dict(wall=m(0), cpu=m(1), rss=m(2) / 1024, files=m(3), broken=max(x[4] for x in r),
                  requests=m(5), conns=m(6))
base = med["trawlonix"]
print()
print("| tool | wall s | CPU s | CPU ms/file | peak RSS MB | files | files/s | broken local links | requests | connections per 1,000 files | wall ratio to trawlonix-cli |")
print("|---|---|---|---|---|---|---|---|---|---|---|")
names = {"trawlonix": "trawlonix-cli", "wget": "wget", "httrack": "httrack -c10",
         "trawlonix-https": "trawlonix-cli https", "wget-https": "wget https"}
for t in ("trawlonix", "wget", "httrack", "trawlonix-https", "wget-https"):
    if t not in med: continue
    v = med[t]
    ref = med.get("trawlonix-https", base) if t.endswith("https") else base
    print("| %s | %.2f | %.2f | %.3f | %.1f | %d | %.0f | %d | %d | %.1f | %.2f |" % (
        names[t], v["wall"], v["cpu"], 1000 * v["cpu"] / max(v["files"], 1), v["rss"], v["files"],
        v["files"] / max(v["wall"], 0.001), v["broken"], v["requests"],
        1000 * v["conns"] / max(v["files"], 1), v["wall"] / max(ref["wall"], 0.001)))
print()
print("medians of %d runs each; trawlonix-cli wall / wget wall = %.2f, / httrack wall = %.2f" % (
    len(rows["trawlonix"]), base["wall"] / med["wget"]["wall"] if "wget" in med else 0,
    base["wall"] / med["httrack"]["wall"] if "httrack" in med else 0))
if "trawlonix-https" in med and "wget-https" in med:
    print("over https: trawlonix-cli wall / wget wall = %.2f (wall ratios of https rows are to trawlonix-cli https)" % (
        med["trawlonix-https"]["wall"] / med["wget-https"]["wall"]))
PY

#!/bin/bash
# Real-browser check of stored copies: opens stored pages in headless
# Chromium from file:// and counts the sub-resource loads that fail
# (expected: zero). Too heavy for test.sh; run it by hand.
#
#   scripts/browser-check.sh [BUILD_DIR]
#       generates the modern test site (tools/modernsite.py), serves it with
#       tools/testserver on 127.0.0.1, mirrors it with BUILD_DIR's
#       trawlonix-cli (default build/dev) and checks every stored page.
#   scripts/browser-check.sh --pages DIR [COUNT]
#       checks COUNT (default 40) pages of an existing copy below DIR, taken
#       evenly from its sorted list of .html files.
#
# Chromium is Debian's package, installed here when missing; it always runs
# with every host name mapped to "not found", so the pages cannot make it
# reach any other machine.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)

if ! command -v chromium >/dev/null 2>&1; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends chromium
fi

sample_pages() {  # DIR COUNT: every n-th page of the sorted list
  local dir=$1 count=$2
  find "$dir" -type f -name '*.html' | LC_ALL=C sort | awk -v want="$count" '
    { all[NR] = $0 }
    END {
      if (NR == 0) exit
      step = NR / want; if (step < 1) step = 1
      for (i = 1; i <= NR && n < want; i += step) { print all[int(i)]; n++ }
    }'
}

if [ "${1:-}" = "--pages" ]; then
  mapfile -t pages < <(sample_pages "$2" "${3:-40}")
  exec python3 "$here/scripts/browser-check.py" chromium "${pages[@]}"
fi

build=${1:-$here/build/dev}
cli="$build/src/cli/trawlonix-cli"
[ -x "$cli" ] || { echo "no $cli: build first" >&2; exit 2; }

work=$(mktemp -d)
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

python3 "$here/tools/modernsite.py" --root "$work/site" --script "$work/script.json" \
  --expected "$work/expected.txt"
python3 "$here/tools/testserver/testserver.py" --root "$work/site" --script "$work/script.json" \
  --port-file "$work/port" --log "$work/requests.jsonl" --lifetime 300 --parent-pid $$ --quiet \
  >/dev/null &
server_pid=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(cat "$work/port")

printf '[Options]\nLogFile=1\n' >"$work/settings.conf"
TRAWLONIX_SETTINGS="$work/settings.conf" "$cli" mirror "http://127.0.0.1:$port/" "$work/mirror" \
  >"$work/cli.out"
grep -E '^(错误链接|收集的链接)' "$work/cli.out" || true

# Requests beyond the site's list of used files (a complete, precise mirror
# has none, and misses none).
python3 - "$work/requests.jsonl" "$work/expected.txt" <<'EOF'
import json, sys
asked = [json.loads(l)["target"] for l in open(sys.argv[1]) if l.strip()]
want = set(open(sys.argv[2]).read().split())
print("requests", len(asked), "expected", len(want),
      "missing", sorted(want - set(asked)), "extra", sorted(set(asked) - want))
EOF

mapfile -t pages < <(find "$work/mirror/127.0.0.1" -type f -name '*.html' | LC_ALL=C sort)
python3 "$here/scripts/browser-check.py" chromium "${pages[@]}"

#!/usr/bin/env bash
# The main job of Trawlonix, runnable on a fresh Debian 12 machine.
#
#   ./run.sh             installs what is missing, builds trawlonix-cli, serves
#                        the bundled demo site (examples/demo-site) on a free
#                        127.0.0.1 port, mirrors it into ./demo-mirror, prints
#                        the results and the stored start page, stops the server
#   ./run.sh URL [DIR]   mirrors URL into DIR (default ./mirror)
#
# Environment: BUILD_DIR (default build/dev), TRAWLONIX_SETTINGS (settings file).
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$(pwd)

bash scripts/install-deps.sh

BUILD=${BUILD_DIR:-build/dev}
echo "== building trawlonix-cli in $BUILD"
cmake --preset dev -B "$BUILD" >/dev/null
cmake --build "$BUILD" --target trawlonix-cli -j "$(nproc)"
CLI="$ROOT/$BUILD/src/cli/trawlonix-cli"

SERVER_PID=""
WORK=$(mktemp -d)
cleanup() {
  if [ -n "$SERVER_PID" ]; then kill "$SERVER_PID" 2>/dev/null || true; wait "$SERVER_PID" 2>/dev/null || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT

IGNORE=()
if [ $# -eq 0 ]; then
  echo "== serving examples/demo-site on 127.0.0.1"
  python3 tools/testserver/testserver.py --root examples/demo-site --port-file "$WORK/port" \
    --lifetime 900 --parent-pid $$ --quiet >"$WORK/server.log" 2>&1 &
  SERVER_PID=$!
  for _ in $(seq 1 100); do [ -s "$WORK/port" ] && break; sleep 0.1; done
  if [ ! -s "$WORK/port" ]; then cat "$WORK/server.log" >&2; echo "run.sh: the demo server did not start" >&2; exit 1; fi
  URL="http://127.0.0.1:$(cat "$WORK/port")/"
  DIR="$ROOT/demo-mirror"
  # The demo links to a page that does not exist, on purpose.
  IGNORE=(--ignore missing.html)
  EXTRA=(--collect other-servers)
else
  URL=$1
  DIR=${2:-"$ROOT/mirror"}
  EXTRA=()
fi

echo "== mirroring $URL into $DIR"
status=0
"$CLI" mirror "$URL" "$DIR" "${EXTRA[@]}" || status=$?

shortcut=$(ls -t "$DIR"/*.url 2>/dev/null | head -n 1 || true)
if [ -n "$shortcut" ]; then
  start=$(sed -n 's/^URL=//p' "$shortcut" | head -n 1)
  echo "== stored start page: $start"
  echo "== local links of the stored pages:"
  python3 tools/sitegen_checklinks.py "$DIR" "${IGNORE[@]}" --list || true
fi
exit $status

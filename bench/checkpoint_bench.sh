#!/usr/bin/env bash
# What a SIGKILL costs a trawlonix-cli run, and what checkpointing costs.
# Mirrors a generated site (tools/sitegen.py) served by nginx on 127.0.0.1:
#   1. one uninterrupted run without checkpoints, one with them (wall time);
#   2. KILLS runs killed (SIGKILL) at a seeded random moment within the
#      uninterrupted run's time, each followed by `run --continue`: the
#      requests beyond those of an uninterrupted run are the files fetched
#      again; the continued mirror is compared with the uninterrupted one.
# Usage: bench/checkpoint_bench.sh [PAGES=5000] [KILLS=10] [EVERY=1] [SEED=1]
#   (EVERY: the setting CheckpointSeconds of the checkpointed runs)
set -euo pipefail
cd "$(dirname "$0")/.."
PAGES=${1:-5000}
KILLS=${2:-10}
EVERY=${3:-1}
SEED=${4:-1}
CLI=${CLI:-build/dev/src/cli/trawlonix-cli}
. bench/lib/nginx.sh
W=$(mktemp -d /tmp/tx-ckpt.XXXXXX)
cleanup() {
  bench_nginx_stop
  rm -rf "$W"
}
trap cleanup EXIT

python3 tools/sitegen.py --out "$W/site" --pages "$PAGES" >/dev/null
SITE_FILES=$(find "$W/site" -type f | wc -l)
bench_nginx_start "$W/site"
URL="http://127.0.0.1:$NGINX_PORT/"
requests() { wc -l <"$W/nginx/access.log"; }
settings() { printf '[Options]\nCheckpointSeconds=%s\n' "$1" >"$W/settings.conf"; }
export TRAWLONIX_SETTINGS="$W/settings.conf"

# fresh NAME: an empty mirror directory with a new project NAME.txp in it.
fresh() {
  rm -rf "$W/$1"; mkdir -p "$W/$1"
  "$CLI" new "$URL" --dir "$W/$1" --name p -o "$W/$1/p.txp" >/dev/null
}
# timed NAME EVERY: one uninterrupted run; prints its wall time in seconds.
timed() {
  settings "$2"; fresh "$1"
  local start end
  start=$(date +%s.%N)
  "$CLI" run "$W/$1/p.txp" --quiet >/dev/null
  end=$(date +%s.%N)
  python3 -c "print(f'{$end - $start:.2f}')"
}

before=$(requests)
T0=$(timed plain 0)
FULL_REQUESTS=$(( $(requests) - before ))
T1=$(timed checkpointed "$EVERY")
echo "site: $SITE_FILES files; an uninterrupted run makes $FULL_REQUESTS requests"
echo "wall time without checkpoints: $T0 s; with CheckpointSeconds=$EVERY: $T1 s"

settings "$EVERY"
echo "kill  at_ms  stored_at_kill  requests_total  fetched_again  same_mirror"
total_again=0
for k in $(seq 1 "$KILLS"); do
  delay=$(python3 -c "import random; r=random.Random($SEED*1000+$k); print(r.randint(50, int($T0*1000)))")
  fresh killed
  before=$(requests)
  "$CLI" run "$W/killed/p.txp" --quiet >/dev/null &
  pid=$!
  python3 -c "import time; time.sleep($delay/1000)"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  stored=$(find "$W/killed/127.0.0.1" -type f 2>/dev/null | wc -l)
  "$CLI" run "$W/killed/p.txp" --continue --quiet >/dev/null
  total=$(( $(requests) - before ))
  again=$(( total - FULL_REQUESTS ))
  total_again=$(( total_again + again ))
  same=yes
  diff -r -x '*.url' "$W/plain/127.0.0.1" "$W/killed/127.0.0.1" >/dev/null || same=no
  echo "$k  $delay  $stored  $total  $again  $same"
done
echo "files fetched again over $KILLS kills: $total_again (mean $(( total_again / KILLS )))"

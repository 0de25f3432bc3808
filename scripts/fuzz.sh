#!/usr/bin/env bash
# scripts/fuzz.sh TARGET SECONDS   runs one fuzz target (e.g. fuzz_html) for SECONDS
# scripts/fuzz.sh --all SECONDS    runs every target in turn; fails on any finding
# Findings are written to build/fuzz/findings/; the seed corpora stay untouched.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: scripts/fuzz.sh TARGET|--all SECONDS}
seconds=${2:-60}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "${JOBS:-$(nproc)}" >/dev/null

if [ "$target" = "--all" ]; then
  mapfile -t targets < <(cd tests/fuzz && ls fuzz_*.cpp 2>/dev/null | sed 's/\.cpp$//')
else
  targets=("$target")
fi

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fail=0
for t in "${targets[@]}"; do
  name=${t#fuzz_}
  work=build/fuzz/corpus-work/$name
  findings=build/fuzz/findings/$name
  mkdir -p "$work" "$findings"
  seeds=tests/fuzz/corpus/$name
  [ -d "$seeds" ] || seeds=""
  dict=tests/fuzz/$name.dict
  dictarg=()
  [ -f "$dict" ] && dictarg=(-dict="$dict")
  echo "-- $t for ${seconds}s"
  if ! build/fuzz/tests/fuzz/"$t" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
      -artifact_prefix="$findings/" -print_final_stats=1 "${dictarg[@]}" "$work" $seeds \
      > "build/fuzz/$name.log" 2>&1; then
    echo "FINDING in $t:"; tail -n 40 "build/fuzz/$name.log"; fail=1
  else
    grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' "build/fuzz/$name.log" | tail -n 2 || true
  fi
done
exit $fail

#!/usr/bin/env bash
# Installs what is missing, builds the normal and the sanitizer configuration,
# runs every test in both, then runs each fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/install-deps.sh

JOBS=${JOBS:-$(nproc)}
FUZZ_SECONDS=${FUZZ_SECONDS:-30}
status=0

build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "$JOBS"
}

build dev
build asan

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "== tests (sanitizer build)"
ctest --test-dir build/asan --output-on-failure -j "$JOBS" --timeout 600 || status=1

echo "== fuzz targets (${FUZZ_SECONDS}s each)"
if bash scripts/fuzz.sh --all "$FUZZ_SECONDS"; then :; else status=1; fi

echo "== ThreadSanitizer: in-process crawls"
# Only the crawl engine's programs, and in them only the crawls that run
# inside the test process. Tests that start a child with QProcess are left
# out: after such a start the checker loses the ordering of the starting
# thread's locks (Qt starts the child through clone(), which it does not
# see), and every later batch hand-over would look like a race.
cmake --preset tsan >/dev/null
if cmake --build --preset tsan -j "$JOBS" --target integ_engine integ_faults; then
  (
    export TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp:halt_on_error=1"
    build/tsan/tests/integration/integ_engine \
      --gtest_filter='EngineRun.*:LinkCheck*-EngineRun.GeneratedSiteServedByNginxBrowsesOffline' &&
      build/tsan/tests/integration/integ_faults --gtest_filter='ServerFault.*'
  ) || status=1
else
  status=1
fi

echo "== tests (normal build)"
# Last, so that the run ends with ctest's own summary line.
ctest --test-dir build/dev --output-on-failure -j "$JOBS" --timeout 600 || status=1
exit $status

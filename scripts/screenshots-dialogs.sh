#!/usr/bin/env bash
# Pictures of the dialogs for the documentation: every page of the
# new-project wizard, the list-entry dialog, every tab of the project
# properties, the export wizard's pages, the link-check progress window,
# the five tabs of the settings dialog and the wizard's first page in
# English (wizard-page1-en.png).
# Runs the "pictures" function of the Qt Test programs under Xvfb (real fonts,
# fonts-wqy-microhei for the Chinese texts); each grabs its windows into docs/.
#
#   scripts/screenshots-dialogs.sh [BUILD_DIR]     (default build/dev)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build/dev}" && pwd)
OUT=$ROOT/docs
PROGRAMS=(tst_wizard tst_properties tst_export tst_check tst_options tst_english)

for p in "${PROGRAMS[@]}"; do
  [ -x "$BUILD/tests/ui/$p" ] || { echo "missing $BUILD/tests/ui/$p (build the target $p)" >&2; exit 1; }
done
mkdir -p "$OUT"

if [ -z "${TX_SHOTS_INSIDE:-}" ]; then
  export TX_SHOTS_INSIDE=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$BUILD"
fi

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export TRAWLONIX_SETTINGS=$WORK/settings.conf
export XDG_RUNTIME_DIR=$WORK
export QT_QPA_PLATFORM=xcb
export TX_DIALOG_SHOTS=$OUT
for p in "${PROGRAMS[@]}"; do
  "$BUILD/tests/ui/$p" pictures > "$WORK/$p.log" 2>&1 || { cat "$WORK/$p.log" >&2; exit 1; }
done
ls "$OUT" | grep -E '^(wizard|properties|export|check|settings)-.*\.png$' | sed 's|^|wrote docs/|'

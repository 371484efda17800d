#!/usr/bin/env bash
# The smoke run that scripts/check-install relies on (QCAL_SMOKE_TEST), on a copy of the program in
# a folder of its own: with the fonts of the machine it paints, computes, saves QCAL.INI beside
# itself and exits 0; with only Latin faces it must fail with exit code 4 and name a caption it
# could not draw, or the font check would pass a package that shows Chinese as boxes.
# Usage: tests/app/smoke.sh PATH_TO_QCAL
set -euo pipefail
program="${1:?usage: tests/app/smoke.sh PATH_TO_QCAL}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/runtime"
chmod 700 "$work/runtime"
cp "$program" "$work/bin/qcal"
export QT_QPA_PLATFORM=offscreen QCAL_SMOKE_TEST=1 XDG_RUNTIME_DIR="$work/runtime"

status=0
timeout 60 "$work/bin/qcal" 2>"$work/stderr" || status=$?
if [ "$status" -ne 0 ]; then
  echo "smoke run failed with exit code $status:" >&2
  cat "$work/stderr" >&2
  exit 1
fi
[ -f "$work/bin/QCAL.INI" ] || { echo "smoke run saved no QCAL.INI beside the program" >&2; exit 1; }

cat >"$work/latin.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir><cachedir>$work/fontcache</cachedir></fontconfig>
CONF
status=0
FONTCONFIG_FILE="$work/latin.conf" timeout 60 "$work/bin/qcal" 2>"$work/stderr" || status=$?
if [ "$status" -ne 4 ] || ! grep -q 'no installed font draws' "$work/stderr"; then
  echo "without a face for Chinese the smoke run gave exit code $status (4 expected):" >&2
  cat "$work/stderr" >&2
  exit 1
fi
echo "smoke run: passes with the machine's fonts, fails without a face for Chinese"

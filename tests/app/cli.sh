#!/usr/bin/env bash
# The command line with no display at all (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM unset), in a
# settings folder of its own (QCAL_SETTINGS_DIR): the audit of a sample statement is exactly its
# planted errors, an import is done once and found the second time, the journal exports, and every
# refusal is exit status 1 with one line on stderr.
# Usage: tests/app/cli.sh PATH_TO_QCAL SAMPLES_FOLDER
set -euo pipefail
program="${1:?usage: tests/app/cli.sh PATH_TO_QCAL SAMPLES_FOLDER}"
samples="${2:?usage: tests/app/cli.sh PATH_TO_QCAL SAMPLES_FOLDER}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/settings"
# The broker's terms of layout-a: 0.25 per mille, 免五, the exchange's fees inside the commission.
printf '\xef\xbb\xbf[TIP]\r\n手续费=0.25\r\n现行规则=1\r\n免五=1\r\n[券商费率]\r\n不含规费=0\r\n' >"$work/settings/QCAL.INI"
export QCAL_SETTINGS_DIR="$work/settings"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

fail() { echo "FAIL: $*" >&2; exit 1; }

# run EXPECTED_STATUS ARGS...: the status, stdout in $work/out, stderr in $work/err.
run() {
  local want="$1"; shift
  local status=0
  timeout 60 "$program" "$@" >"$work/out" 2>"$work/err" || status=$?
  [ "$status" -eq "$want" ] || { cat "$work/err" >&2; fail "qcal $* exited $status, not $want"; }
  if [ "$want" -ne 0 ]; then
    [ "$(wc -l <"$work/err")" -eq 1 ] || { cat "$work/err" >&2; fail "qcal $*: not one line on stderr"; }
    [ ! -s "$work/out" ] || fail "qcal $*: refused but wrote to stdout"
  fi
}

run 0 --audit "$samples/layout-a.csv"
printf '%s\r\n' '成交日期,证券代码,买卖,费用,实收,应收,差额' \
  '2024-01-08,000001,买入,佣金,5.00,0.46,4.54' \
  '2024-01-11,601318,买入,印花税,6.02,0.00,6.02' \
  '合计,多收,10.56,少收,0.00,笔数,2' >"$work/want"
cmp "$work/out" "$work/want" || { diff "$work/out" "$work/want" >&2 || true; fail "audit of layout-a"; }
[ ! -e "$work/settings/journal.db" ] || fail "the audit created a journal"

run 0 --import "$samples/layout-a.csv"
[ "$(head -1 "$work/out")" = "导入交易 9 笔、事件 0 笔；跳过 0 行；重复 0 行" ] || fail "first import: $(head -1 "$work/out")"
run 0 --import "$samples/layout-a.csv"
[ "$(head -1 "$work/out")" = "导入交易 0 笔、事件 0 笔；跳过 0 行；重复 9 行" ] || fail "second import: $(head -1 "$work/out")"
run 0 --encoding gbk --import "$samples/layout-b.txt"
[ "$(head -1 "$work/out")" = "导入交易 7 笔、事件 0 笔；跳过 0 行；重复 0 行" ] || fail "GBK import: $(head -1 "$work/out")"

run 0 --export journal "$work/journal.csv"
[ "$(grep -c '^[0-9]*,202[34]-' "$work/journal.csv")" -eq 16 ] || fail "the journal's export holds $(wc -l <"$work/journal.csv") lines"
run 0 --export holdings "$work/holdings.csv"
grep -q 600036 "$work/holdings.csv" || fail "the holdings' export lacks 600036"

run 0 --help
grep -q -- --import "$work/out" || fail "--help does not list --import"
run 0 --version
[ "$(cat "$work/out")" = "qcal 3.31" ] || fail "--version says $(cat "$work/out")"

# Refusals.
run 1 --audit "$work/no such file.csv"
printf '甲,乙,丙\n1,2,3\n' >"$work/odd.csv"
run 1 --audit "$work/odd.csv"
grep -q 表头 "$work/err" || fail "no header: $(cat "$work/err")"
# A line of 100,000 columns is refused with a message that says so, and quickly.
python3 -c 'import sys; sys.stdout.write("成交日期,证券代码,成交数量" + "," * 100000 + "\n")' >"$work/wide.csv"
run 1 --audit "$work/wide.csv"
grep -q '超过1000列' "$work/err" || fail "wide line: $(cat "$work/err")"
run 1 --export tables "$work/x.csv"
run 1 --audit "$samples/layout-a.csv" --import "$samples/layout-a.csv"
run 1 --encoding latin1 --audit "$samples/layout-a.csv"
# A damaged journal is put aside and nothing is imported into the fresh one.
head -c 8192 /dev/urandom >"$work/settings/journal.db"
rm -f "$work/settings/journal.db-wal" "$work/settings/journal.db-shm"
run 1 --import "$samples/layout-a.csv"
grep -q 损坏 "$work/err" || fail "damaged journal: $(cat "$work/err")"
ls "$work/settings" | grep -q 'journal.db.damaged-' || fail "the damaged journal was not kept aside"
echo "command line: all checks passed"

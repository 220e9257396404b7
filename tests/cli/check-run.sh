#!/usr/bin/env bash
# Runs a command and checks what it did.
# Usage: check-run.sh [--stdin FILE] [--status N] [--stdout FILE | --stdout-has TEXT] [--stderr FILE]
#                     [--stderr-has TEXT] -- COMMAND...
#   --status      expected exit status (default 0)
#   --stdout      file the standard output must equal (default: no output at all)
#   --stdout-has  text the standard output must contain (other output then allowed)
#   --stderr      file the standard error must equal
#   --stderr-has  text the standard error must contain
# Outputs are compared byte for byte apart from CRs: a Windows program run under Wine may end its
# lines with CRLF.
set -u
stdin=/dev/null status=0 want_out=/dev/null want_err="" err_has="" out_has=""
while [ $# -gt 0 ] && [ "$1" != -- ]; do
  case $1 in
    --stdin) stdin=$2 ;;
    --status) status=$2 ;;
    --stdout) want_out=$2 ;;
    --stdout-has) out_has=$2 ;;
    --stderr) want_err=$2 ;;
    --stderr-has) err_has=$2 ;;
    *) echo "check-run.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift 2
done
shift
tmp=$(mktemp -d) || exit 2
trap 'rm -rf "$tmp"' EXIT

"$@" <"$stdin" >"$tmp/out" 2>"$tmp/err"
rc=$?
tr -d '\r' <"$tmp/out" >"$tmp/out.lf"
tr -d '\r' <"$tmp/err" >"$tmp/err.lf"

ok=1
fail() { echo "FAIL: $*"; ok=0; }
[ "$rc" = "$status" ] || fail "exit status $rc, expected $status"
if [ -n "$out_has" ]; then
  grep -qF -- "$out_has" "$tmp/out.lf" || fail "standard output lacks: $out_has"
else
  cmp -s "$tmp/out.lf" <(tr -d '\r' <"$want_out") || fail "standard output differs from $want_out"
fi
if [ -n "$want_err" ]; then
  cmp -s "$tmp/err.lf" <(tr -d '\r' <"$want_err") || fail "standard error differs from $want_err"
fi
if [ -n "$err_has" ]; then
  grep -qF -- "$err_has" "$tmp/err.lf" || fail "standard error lacks: $err_has"
fi
if [ $ok = 0 ]; then
  echo "--- standard output (hex) ---"; od -An -tx1 -c "$tmp/out" | head -n 40
  echo "--- standard error ---"; cat "$tmp/err"
  exit 1
fi
